#include "ui/main/menu_state.h"

#include "charts/chart_pages.h"
#include "model/captions.h"

namespace sonvex {

MenuItemStates MenuState(const Project& p, OpenEditorFlags open) {
  MenuItemStates m;
  // The optimizer rewrites the project: nothing that edits it meanwhile.
  m.editMenu = !open.optimizer;
  for (int k = 1; k <= kMaxAmps; ++k) {
    const auto a = static_cast<std::size_t>(k - 1);
    const bool usable = k <= p.ampCount && !open.optimizer;
    m.ampShown[a] = usable;
    m.ampMenu[a] = !(open.crossover || open.optimizer);
    m.ampItems[a] = usable;
  }
  for (int n = 1; n <= kChassisSlots; ++n) {
    const auto slot = static_cast<std::size_t>(n - 1);
    m.chassisCaption[slot] = ChassisMenuCaption(n, p.chassis[slot], p.enclosures[slot]);
    m.chassisItem[slot] = n <= p.chassisCount;
  }
  m.chassisPage58 = ChassisPage5To8Visible(p.chassisCount);
  m.chassisPage14Caption = ChassisPageCaption(p.chassisCount);
  m.windowMenu = open.Any();
  m.showCrossover = open.crossover;
  m.showChassis = open.chassis;
  m.showOptimizer = open.optimizer;
  m.fileMenu = !open.Any();
  m.chassisMenu = !(open.chassis || open.optimizer);
  return m;
}

}  // namespace sonvex
