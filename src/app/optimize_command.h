#pragma once
// The headless crossover optimizer of the command-line program:
//   optimize PROJECT.ZPJ --out RESULT.ZPJ [--resistors e6|e12|keep]
//            [--capacitors e6|e12|keep] [--coils list|e12|keep]
//            [--coil-list FILE] [--data DIR] [--bass K] [--treble K]
//            [--zmin K] [--efficiency K] [--pause MS]
#include <filesystem>
#include <iosfwd>
#include <string>

namespace sonvex {

struct OptimizeOptions {
  std::filesystem::path project;  // the project to optimise; its marked parts are varied
  std::filesystem::path out;      // --out: where the optimised project is written
  // How a stalled part is fixed: "e6", "e12" or "keep" (its continuous value).
  std::string resistors = "keep";
  std::string capacitors = "keep";
  // Coils: "list" takes the listed coil of nearest inductance with its
  // winding resistance, as the part editor's library page does; "e12" and
  // "keep" keep the winding resistance the coil had at the start.
  std::string coils = "list";
  std::filesystem::path coilList;    // --coil-list; empty: "Spulen_Luft.txt" of the parts folder
  std::filesystem::path dataFolder;  // --data: Sonvex.ini and the data folders; empty: no settings file
  // Slider positions of the optimizer window.
  int bass = 3;        // --bass 0..6 ("Hörgeschmack Bass": 0 kräftig .. 6 schlank)
  int treble = 3;      // --treble 0..6 ("Hörgeschmack Höhen": 0 strahlend .. 6 englisch)
  int zmin = 5;        // --zmin 0..8 ("Verstärker min. Impedanz": 0 8 Ohm, 4 4 Ohm, 8 2 Ohm)
  int efficiency = 3;  // --efficiency 0..6 ("Wirkungsgrad": 0 wichtig .. 6 unwichtig)
  int pauseMs = 0;     // --pause: pause of the calculation workers after each step
};

// Exit codes of the optimize command.
inline constexpr int kOptimizeOk = 0;
// Nothing marked, chassis data missing (Sd, xlin, Pmax), calculation errors,
// a run broken off: the project cannot be optimised.
inline constexpr int kOptimizeFailed = 1;
// Wrong options, an unreadable project or coil list, an output file that
// cannot be written.
inline constexpr int kOptimizeBadInput = 2;

// Loads the project, checks it, runs the optimizer until it ends by itself
// and writes the best crossover found. Progress, every grade report (the five
// "Note ..." lines), every fixed part and the end message (OptimizerEndText, with
// the total grades before and after) go to `out`; messages to `err`. A
// result worse than the start is not written: the start values are.
int RunOptimizeCommand(const OptimizeOptions& options, std::ostream& out, std::ostream& err);

}  // namespace sonvex
