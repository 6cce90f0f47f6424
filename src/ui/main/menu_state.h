#pragma once
// Which menu items of the main window are enabled or shown, and their
// captions, from the project and the editors that are open. A pure function:
// the main window applies it whenever the project or an editor changes.
#include <array>
#include <string>

#include "model/project.h"
#include "ui/document/project_document.h"

namespace sonvex {

struct MenuItemStates {
  bool editMenu = false;     // "&Bearbeiten"
  bool fileMenu = false;     // "&Datei"
  bool chassisMenu = false;  // "&Chassis && Einbau"
  // The amplifier menus 1..6: shown, enabled as a menu, items enabled.
  std::array<bool, kMaxAmps> ampShown{};
  std::array<bool, kMaxAmps> ampMenu{};
  std::array<bool, kMaxAmps> ampItems{};
  // The chassis items 1..9 of "&Chassis && Einbau": caption, shown and enabled.
  std::array<std::string, kChassisSlots> chassisCaption{};
  std::array<bool, kChassisSlots> chassisItem{};
  // "&Fenster" and its three items.
  bool windowMenu = false;
  bool showCrossover = false;
  bool showChassis = false;
  bool showOptimizer = false;
  // The chart pages of the chassis: page 5..8 shown, caption of page 1..4.
  bool chassisPage58 = false;
  std::string chassisPage14Caption;
};

MenuItemStates MenuState(const Project& p, OpenEditorFlags open);

}  // namespace sonvex
