#include "ui/main/menu_state.h"

#include "charts/chart_pages.h"
#include "model/captions.h"

namespace sonvex {

TMenuState MenuState(const TProjekt& p, TOpenEditors open) {
  TMenuState m;
  // The optimizer rewrites the project: nothing that edits it meanwhile.
  m.editMenu = !open.optimizer;
  for (int k = 1; k <= kMaxAmps; ++k) {
    const auto a = static_cast<std::size_t>(k - 1);
    const bool usable = k <= p.nAmps && !open.optimizer;
    m.ampShown[a] = usable;
    m.ampMenu[a] = !(open.weiche || open.optimizer);
    m.ampItems[a] = usable;
  }
  for (int n = 1; n <= kChassisSlots; ++n) {
    const auto slot = static_cast<std::size_t>(n - 1);
    m.chassisCaption[slot] = ChassisMenuCaption(n, p.Chassis[slot], p.Einbau[slot]);
    m.chassisItem[slot] = n <= p.nChassis;
  }
  m.chassisPage58 = ChassisPage58Visible(p.nChassis);
  m.chassisPage14Caption = ChassisPageCaption(p.nChassis);
  m.windowMenu = open.Any();
  m.showWeiche = open.weiche;
  m.showChassis = open.chassis;
  m.showOptimizer = open.optimizer;
  m.fileMenu = !open.Any();
  m.chassisMenu = !(open.chassis || open.optimizer);
  return m;
}

}  // namespace sonvex
