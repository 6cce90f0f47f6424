#include "ui/dialogs/help_windows.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QtGlobal>

#include "charts/qt_text.h"
#include "model/captions.h"
#include "ui/dialogs/window_place.h"

namespace sonvex {

namespace {

// The licence under which Sonvex itself is given out.
constexpr std::string_view kProgramLicence =
    "Sonvex ist freie Software unter der MIT-Lizenz: Sie darf ohne Gebühr benutzt, kopiert, verändert und "
    "weitergegeben werden, sofern der Urheberrechtsvermerk und dieser Lizenztext erhalten bleiben. Sie wird "
    "ohne jede Gewährleistung bereitgestellt.";

}  // namespace

QString QuickGuideText() {
  return QText(R"(<h2>Kurzanleitung</h2>
<p>Sonvex simuliert mehrwegige Lautsprecherboxen. Jede Änderung wird im Hintergrund neu berechnet;
die Statuszeile unten zeigt, ob die letzte Berechnung gelungen ist (ein Klick darauf öffnet die Fehlerliste).</p>
<h3>So entsteht eine Box</h3>
<ol>
<li><b>Projekt anlegen:</b> <i>Datei &rarr; Projekteigenschaften</i> (Strg+E): Anzahl der Verstärker
(aktive Wege) und der Chassis, Frequenzbereich und Zahl der Rechenpunkte.</li>
<li><b>Chassis eintragen:</b> <i>Chassis &amp; Einbau &rarr; Chassis n</i> (Strg+F1 &hellip;): Thiele-Small-Parameter
laden oder eingeben, Gehäuse (integriert, geschlossen, Bassreflex, Bandpass) und die Lage auf der Schallwand
festlegen. Für eine gemeinsame Box: <i>gemeinsames Außengehäuse</i> (Strg+G).</li>
<li><b>Gehäuse vorab dimensionieren:</b> <i>Extras &rarr; Auslegung &hellip;</i> (Strg+A) rechnet Volumen geschlossener
und Bassreflexboxen, die Abstimmung eines Reflexkanals, Standardweichen, Spannungsteiler und
Impedanzkorrekturglieder aus. Diese Rechner verändern das Projekt nicht.</li>
<li><b>Weiche entwerfen:</b> <i>Verstärker n &rarr; Weiche editieren</i> (F6, F8, F10 &hellip;) für die passive Weiche,
<i>Aktive Filter</i> (F5, F7, F9 &hellip;) für Pegel und aktive Hoch- und Tiefpässe.</li>
<li><b>Ergebnis beurteilen:</b> Die Registerkarten zeigen Frequenzgang und Impedanz, Phase, maximalen Pegel,
Abstrahlung in verschiedene Richtungen, Polardiagramme, Bündelung, die einzelnen Chassis und die
elektrischen Signale. Die Seite <i>Spinorama</i> schätzt aus den 30 simulierten Richtungen Hörfenster,
frühe Reflexionen, Schallleistung, den Frequenzgang im Raum und die beiden Bündelungsmaße ab und zeigt
darunter die Gruppenlaufzeit. Die Seite <i>Sprungantwort</i> zeigt oben die Sprung- und unten die
Impulsantwort auf Achse, von 1 ms vor dem Einsatz bis 5, 10, 20 oder 50 ms (Auswahl <i>bis</i>). Alle
Kurven sind auf den Spitzenwert der Gesamtbox bezogen; so sieht man, ob der Hochtöner vor dem Tieftöner
einsetzt und wie lange ein Bassreflexgehäuse nachschwingt.</li>
<li><b>Gemessene Abstrahlung:</b> Wer jedes Chassis in der Box auf Achse und unter Winkeln misst
(waagerecht, wenn möglich auch senkrecht, in Schritten von 10&deg; oder 15&deg;), benennt die Dateien mit
Ebene und Winkel, z.&nbsp;B. <i>Tieftöner hor -30.frd</i>, <i>30_H.txt</i> oder <i>Tieftöner ver 60.frd</i>, und liest
sie im Chassis-Editor mit <i>Polardaten importieren &hellip;</i> alle auf einmal ein. Gilt der gemessene
Frequenzgang &bdquo;im Gehäuse&ldquo; und ist er eingeschaltet, kommen die Richtungen dieses Chassis dann aus der
Messung statt aus dem Modell; das Spinorama sagt es in seiner Unterzeile.</li>
<li><b>Vergleichen:</b> <i>Bearbeiten &rarr; Projekt als Referenz merken</i> (Strg+R) zeichnet den jetzigen Stand
zum Vergleich mit. Jede Änderung lässt sich mit <i>Undo</i> (Strg+Z) zurücknehmen.</li>
<li><b>Feinschliff:</b> Zum Optimieren markierte Weichenbauteile verbessert der <i>Weichenoptimierer</i>
(Strg+O).</li>
<li><b>Sichern und weitergeben:</b> <i>Projekt speichern</i> (Strg+S); <i>Ergebnis-Export</i> (Strg+Alt+E)
schreibt Frequenzgänge als Textdatei für andere Programme.</li>
</ol>
<h3>Gut zu wissen</h3>
<ul>
<li>Zahlen werden mit Dezimalkomma angezeigt; bei der Eingabe gelten Komma und Punkt.</li>
<li>Farben und Skalierung der Diagramme: <i>Optionen &rarr; Anzeigeoptionen</i> (Strg+Alt+O).</li>
<li>Die Datenverzeichnisse für Chassis, Projekte und Weichenbauteile: <i>Optionen &rarr; Verzeichnisse</i>.</li>
<li>Diese Anleitung öffnet sich jederzeit mit F1.</li>
</ul>)");
}

QString AboutText() {
  return QText(
      "<h2>Sonvex " + std::string(kVersionText) +
      "</h2>"
      "<p>Simulation mehrwegiger Lautsprecherboxen: Chassis, Gehäuse, Schallwand, Frequenzweichen.</p>"
      "<h3>Lizenz</h3><p>" +
      std::string(kProgramLicence) +
      "</p>"
      "<h3>Verwendete Bibliotheken</h3>"
      "<ul>"
      "<li><b>Qt " +
      std::string(qVersion()) +
      "</b> (Qt Core, Gui, Widgets) &ndash; GNU Lesser General Public License v3; "
      "dynamisch gebunden, kann also durch eine eigene Qt-Version ersetzt werden.</li>"
      "<li><b>GNU C++-Standardbibliothek</b> (libstdc++) &ndash; GPL v3 mit GCC Runtime Library Exception.</li>"
      "<li>Nur im Kommandozeilenprogramm <i>sonvex-cli</i>: <b>CLI11</b> (BSD-3-Clause) und "
      "<b>JSON for Modern C++</b> (MIT).</li>"
      "<li>Diagrammschrift: <b>Liberation Sans</b>, falls installiert (SIL Open Font License 1.1).</li>"
      "</ul>");
}

QuickGuideWindow::QuickGuideWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QText("Sonvex - Kurzanleitung"));
  browser_ = new QTextBrowser(this);
  browser_->setHtml(QuickGuideText());
  auto* close = new QPushButton(QText("Schließen"), this);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(close);
  auto* main = new QVBoxLayout(this);
  main->addWidget(browser_);
  main->addLayout(row);
  resize(620, 640);
}

void QuickGuideWindow::showEvent(QShowEvent* e) {
  // The first showing puts the guide beside the main window, within the
  // screen (a smaller one shortens it; the text scrolls); later it stays
  // where the user left it.
  if (!placed_) {
    placed_ = true;
    PlaceWindowBeside(this, parentWidget());
  }
  QWidget::showEvent(e);
}

void QuickGuideWindow::keyPressEvent(QKeyEvent* e) {
  if (e->matches(QKeySequence::Cancel)) {
    close();
    return;
  }
  QWidget::keyPressEvent(e);
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QText("Info über Sonvex"));
  browser_ = new QTextBrowser(this);
  browser_->setHtml(AboutText());
  auto* ok = new QPushButton(QText("&Ok"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  auto* main = new QVBoxLayout(this);
  main->addWidget(browser_);
  main->addLayout(row);
  resize(520, 420);
}

}  // namespace sonvex
