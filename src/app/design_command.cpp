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

struct TDesignOption {
  const char* page;
  const char* name;  // the control's name in lower case (an edit without "Edit")
  const char* help;
};

// In the order of the controls on each page.
constexpr std::array kOptions{
    TDesignOption{"box", "fs", "Resonanzfrequenz fs [Hz] (35)"},
    TDesignOption{"box", "qts", "Qts (0,4)"},
    TDesignOption{"box", "qes", "Qes (0,5)"},
    TDesignOption{"box", "qms", "Qms (2)"},
    TDesignOption{"box", "vas", "Vas [Liter] (80)"},
    TDesignOption{"box", "rdc", "Rdc [Ohm] (6)"},
    TDesignOption{"box", "rv", "Vorwiderstand Rv [Ohm] (1,0)"},
    TDesignOption{"box", "qtcwunsch", "gewünschte Güte Qtc (0,7)"},
    TDesignOption{"box", "altvab", "alternatives Volumen [Liter] (leer)"},
    TDesignOption{"box", "checkboxqesmsda", "Qes und Qms sind bekannt: Qts daraus (0)"},
    TDesignOption{"box", "checkboxrv", "Vorwiderstand berücksichtigen (0)"},
    TDesignOption{"port", "rbvexpl", "Volumen direkt angeben (1)"},
    TDesignOption{"port", "vb0", "Volumen incl. Kanal [Liter] (50)"},
    TDesignOption{"port", "rb_vbht", "Volumen über BxHxT (0)"},
    TDesignOption{"port", "b", "Innenbreite [cm] (20)"},
    TDesignOption{"port", "h", "Innenhöhe [cm] (98)"},
    TDesignOption{"port", "t", "Innentiefe [cm] (23)"},
    TDesignOption{"port", "trackbarc", "Bedämpfung 0 (keine Wolle) .. 4 (stark gestopft) (0)"},
    TDesignOption{"port", "rb_rechteckig", "rechteckiger Kanal (1)"},
    TDesignOption{"port", "c", "Kanalhöhe [cm] (8)"},
    TDesignOption{"port", "e", "Kanalbreite [cm] (20)"},
    TDesignOption{"port", "rb_rund", "runde Rohre (0)"},
    TDesignOption{"port", "d", "Rohrdurchmesser [cm] (7)"},
    TDesignOption{"port", "cb_nrohre", "Anzahl Rohre: 0 (1 Rohr) .. 3 (4 Rohre) (0)"},
    TDesignOption{"port", "l", "Kanallänge [cm] (15)"},
    TDesignOption{"port", "g", "inneres Kanalende bis zur Rückwand [cm] (10)"},
    TDesignOption{"port", "f", "Abstand zum Boden [cm] (0)"},
    TDesignOption{"port", "k", "Abstand zur Decke [cm] (90)"},
    TDesignOption{"port", "i", "Abstand zur linken Wand [cm] (0)"},
    TDesignOption{"port", "j", "Abstand zur rechten Wand [cm] (0)"},
    TDesignOption{"crossover", "tf", "Trennfrequenz [Hz] (1000)"},
    TDesignOption{"crossover", "itt", "Impedanz Tieftöner [Ohm] (8)"},
    TDesignOption{"crossover", "iht", "Impedanz Hochtöner [Ohm] (8)"},
    TDesignOption{"divider", "cb_dbwunsch", "gewünschte Pegelabsenkung: 0 (-0,5 dB) .. 24 (-15 dB) (5: -3 dB)"},
    TDesignOption{"divider", "ze", "gewünschte Anschlussimpedanz [Ohm] (8)"},
    TDesignOption{"divider", "za", "Lastimpedanz des Lautsprechers RL [Ohm] (8)"},
    TDesignOption{"divider", "cb_zeegal", "Anschlussimpedanz egal (1)"},
    TDesignOption{"divider", "r1", "Vorwiderstand R1 [Ohm] (2,2)"},
    TDesignOption{"divider", "r2", "Parallelwiderstand R2 [Ohm] (6,8)"},
    TDesignOption{"divider", "rl", "Last RL [Ohm] (8)"},
    TDesignOption{"zobel", "rlc_rdc", "Rdc [Ohm] (6,8)"},
    TDesignOption{"zobel", "rlc_fc", "Resonanzfrequenz fc [Hz] (66)"},
    TDesignOption{"zobel", "rlc_qes", "Qes (0,4)"},
    TDesignOption{"zobel", "rlc_qms", "Qms (2,8)"},
    TDesignOption{"zobel", "rlc_le", "Le [mH] (0,8)"},
};

constexpr std::array<std::string_view, 5> kPages{"box", "port", "crossover", "divider", "zobel"};

class TBadValue : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the given options of the page; every other page's option is refused.
class TOptionReader {
 public:
  explicit TOptionReader(const TDesignArgs& args) : args_(args) {}

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
    if (v != "0" && v != "1") throw TBadValue("--" + name + " erwartet 0 oder 1, nicht \"" + v + "\".");
    field = v == "1";
  }
  void Index(const std::string& name, int maxIndex, int& field) const {
    if (!Given(name)) return;
    const std::string& v = *args_.values.at(name);
    const TParsedInt parsed = ParseInt(v);
    const bool whole = !v.empty() && parsed.consumed == static_cast<int>(v.size());
    if (!whole || parsed.value < 0 || parsed.value > maxIndex)
      throw TBadValue("--" + name + " erwartet eine Zahl von 0 bis " + std::to_string(maxIndex) + ", nicht \"" + v +
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
      throw TBadValue("--" + first + " und --" + second + " schließen sich aus; genau eine muss 1 sein.");
    if (Given(first))
      firstSelected = a;
    else if (Given(second))
      firstSelected = !b;
  }

 private:
  const TDesignArgs& args_;
};

void PrintLists(const std::vector<TResultLines>& lists, std::ostream& out) {
  // An empty list still takes its place, so that a reader can tell the
  // lists apart by the empty lines between them.
  for (std::size_t n = 0; n < lists.size(); ++n) {
    if (n > 0) out << "\n";
    for (const std::string& line : lists[n]) out << line << "\n";
  }
}

std::vector<TResultLines> BoxPage(const TOptionReader& o) {
  TBoxPage page;
  for (auto [name, field] : {std::pair{"fs", &page.fs},
                             {"qts", &page.qts},
                             {"qes", &page.qes},
                             {"qms", &page.qms},
                             {"vas", &page.vas},
                             {"rdc", &page.rdc},
                             {"rv", &page.rv},
                             {"qtcwunsch", &page.qtcWunsch},
                             {"altvab", &page.altVab}})
    o.Text(name, *field);
  o.Flag("checkboxqesmsda", page.qesQmsKnown);
  o.Flag("checkboxrv", page.useRv);
  // With Qes and Qms known, the Qts field shows the value made of them.
  if (page.qesQmsKnown) page.qts = QtsFromQesQmsText(StrToDoubleLenient(page.qes), StrToDoubleLenient(page.qms));
  const TBoxPageResult r = BoxPageLines(page);
  // The alternative-volume list shows something only once its field has
  // been filled in.
  TResultLines alt;
  if (o.Given("altvab")) alt = AltVolumePageLines(page);
  return {r.closed, r.vented, alt};
}

std::vector<TResultLines> PortPage(const TOptionReader& o) {
  TPortPage page;
  o.Radio("rbvexpl", "rb_vbht", page.explicitVolume);
  o.Radio("rb_rechteckig", "rb_rund", page.rectangular);
  for (auto [name, field] : {std::pair{"vb0", &page.vb0},
                             {"b", &page.b},
                             {"h", &page.h},
                             {"t", &page.t},
                             {"c", &page.c},
                             {"e", &page.e},
                             {"d", &page.d},
                             {"l", &page.l},
                             {"g", &page.g},
                             {"f", &page.f},
                             {"k", &page.k},
                             {"i", &page.i},
                             {"j", &page.j}})
    o.Text(name, *field);
  o.Index("trackbarc", 4, page.damping);
  int tubes = page.tubes - 1;
  o.Index("cb_nrohre", 3, tubes);
  page.tubes = tubes + 1;
  return {PortLines(PortInputFromPage(page))};
}

std::vector<TResultLines> CrossoverPage(const TOptionReader& o) {
  TCrossoverPage page;
  o.Text("tf", page.tf);
  o.Text("itt", page.itt);
  o.Text("iht", page.iht);
  const TStandardCrossovers x = CrossoverPageLines(page);
  // Order 1 to 4, the low-pass beside the high-pass of each order.
  std::vector<TResultLines> lists;
  for (std::size_t order = 0; order < 4; ++order) {
    lists.push_back(x.lowPass[order]);
    lists.push_back(x.highPass[order]);
  }
  return lists;
}

std::vector<TResultLines> DividerPage(const TOptionReader& o) {
  TDividerPage page;
  int item = kDefaultAttenuationItem;
  o.Index("cb_dbwunsch", static_cast<int>(AttenuationItems().size()) - 1, item);
  page.dbWunsch = AttenuationItems()[static_cast<std::size_t>(item)];
  o.Text("ze", page.ze);
  o.Text("za", page.za);
  o.Flag("cb_zeegal", page.zeEgal);
  o.Text("r1", page.r1);
  o.Text("r2", page.r2);
  o.Text("rl", page.rl);
  return {AttenuatorPageLines(page), DividerPageLines(page)};
}

std::vector<TResultLines> ZobelPage(const TOptionReader& o) {
  TZobelPage page;
  o.Text("rlc_rdc", page.rdc);
  o.Text("rlc_fc", page.fc);
  o.Text("rlc_qes", page.qes);
  o.Text("rlc_qms", page.qms);
  o.Text("rlc_le", page.le);
  const TImpedanceCorrection z = ZobelPageLines(page);
  return {z.resonance, z.inductance, z.both};
}

}  // namespace

CLI::App* AddDesignCommand(CLI::App& app, TDesignArgs& args) {
  auto* cmd = app.add_subcommand(
      "design",
      "Hilfsberechnungen: Ergebniszeilen einer Seite ausgeben.\n"
      "Zahlen mit Komma oder Punkt; Kontrollkästchen und Optionsfelder 0/1; Listen ihre Nummer ab 0.\n"
      "Nicht angegebene Eingaben haben die Anfangswerte der Seite (in Klammern).");
  cmd->add_option("PAGE", args.page, "box, port, crossover, divider oder zobel")
      ->required()
      ->check(CLI::IsMember(std::vector<std::string>(kPages.begin(), kPages.end())));
  for (const TDesignOption& d : kOptions) {
    auto& slot = args.values[d.name];
    cmd->add_option(std::string("--") + d.name, slot, d.help)->group(std::string("Seite ") + d.page);
  }
  return cmd;
}

int RunDesignCommand(const TDesignArgs& args, std::ostream& out, std::ostream& err) {
  const TOptionReader reader(args);
  for (const TDesignOption& d : kOptions) {
    if (reader.Given(d.name) && args.page != d.page) {
      err << "--" << d.name << " gehört zur Seite " << d.page << ", nicht zu " << args.page << ".\n";
      return 2;
    }
  }
  try {
    std::vector<TResultLines> lists;
    if (args.page == "box")
      lists = BoxPage(reader);
    else if (args.page == "port")
      lists = PortPage(reader);
    else if (args.page == "crossover")
      lists = CrossoverPage(reader);
    else if (args.page == "divider")
      lists = DividerPage(reader);
    else if (args.page == "zobel")
      lists = ZobelPage(reader);
    else {
      err << "Unbekannte Seite: " << args.page << "\n";
      return 2;
    }
    PrintLists(lists, out);
  } catch (const TBadValue& e) {
    err << e.what() << "\n";
    return 2;
  }
  return 0;
}

}  // namespace sonvex
