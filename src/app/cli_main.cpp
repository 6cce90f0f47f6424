// sonvex-cli: the headless front end of Sonvex.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

#include "model/number_text.h"
#include "model/project.h"

namespace {

// Prints what a new project holds: counts, frequency grid, first chassis.
int PrintNewProject() {
  const auto p = sonvex::MakeNewProject();
  std::cout << "Neues Projekt\n"
            << "Verstärker: " << p->nAmps << "\n"
            << "Chassis: " << p->nChassis << "\n"
            << "Frequenzraster: " << sonvex::FormatNumber(p->fMin, 10) << " Hz bis "
            << sonvex::FormatNumber(p->fMax, 10) << " Hz, " << p->sz << " Punkte\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Sonvex: Simulation mehrwegiger Lautsprecherboxen (Kommandozeile)", "sonvex-cli"};
  app.set_version_flag("--version", "sonvex-cli 0.1.0");
  app.require_subcommand(1);
  auto* info = app.add_subcommand("info", "Zeigt die Grundwerte eines neuen Projekts");
  CLI11_PARSE(app, argc, argv);
  if (info->parsed()) return PrintNewProject();
  return 2;
}
