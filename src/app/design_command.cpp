#include "app/design_command.h"

#include <CLI/CLI.hpp>
#include <array>
#include <ostream>
#include <string_view>
#include <vector>

#include "model/number_text.h"
#include "tools/box_design.h"
#include "tools/crossover_design.h"

namespace sonvex {

namespace {

struct DesignOption {
  const char* page;
  const char* name;  // the control's name in lower case (an edit without "Edit")
  const char* help;
};

// In the order of the controls on each page.
constexpr std::array kOptions{
    DesignOption{"box", "fs", "Resonanzfrequenz fs [Hz] (35)"},
    DesignOption{"box", "qts", "Qts (0,4)"},
    DesignOption{"box", "qes", "Qes (0,5)"},
    DesignOption{"box", "qms", "Qms (2)"},
    DesignOption{"box", "vas", "Vas [Liter] (80)"},
    DesignOption{"box", "rdc", "Rdc [Ohm] (6)"},
    DesignOption{"box", "rv", "Vorwiderstand Rv [Ohm] (1,0)"},
    DesignOption{"box", "qtcwunsch", "gewünschte Güte Qtc (0,7)"},
    DesignOption{"box", "altvab", "alternatives Volumen [Liter] (leer)"},
    DesignOption{"box", "checkboxqesmsda", "Qes und Qms sind bekannt: Qts daraus (0)"},
    DesignOption{"box", "checkboxrv", "Vorwiderstand berücksichtigen (0)"},
    DesignOption{"port", "rbvexpl", "Volumen direkt angeben (1)"},
    DesignOption{"port", "vb0", "Volumen incl. Kanal [Liter] (50)"},
    DesignOption{"port", "rb_vbht", "Volumen über BxHxT (0)"},
    DesignOption{"port", "b", "Innenbreite [cm] (20)"},
    DesignOption{"port", "h", "Innenhöhe [cm] (98)"},
    DesignOption{"port", "t", "Innentiefe [cm] (23)"},
    DesignOption{"port", "trackbarc", "Bedämpfung 0 (keine Wolle) .. 4 (stark gestopft) (0)"},
    DesignOption{"port", "rb_rechteckig", "rechteckiger Kanal (1)"},
    DesignOption{"port", "c", "Kanalhöhe [cm] (8)"},
    DesignOption{"port", "e", "Kanalbreite [cm] (20)"},
    DesignOption{"port", "rb_rund", "runde Rohre (0)"},
    DesignOption{"port", "d", "Rohrdurchmesser [cm] (7)"},
    DesignOption{"port", "cb_nrohre", "Anzahl Rohre: 0 (1 Rohr) .. 3 (4 Rohre) (0)"},
    DesignOption{"port", "l", "Kanallänge [cm] (15)"},
    DesignOption{"port", "g", "inneres Kanalende bis zur Rückwand [cm] (10)"},
    DesignOption{"port", "f", "Abstand zum Boden [cm] (0)"},
    DesignOption{"port", "k", "Abstand zur Decke [cm] (90)"},
    DesignOption{"port", "i", "Abstand zur linken Wand [cm] (0)"},
    DesignOption{"port", "j", "Abstand zur rechten Wand [cm] (0)"},
    DesignOption{"crossover", "tf", "Trennfrequenz [Hz] (1000)"},
    DesignOption{"crossover", "itt", "Impedanz Tieftöner [Ohm] (8)"},
    DesignOption{"crossover", "iht", "Impedanz Hochtöner [Ohm] (8)"},
    DesignOption{"divider", "cb_dbwunsch", "gewünschte Pegelabsenkung: 0 (-0,5 dB) .. 24 (-15 dB) (5: -3 dB)"},
    DesignOption{"divider", "ze", "gewünschte Anschlussimpedanz [Ohm] (8)"},
    DesignOption{"divider", "za", "Lastimpedanz des Lautsprechers RL [Ohm] (8)"},
    DesignOption{"divider", "cb_zeegal", "Anschlussimpedanz egal (1)"},
    DesignOption{"divider", "r1", "Vorwiderstand R1 [Ohm] (2,2)"},
    DesignOption{"divider", "r2", "Parallelwiderstand R2 [Ohm] (6,8)"},
    DesignOption{"divider", "rl", "Last RL [Ohm] (8)"},
    DesignOption{"zobel", "rlc_rdc", "Rdc [Ohm] (6,8)"},
    DesignOption{"zobel", "rlc_fc", "Resonanzfrequenz fc [Hz] (66)"},
    DesignOption{"zobel", "rlc_qes", "Qes (0,4)"},
    DesignOption{"zobel", "rlc_qms", "Qms (2,8)"},
    DesignOption{"zobel", "rlc_le", "Le [mH] (0,8)"},
};

constexpr std::array<std::string_view, 5> kPages{"box", "port", "crossover", "divider", "zobel"};

class BadValue : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the given options of the page; every other page's option is refused.
class OptionReader {
 public:
  explicit OptionReader(const DesignArgs& args) : args_(args) {}

  bool Given(const std::string& name) const {
    const auto it = args_.values.find(name);
    return it != args_.values.end() && it->second.has_value();
  }
  // The text of an edit: the given one or the page's initial text.
  void Text(const std::string& name, std::string& field) const {
    if (Given(name)) field = *args_.values.at(name);
  }
  void Flag(const std::string& name, bool& field) const {
    if (!Given(name)) return;
    const std::string& v = *args_.values.at(name);
    if (v != "0" && v != "1") throw BadValue("--" + name + " erwartet 0 oder 1, nicht \"" + v + "\".");
    field = v == "1";
  }
  void Index(const std::string& name, int maxIndex, int& field) const {
    if (!Given(name)) return;
    const std::string& v = *args_.values.at(name);
    const ParsedInt parsed = ParseInt(v);
    const bool whole = !v.empty() && parsed.consumed == static_cast<int>(v.size());
    if (!whole || parsed.value < 0 || parsed.value > maxIndex)
      throw BadValue("--" + name + " erwartet eine Zahl von 0 bis " + std::to_string(maxIndex) + ", nicht \"" + v +
                     "\".");
    field = parsed.value;
  }
  // Two radio buttons of one group: `first` is selected unless the options
  // say otherwise; contradicting options are refused.
  void Radio(const std::string& first, const std::string& second, bool& firstSelected) const {
    bool a = firstSelected, b = !firstSelected;
    Flag(first, a);
    Flag(second, b);
    if (Given(first) && Given(second) && a == b)
      throw BadValue("--" + first + " und --" + second + " schließen sich aus; genau eine muss 1 sein.");
    if (Given(first))
      firstSelected = a;
    else if (Given(second))
      firstSelected = !b;
  }

 private:
  const DesignArgs& args_;
};

void PrintLists(const std::vector<ResultLines>& lists, std::ostream& out) {
  // An empty list still takes its place, so that a reader can tell the
  // lists apart by the empty lines between them.
  for (std::size_t n = 0; n < lists.size(); ++n) {
    if (n > 0) out << "\n";
    for (const std::string& line : lists[n]) out << line << "\n";
  }
}

std::vector<ResultLines> BoxPageLists(const OptionReader& o) {
  BoxPage page;
  for (auto [name, field] : {std::pair{"fs", &page.fs},
                             {"qts", &page.qts},
                             {"qes", &page.qes},
                             {"qms", &page.qms},
                             {"vas", &page.vas},
                             {"rdc", &page.rdc},
                             {"rv", &page.rv},
                             {"qtcwunsch", &page.desiredQtc},
                             {"altvab", &page.altVolume}})
    o.Text(name, *field);
  o.Flag("checkboxqesmsda", page.qesQmsKnown);
  o.Flag("checkboxrv", page.useRv);
  // With Qes and Qms known, the Qts field shows the value made of them.
  if (page.qesQmsKnown) page.qts = QtsFromQesQmsText(StrToDoubleLenient(page.qes), StrToDoubleLenient(page.qms));
  const BoxPageResult r = BoxPageLines(page);
  // The alternative-volume list shows something only once its field has
  // been filled in.
  ResultLines alt;
  if (o.Given("altvab")) alt = AltVolumePageLines(page);
  return {r.closed, r.vented, alt};
}

std::vector<ResultLines> PortPageLists(const OptionReader& o) {
  PortPage page;
  o.Radio("rbvexpl", "rb_vbht", page.explicitVolume);
  o.Radio("rb_rechteckig", "rb_rund", page.rectangular);
  for (auto [name, field] : {std::pair{"vb0", &page.boxVolume},
                             {"b", &page.boxWidth},
                             {"h", &page.boxHeight},
                             {"t", &page.boxDepth},
                             {"c", &page.portHeight},
                             {"e", &page.portWidth},
                             {"d", &page.portDiameter},
                             {"l", &page.portLength},
                             {"g", &page.rearWallDistance},
                             {"f", &page.floorDistance},
                             {"k", &page.topDistance},
                             {"i", &page.leftWallDistance},
                             {"j", &page.rightWallDistance}})
    o.Text(name, *field);
  o.Index("trackbarc", 4, page.damping);
  int tubes = page.tubes - 1;
  o.Index("cb_nrohre", 3, tubes);
  page.tubes = tubes + 1;
  return {PortLines(PortInputFromPage(page))};
}

std::vector<ResultLines> CrossoverPageLists(const OptionReader& o) {
  CrossoverPage page;
  o.Text("tf", page.crossoverFreq);
  o.Text("itt", page.wooferImpedance);
  o.Text("iht", page.tweeterImpedance);
  const StandardCrossoverLines x = CrossoverPageLines(page);
  // Order 1 to 4, the low-pass beside the high-pass of each order.
  std::vector<ResultLines> lists;
  for (std::size_t order = 0; order < 4; ++order) {
    lists.push_back(x.lowPass[order]);
    lists.push_back(x.highPass[order]);
  }
  return lists;
}

std::vector<ResultLines> DividerPageLists(const OptionReader& o) {
  DividerPage page;
  int item = kDefaultAttenuationItem;
  o.Index("cb_dbwunsch", static_cast<int>(AttenuationItems().size()) - 1, item);
  page.desiredAttenuation = AttenuationItems()[static_cast<std::size_t>(item)];
  o.Text("ze", page.inputImpedance);
  o.Text("za", page.loadImpedance);
  o.Flag("cb_zeegal", page.impedanceDoesNotMatter);
  o.Text("r1", page.r1);
  o.Text("r2", page.r2);
  o.Text("rl", page.rl);
  return {AttenuatorPageLines(page), DividerPageLines(page)};
}

std::vector<ResultLines> ZobelPageLists(const OptionReader& o) {
  ZobelPage page;
  o.Text("rlc_rdc", page.rdc);
  o.Text("rlc_fc", page.fc);
  o.Text("rlc_qes", page.qes);
  o.Text("rlc_qms", page.qms);
  o.Text("rlc_le", page.le);
  const ImpedanceCorrectionLines z = ZobelPageLines(page);
  return {z.resonance, z.inductance, z.both};
}

}  // namespace

CLI::App* AddDesignCommand(CLI::App& app, DesignArgs& args) {
  auto* cmd = app.add_subcommand(
      "design",
      "Hilfsberechnungen: Ergebniszeilen einer Seite ausgeben.\n"
      "Zahlen mit Komma oder Punkt; Kontrollkästchen und Optionsfelder 0/1; Listen ihre Nummer ab 0.\n"
      "Nicht angegebene Eingaben haben die Anfangswerte der Seite (in Klammern).");
  cmd->add_option("PAGE", args.page, "box, port, crossover, divider oder zobel")
      ->required()
      ->check(CLI::IsMember(std::vector<std::string>(kPages.begin(), kPages.end())));
  for (const DesignOption& d : kOptions) {
    auto& slot = args.values[d.name];
    cmd->add_option(std::string("--") + d.name, slot, d.help)->group(std::string("Seite ") + d.page);
  }
  return cmd;
}

int RunDesignCommand(const DesignArgs& args, std::ostream& out, std::ostream& err) {
  const OptionReader reader(args);
  for (const DesignOption& d : kOptions) {
    if (reader.Given(d.name) && args.page != d.page) {
      err << "--" << d.name << " gehört zur Seite " << d.page << ", nicht zu " << args.page << ".\n";
      return 2;
    }
  }
  try {
    std::vector<ResultLines> lists;
    if (args.page == "box")
      lists = BoxPageLists(reader);
    else if (args.page == "port")
      lists = PortPageLists(reader);
    else if (args.page == "crossover")
      lists = CrossoverPageLists(reader);
    else if (args.page == "divider")
      lists = DividerPageLists(reader);
    else if (args.page == "zobel")
      lists = ZobelPageLists(reader);
    else {
      err << "Unbekannte Seite: " << args.page << "\n";
      return 2;
    }
    PrintLists(lists, out);
  } catch (const BadValue& e) {
    err << e.what() << "\n";
    return 2;
  }
  return 0;
}

}  // namespace sonvex
