#pragma once
// The headless crossover optimizer of the command-line program:
//   optimize PROJECT.ZPJ --out RESULT.ZPJ [--resistors e6|e12|keep]
//            [--capacitors e6|e12|keep] [--coils e12|keep] [--bass K]
//            [--treble K] [--zmin K] [--efficiency K] [--pause MS]
#include <filesystem>
#include <iosfwd>
#include <string>

namespace sonvex {

struct TOptimizeOptions {
  std::filesystem::path project;  // the project to optimise; its marked parts are varied
  std::filesystem::path out;      // --out: where the optimised project is written
  // How a stalled part is fixed: "e6", "e12" or "keep" (its continuous value).
  std::string resistors = "keep";
  std::string capacitors = "keep";
  std::string coils = "keep";  // "e12" or "keep"
  // Slider positions of the optimizer window.
  int bass = 3;        // --bass 0..6 ("Hörgeschmack Bass": 0 kräftig .. 6 schlank)
  int treble = 3;      // --treble 0..6 ("Hörgeschmack Höhen": 0 strahlend .. 6 englisch)
  int zmin = 5;        // --zmin 0..8 ("Verstärker min. Impedanz": 0 8 Ohm, 4 4 Ohm, 8 2 Ohm)
  int efficiency = 3;  // --efficiency 0..6 ("Wirkungsgrad": 0 wichtig .. 6 unwichtig)
  int pauseMs = 0;     // --pause: pause of the calculation workers after each step
};

// Exit codes of the optimize command.
inline constexpr int kOptimizeOk = 0;
inline constexpr int kOptimizeFailed = 1;    // nothing marked, calculation errors, time-out
inline constexpr int kOptimizeBadInput = 2;  // options, project file, chassis data, output file

// Loads the project, checks it, runs the optimizer until it ends by itself
// and writes the best crossover found. Progress, every grade report (the five
// "Note ..." lines) and every fixed part go to `out`; messages to `err`.
int RunOptimizeCommand(const TOptimizeOptions& options, std::ostream& out, std::ostream& err);

}  // namespace sonvex
