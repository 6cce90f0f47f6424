// The optimizer window on a project document with a scripted interaction:
// opening it, the checks before a run, a whole run, aborting and discarding,
// the grade lists and their history, and fixing stalled parts.
#include <gtest/gtest.h>
#include <QtTest/QTest>

#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document_fixture.h"
#include "model/interaction.h"
#include "model/project_file.h"
#include "model/settings.h"
#include "network/e_series.h"
#include "optimizer/optimizer.h"
#include "optimizer/optimizer_preconditions.h"
#include "optimizer_test_support.h"
#include "support/scripted_interaction.h"
#include "support/test_projects.h"
#include "support/thread_events.h"
#include "ui/editors/optimizer_window.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kPoints = 32;  // a coarse grid keeps a whole run short

// The number after "=" of a grade line, read without the locale.
double LineValue(const QString& line) {
  const std::string s = line.toStdString();
  std::size_t at = s.find('=') + 1;
  while (at < s.size() && s[at] == ' ') ++at;
  double v = NAN;
  std::from_chars(s.data() + at, s.data() + s.size(), v);
  return v;
}

// The total grade of a result list as the end message writes it: three
// decimals with a decimal comma.
std::string GradeText(const QListWidget& list) {
  std::string s = list.item(4)->text().toStdString();
  s.erase(0, s.find('=') + 1);
  s.erase(0, s.find_first_not_of(' '));
  std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

using testing::Gate;

// Hooks that hold the optimizer before its first trial after a part was
// fixed by hand until `release` opens, announcing to `held` that it waits
// there (or that the run ended without a fix).
void HoldAfterTheFirstFix(OptimizerThread& optimizer, const std::atomic<int>& fixes, MessagesUntil& held,
                          Gate& release) {
  optimizer.onTrial = [&fixes, &held, &release](const OptimizerThread::Trial&) {
    if (fixes == 0) return;
    held.Announce();
    release.Wait();
  };
  optimizer.onReport = [&optimizer, &held] {
    if (optimizer.Progress() < 0) held.Announce();
  };
}

// The text of the finish panel.
std::string FinishText(const CrossoverOptimizerWindow& w) {
  const auto* label = w.FinishPanel()->findChild<QLabel*>(QStringLiteral("finishTextLabel"));
  return label != nullptr ? label->text().toStdString() : std::string("(no label)");
}

// The window on a project document as the main window builds it, shown as
// "Weichenoptimierer ..." shows it.
template <class Ui = ScriptedInteraction>
class OptimizerFixture : public DocumentFixture<Ui> {
 protected:
  using DocumentFixture<Ui>::settings_;
  using DocumentFixture<Ui>::ui_;
  using DocumentFixture<Ui>::doc_;

  void TearDown() override {
    window_.reset();
    DocumentFixture<Ui>::TearDown();
  }

  CrossoverOptimizerWindow& Open(const Project& p) {
    window_.reset();
    this->StartDocument(p);
    window_ = std::make_unique<CrossoverOptimizerWindow>(*doc_, ui_, 0ms);
    QObject::connect(window_.get(), &CrossoverOptimizerWindow::openChanged, [this](bool open) {
      if (!open) ++closings_;
    });
    // A part fixed by hand is asked about in a dialog; "&Ok" keeps the value
    // the search found.
    window_->fixPartDialog = [this](const OptimizerVariable& v,
                                    const CrossoverPart& part) -> std::optional<CrossoverPart> {
      fixed_.push_back({v, part});
      return part;
    };
    window_->ShowWindow();
    return *window_;
  }

  struct FixRequest {
    OptimizerVariable value;
    CrossoverPart part;
  };
  std::vector<FixRequest> fixed_;  // the parts the fix dialog was asked about
  int closings_ = 0;               // how often the window told that it closed
  std::unique_ptr<CrossoverOptimizerWindow> window_;
};
using OptimizerWindow = OptimizerFixture<>;

TEST_F(OptimizerWindow, ShowWindowShowsAnIdleWindowAndClosingWithoutARunAsksNothing) {
  auto p = DetunedTwoWay();
  CrossoverOptimizerWindow& w = Open(*p);
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.windowTitle().toStdString(), "Sonvex - Weichenoptimierer");
  EXPECT_EQ(w.height(), 440);
  EXPECT_EQ(w.StartButton()->text().toStdString(), "Optimierung starten ");
  EXPECT_FALSE(w.StartButton()->isHidden());
  EXPECT_TRUE(w.AbortButton()->isHidden());
  EXPECT_FALSE(w.CloseButton()->isHidden());
  EXPECT_TRUE(w.FinishPanel()->isHidden());
  EXPECT_EQ(w.ProgressValue(), -1);
  EXPECT_EQ(w.CapacitorChoice()->currentText().toStdString(), "Kondensatoren manuell wählen");
  EXPECT_EQ(w.ResistorChoice()->currentText().toStdString(), "Widerstände manuell wählen");

  // Closing without a run asks nothing.
  w.CloseButton()->click();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(closings_, 1);
  EXPECT_TRUE(ui_.asked.empty());
  w.ShowWindow();
  EXPECT_TRUE(w.isVisible());
}

// The test screen (800×600) is narrower than the window (820 pixels and a
// frame): the window takes the screen's width and its controls, kept at their
// places on a page of the window's designed size, scroll; they all still work.
TEST_F(OptimizerWindow, OnAScreenNarrowerThanTheWindowItsControlsScroll) {
  CrossoverOptimizerWindow& w = Open(*DetunedTwoWay());
  const QRect free = w.screen()->availableGeometry();
  ASSERT_LT(free.width(), 820 + 16) << "the test needs a screen narrower than the window";
  EXPECT_LE(w.width(), free.width());
  auto* area = w.findChild<QScrollArea*>("optimizerScrollArea");
  ASSERT_NE(area, nullptr);
  EXPECT_EQ(area->widget()->size(), QSize(820, 440));
  EXPECT_TRUE(area->widget()->isAncestorOf(w.CloseButton()));
  EXPECT_EQ(w.CloseButton()->geometry(), QRect(820 - 108, 406, 100, 26));
  EXPECT_TRUE(w.AbortButton()->isHidden());  // a hidden control stays hidden
  area->ensureWidgetVisible(w.CloseButton());
  w.CloseButton()->click();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(closings_, 1);
}

TEST_F(OptimizerWindow, EscapeClosesAnIdleWindow) {
  CrossoverOptimizerWindow& w = Open(*DetunedTwoWay());
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  QTest::keyClick(&w, Qt::Key_Escape);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(closings_, 1);
}

TEST_F(OptimizerWindow, SlidersGiveTheGradingParameters) {
  CrossoverOptimizerWindow& w = Open(*DetunedTwoWay());
  EXPECT_EQ(w.Params(), DefaultOptimizerParams());
  EXPECT_EQ(w.BassSlider()->value(), 3);
  EXPECT_EQ(w.ImpedanceSlider()->maximum(), 8);
  EXPECT_EQ(w.ImpedanceSlider()->value(), 5);
  w.ImpedanceSlider()->setValue(4);
  w.EfficiencySlider()->setValue(6);
  w.BassSlider()->setValue(0);
  w.TrebleSlider()->setValue(6);
  const OptimizerParams prm = w.Params();
  EXPECT_DOUBLE_EQ(prm.Zmin, 4.0);          // 8 · 0.5^(4/4)
  EXPECT_DOUBLE_EQ(prm.e, 0.0);             // 1 - 6/6
  EXPECT_NEAR(prm.bass, 1.99526, 1e-5);     // 10^0.3
  EXPECT_NEAR(prm.treble, 0.501187, 1e-6);  // 10^-0.3
  EXPECT_EQ(prm.wA, 10);
  EXPECT_EQ(prm.wE, 3);
  EXPECT_EQ(prm.wL, 2);
  EXPECT_EQ(prm.wR, 2);
  EXPECT_EQ(prm.wB, 3);
  EXPECT_FALSE(prm.transformer);
  w.ImpedanceSlider()->setValue(8);
  EXPECT_DOUBLE_EQ(w.Params().Zmin, 2.0);
}

TEST_F(OptimizerWindow, StartWithoutMarksAsksUntilMarkedAndChassisDataMustBeGiven) {
  // The test box has no resistor: "alle Widerstände markieren" marks nothing
  // and the question comes again.
  auto p = testing::MakeTwoWayProject(kPoints);
  CrossoverOptimizerWindow& w = Open(*p);
  ui_.buttons = {2, 1, 3};
  w.StartButton()->click();
  ASSERT_EQ(ui_.asked.size(), 3u);
  EXPECT_EQ(ui_.asked[0].text, "Soll Projekt vorher als Referenzprojekt gespeichert werden?");
  EXPECT_EQ(ui_.asked[0].options, "&Ja|&Nein");
  for (int i : {1, 2}) {
    EXPECT_EQ(ui_.asked[i].text, "Es wurden keine Bauteile zur Optimierung markiert. Was soll geschehen?");
    EXPECT_EQ(ui_.asked[i].options,
              "alle Widerstände markieren|alle Bauteile markieren|Bauteile im Weicheneditor selbst markieren.");
  }
  EXPECT_FALSE(w.RunStarted());
  EXPECT_TRUE(w.Optimizer().IsIdle());
  EXPECT_EQ(CountMarkedParts(doc_->CurrentProject()), 0);
  EXPECT_TRUE(doc_->CurrentProject().saved);
  EXPECT_FALSE(doc_->HasReference());

  // "alle Bauteile markieren" marks capacitor and coil in the project; a
  // chassis without xlin then stops the start, naming it.
  doc_->Unguarded().chassis[1].xlin = 0;
  ui_.asked.clear();
  ui_.buttons = {1, 2};
  w.StartButton()->click();
  EXPECT_TRUE(doc_->HasReference());
  ASSERT_EQ(ui_.asked.size(), 3u);
  EXPECT_EQ(ui_.asked[2].kind, "message");
  EXPECT_EQ(ui_.asked[2].text, "Chassis 2:\rSd, xlin und Pmax müssen > 0 sein.");
  EXPECT_EQ(CountMarkedParts(doc_->CurrentProject()), 2);
  EXPECT_FALSE(doc_->CurrentProject().saved);
  EXPECT_FALSE(w.RunStarted());
  EXPECT_TRUE(w.AbortButton()->isHidden());
  EXPECT_EQ(w.ListBefore()->count(), 0);
}

using OptimizerWhileCalculating = OptimizerFixture<WaitCountingInteraction>;

TEST_F(OptimizerWhileCalculating, StartWaitsForTheMainCalculationOrIsCancelled) {
  CrossoverOptimizerWindow& w = Open(*DetunedTwoWay());
  // The calculation is held in its items until the question came.
  const std::atomic<int> needed{1};
  doc_->Calculation().onItemRun = ui_.HoldUntilAsked(needed);
  doc_->RequestFullCalc();
  ui_.buttons = {2};  // "abbrechen"
  w.StartButton()->click();
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, "Rechnung muss erst beendet sein.");
  EXPECT_EQ(ui_.asked[0].options, "&nochmal versuchen|abbrechen");
  EXPECT_FALSE(w.RunStarted());
  EXPECT_TRUE(w.Optimizer().IsIdle());
  ASSERT_TRUE(doc_->WaitCalcIdle());
}

TEST_F(OptimizerWindow, RunOnADetunedBoxFinishesWithThePanelAndLowersTheGrade) {
  CrossoverOptimizerWindow& w = Open(*DetunedTwoWay());
  const double startGrade = doc_->Grades()[GradeTotal];
  w.CapacitorChoice()->setCurrentIndex(2);  // E12
  ui_.buttons = {2};                        // no reference
  w.StartButton()->click();
  EXPECT_TRUE(w.RunStarted());
  EXPECT_TRUE(w.StartButton()->isHidden());
  EXPECT_FALSE(w.StartButton()->isEnabled());
  EXPECT_FALSE(w.AbortButton()->isHidden());
  EXPECT_TRUE(w.CloseButton()->isHidden());
  ASSERT_TRUE(WaitOptimizerRun(w));

  EXPECT_EQ(w.Optimizer().LastOutcome(), OptimizerOutcome::Finished);
  EXPECT_FALSE(w.FinishPanel()->isHidden());
  EXPECT_EQ(w.ProgressValue(), -1);
  ASSERT_EQ(w.ListBefore()->count(), 5);
  ASSERT_EQ(w.ListAfter()->count(), 5);
  const char* labels[] = {"Note Impedanz     = ", "Note Frequenzgang = ", "Note Wirkungsgrad = ",
                          "Note Phase        = ", "Note gesamt       = "};
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(w.ListAfter()->item(i)->text().startsWith(QString::fromUtf8(labels[i]))) << i;
    EXPECT_EQ(w.ListAfter()->item(i)->text().size(), 28) << i;
  }
  const double before = LineValue(w.ListBefore()->item(4)->text());
  const double after = LineValue(w.ListAfter()->item(4)->text());
  // The window grades with the default sliders, as the main calculation does.
  EXPECT_NEAR(before, startGrade, 0.0005);
  EXPECT_LT(after, before);
  EXPECT_NEAR(after, w.Optimizer().BestGrades()[GradeTotal], 0.0005);
  // The end message names both total grades as the lists show them.
  const std::string endText = FinishText(w);
  EXPECT_EQ(endText.rfind("Die Optimierung wurde erfolgreich beendet. ", 0), 0u) << endText;
  EXPECT_NE(
      endText.find("Note gesamt vorher " + GradeText(*w.ListBefore()) + ", nachher " + GradeText(*w.ListAfter()) + "."),
      std::string::npos)
      << endText;
  ASSERT_GE(w.History().size(), 2u);
  EXPECT_DOUBLE_EQ(w.History().front()[0], startGrade);
  EXPECT_DOUBLE_EQ(w.History().back()[0], w.Optimizer().BestGrades()[GradeTotal]);
  EXPECT_TRUE(w.ReportPending());
  // The main window shows the best crossover's curves.
  EXPECT_TRUE(doc_->ShownResult().valid);
  EXPECT_TRUE(doc_->ShownResult().boxPressure == w.Optimizer().BestResult().boxPressure);
  EXPECT_TRUE(doc_->ShownResult().chassisFront == w.Optimizer().BestResult().chassisFront);
  // A capacitor that stalled (its variable is gone) went to the E12 series.
  const auto& vars = w.Optimizer().Variables();
  if (std::none_of(vars.begin(), vars.end(), [](const OptimizerVariable& v) { return v.slot == 0; })) {
    const double c = w.Optimizer().BestProject().amplifiers[0].crossover[0].value;
    EXPECT_NEAR(c, RoundToESeries(c, ESeries::E12), 1e-15);
  }

  // The coil is always fixed by hand: the dialog is asked about it, by the
  // name the part editor's headline shows (the main-window tests see the
  // part editor it runs in).
  if (std::none_of(vars.begin(), vars.end(), [](const OptimizerVariable& v) { return v.slot == 1; })) {
    ASSERT_GE(fixed_.size(), 1u);
    const std::string name = OptimizedPartName(fixed_[0].value, fixed_[0].part);
    EXPECT_TRUE(name.starts_with("Spule ")) << name;
  }

  // The timer puts the buttons back and paints the history.
  w.TimerTick();
  EXPECT_TRUE(w.AbortButton()->isHidden());
  EXPECT_FALSE(w.CloseButton()->isHidden());
  EXPECT_FALSE(w.StartButton()->isHidden());
  EXPECT_TRUE(w.StartButton()->isEnabled());
  EXPECT_FALSE(w.ReportPending());

  // "Ok" on the panel closes; "&Ja" takes the optimized crossover over.
  ui_.asked.clear();
  ui_.buttons = {1};
  w.FinishOkButton()->click();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(closings_, 1);
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, "Optimierungsergebnisse übernehmen?");
  EXPECT_EQ(ui_.asked[0].options, "&Ja|&Nein|&Abbruch");
  EXPECT_TRUE(doc_->CurrentProject().amplifiers[0].crossover == w.Optimizer().BestProject().amplifiers[0].crossover);
  EXPECT_FALSE(doc_->CurrentProject().saved);
  ASSERT_TRUE(doc_->WaitCalcIdle());
  EXPECT_NEAR(doc_->Grades()[GradeTotal], w.Optimizer().BestGrades()[GradeTotal], 1e-9);
  // Taking over is an undo step of its own: one Ctrl+Z brings back the
  // crossover the run started from, and nothing before it.
  ASSERT_EQ(doc_->UndoHistory().TopDescription(), "Optimierung übernehmen");
  const int stepsBefore = doc_->UndoHistory().Count();
  doc_->Undo();
  EXPECT_TRUE(doc_->CurrentProject().amplifiers[0].crossover == w.Optimizer().StartProject().amplifiers[0].crossover);
  EXPECT_EQ(doc_->UndoHistory().Count(), stepsBefore - 1);
  ASSERT_TRUE(doc_->WaitCalcIdle());

  // Shown again, the window does not ask about the old run.
  w.ShowWindow();
  EXPECT_FALSE(w.RunStarted());
  EXPECT_TRUE(w.FinishPanel()->isHidden());
  ui_.asked.clear();
  w.close();
  EXPECT_TRUE(ui_.asked.empty());
}

TEST_F(OptimizerWindow, AbortThenNoRestoresTheProjectWithoutTheFixedParts) {
  CrossoverOptimizerWindow& w = Open(*DetunedTwoWay());
  const auto startProject = std::make_unique<Project>(doc_->CurrentProject());
  // Parts are fixed by hand to 10 % more; after the first fix the optimizer
  // holds before its next trial until the test lets it go on.
  std::atomic<int> fixes{0};
  Gate release;
  MessagesUntil held;
  w.fixPartDialog = [&](const OptimizerVariable&, const CrossoverPart& part) -> std::optional<CrossoverPart> {
    CrossoverPart fixed = part;
    fixed.value *= 1.1;
    ++fixes;
    return fixed;
  };
  HoldAfterTheFirstFix(w.Optimizer(), fixes, held, release);
  ui_.buttons = {2};
  w.StartButton()->click();
  ASSERT_TRUE(held.Run());
  ASSERT_EQ(fixes, 1);
  ASSERT_FALSE(w.Optimizer().IsIdle());

  // Closing while it runs: "&Nein" to the abort question keeps it running
  // and the window open.
  ui_.asked.clear();
  ui_.buttons = {2};
  w.close();
  EXPECT_TRUE(w.isVisible());
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, "Optimierung abbrechen?");
  EXPECT_EQ(ui_.asked[0].options, "&Ja|&Nein");
  EXPECT_FALSE(w.Optimizer().IsIdle());

  release.Open();
  w.AbortButton()->click();
  ASSERT_TRUE(WaitOptimizerRun(w));
  EXPECT_TRUE(w.Optimizer().IsIdle());
  EXPECT_EQ(w.Optimizer().LastOutcome(), OptimizerOutcome::Stopped);
  EXPECT_TRUE(w.FinishPanel()->isHidden());
  EXPECT_TRUE(w.AbortButton()->isHidden());
  EXPECT_FALSE(w.CloseButton()->isHidden());
  EXPECT_TRUE(w.StartButton()->isEnabled());
  // The best crossover holds the fixed part.
  EXPECT_FALSE(w.Optimizer().BestProject().amplifiers[0].crossover == startProject->amplifiers[0].crossover);

  // "&Abbruch" keeps the window open; "&Nein" puts the start project back.
  ui_.asked.clear();
  ui_.buttons = {3, 2};
  w.close();
  EXPECT_TRUE(w.isVisible());
  w.CloseButton()->click();
  EXPECT_FALSE(w.isVisible());
  ASSERT_EQ(ui_.asked.size(), 2u);
  EXPECT_EQ(ui_.asked[1].text, "Optimierungsergebnisse übernehmen?");
  EXPECT_TRUE(doc_->CurrentProject() == *startProject);
  EXPECT_EQ(closings_, 1);
  ASSERT_TRUE(doc_->WaitCalcIdle());
  EXPECT_TRUE(doc_->ShownResult().valid);
}

TEST_F(OptimizerWindow, HistoryKeepsTheLatest250Reports) {
  CrossoverOptimizerWindow& w = Open(*DetunedTwoWay());
  const auto result = std::make_unique<CalcResult>(doc_->ShownResult());
  GradeBlock g{};
  for (int i = 0; i < 260; ++i) {
    g[GradeTotal] = i;
    g[GradeResponse] = i + 0.1;
    g[GradeEfficiency] = i + 0.2;
    g[GradeImpedance] = i + 0.3;
    g[GradePhase] = i + 0.4;
    w.GradeReport(g, *result);
  }
  ASSERT_EQ(w.History().size(), 250u);
  EXPECT_DOUBLE_EQ(w.History().front()[0], 10);  // the oldest ten dropped
  EXPECT_DOUBLE_EQ(w.History().back()[0], 259);
  const GradeHistoryEntry last{259, 259.1, 259.2, 259.3, 259.4};
  EXPECT_EQ(w.History().back(), last);
  EXPECT_EQ(w.ListBefore()->item(4)->text().toStdString(), "Note gesamt       =    0.000");
  EXPECT_EQ(w.ListAfter()->item(4)->text().toStdString(), "Note gesamt       =  259.000");
  EXPECT_TRUE(w.ReportPending());

  // y = 115 - 15 · grade, to the nearest pixel.
  EXPECT_EQ(HistoryY(0), 115);
  EXPECT_EQ(HistoryY(1.2), 97);
  EXPECT_EQ(HistoryY(7.5), 3);
  EXPECT_EQ(HistoryY(-0.1), 117);  // 116.5 rounds away from zero
}

TEST_F(OptimizerWindow, GradeLinesUseTheDecimalPointInEveryLocale) {
  CrossoverOptimizerWindow& w = Open(*DetunedTwoWay());
  const auto result = std::make_unique<CalcResult>(doc_->ShownResult());
  GradeBlock g{};
  g[GradeImpedance] = 1.23456;
  g[GradeResponse] = 4.5459;
  g[GradeEfficiency] = 12.0;
  g[GradePhase] = 0.0004;
  g[GradeTotal] = -3.5;
  const std::string expected[] = {"Note Impedanz     =    1.235", "Note Frequenzgang =    4.546",
                                  "Note Wirkungsgrad =   12.000", "Note Phase        =    0.000",
                                  "Note gesamt       =   -3.500"};
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  int checked = 0;
  for (const char* locale : {"C", "de_DE.UTF-8"}) {
    if (std::setlocale(LC_ALL, locale) == nullptr) {
      std::printf("Locale %s is not installed (scripts/setup generates it); skipped.\n", locale);
      continue;
    }
    if (std::string(locale) != "C") {
      // The locale is really in force: the C library writes a comma.
      char buf[16];
      std::snprintf(buf, sizeof buf, "%.1f", 1.5);
      EXPECT_STREQ(buf, "1,5");
    }
    w.GradeReport(g, *result);
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(OptimizerResultLines(g)[static_cast<std::size_t>(i)], expected[i]) << locale;
      EXPECT_EQ(w.ListAfter()->item(i)->text().toStdString(), expected[i]) << locale;
    }
    ++checked;
  }
  std::setlocale(LC_ALL, previous.c_str());
  if (checked < 2) GTEST_SKIP() << "de_DE.UTF-8 is not installed; only the C locale was checked";
}

TEST_F(OptimizerWindow, StalledPartsAreRoundedByTheListsOrChosenByHand) {
  CrossoverOptimizerWindow& w = Open(*DetunedTwoWay());
  OptimizerVariable v;
  CrossoverPart r;
  r.type = PartResistor;
  r.note = "MOX";
  CrossoverPart c;
  c.type = PartCapacitor;
  CrossoverPart l;
  l.type = PartInductor;
  l.value = 0.8e-3;
  l.resistance = 0.3;
  std::vector<CrossoverPart> asked;
  w.fixPartDialog = [&](const OptimizerVariable&, const CrossoverPart& part) -> std::optional<CrossoverPart> {
    asked.push_back(part);
    return std::nullopt;  // cancelled: the part stays as it is
  };

  struct Case {
    int resistorList;
    double from, to;
  };
  for (const Case& k : {Case{2, 2.4, 2.2}, Case{1, 2.4, 2.2}, Case{2, 1.3, 1.2}, Case{1, 1.3, 1.5}}) {
    w.ResistorChoice()->setCurrentIndex(k.resistorList);
    r.value = k.from;
    EXPECT_DOUBLE_EQ(w.FixPart(v, r).value, k.to) << k.resistorList << " " << k.from;
  }
  w.CapacitorChoice()->setCurrentIndex(1);
  c.value = 4.3e-6;
  EXPECT_NEAR(w.FixPart(v, c).value, 4.7e-6, 1e-18);
  EXPECT_TRUE(asked.empty());

  // By hand: a capacitor with "manuell", a coil always.
  w.CapacitorChoice()->setCurrentIndex(0);
  EXPECT_TRUE(w.FixPart(v, c) == c);
  EXPECT_TRUE(w.FixPart(v, l) == l);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_TRUE(asked[1] == l);

  // Until the part editor takes the job, the value dialog asks.
  v.amplifier = 1;
  ui_.edits = {std::vector<std::string>{"1,5", "0.4", "Luft 1,5"}, std::nullopt};
  const auto coil = AskPartValues(ui_, v, l);
  ASSERT_TRUE(coil.has_value());
  EXPECT_DOUBLE_EQ(coil->value, 0.0015);
  EXPECT_DOUBLE_EQ(coil->resistance, 0.4);
  EXPECT_EQ(coil->note, "Luft 1,5");
  EXPECT_EQ(coil->type, PartInductor);
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].kind, "edit");
  EXPECT_EQ(ui_.asked[0].text, "Spule festlegen (Verstärker 2)");
  EXPECT_EQ(ui_.asked[0].options, "Wert [mH] %dWiderstand [Ohm] %dBem. %s");
  EXPECT_FALSE(AskPartValues(ui_, v, c).has_value());  // cancelled
}

// Notes the preselected button of every question.
struct DefaultsNoted : ScriptedInteraction {
  std::vector<int> defaults;
  int ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) override {
    defaults.push_back(defaultIndex);
    return ScriptedInteraction::ChooseButton(message, captions, defaultIndex);
  }
};
using OptimizerEnd = OptimizerFixture<DefaultsNoted>;

// Parts fixed by hand far off their values leave the end of a run worse than
// its start: the end message says so with both grades and proposes the
// start values, and the closing question's preselected answer keeps them.
TEST_F(OptimizerEnd, AnEndWorseThanTheStartSaysSoAndTheQuestionKeepsTheStartValues) {
  // A first run brings the detuned box to the optimum of the search (the
  // parts keep the values it found) and is taken over.
  CrossoverOptimizerWindow& w = Open(*DetunedTwoWay());
  ui_.buttons = {2};  // no reference
  w.StartButton()->click();
  ASSERT_TRUE(WaitOptimizerRun(w));
  ASSERT_EQ(w.Optimizer().LastOutcome(), OptimizerOutcome::Finished);
  w.TimerTick();
  ui_.buttons = {1};
  w.FinishOkButton()->click();
  ASSERT_FALSE(w.isVisible());
  ASSERT_TRUE(doc_->WaitCalcIdle());
  const auto startProject = std::make_unique<Project>(doc_->CurrentProject());
  ASSERT_EQ(CountMarkedParts(*startProject), 2);

  // From there the search finds nothing better, and every part it stalls on
  // is fixed by hand half as large again (a coil at two thirds).
  w.ShowWindow();
  w.fixPartDialog = [](const OptimizerVariable&, const CrossoverPart& part) -> std::optional<CrossoverPart> {
    CrossoverPart fixed = part;
    fixed.value = part.type == PartCapacitor ? part.value * 1.5 : part.value / 1.5;
    return fixed;
  };
  ui_.buttons = {2};  // no reference
  w.StartButton()->click();
  ASSERT_TRUE(WaitOptimizerRun(w));
  ASSERT_EQ(w.Optimizer().LastOutcome(), OptimizerOutcome::Finished);
  EXPECT_FALSE(w.FinishPanel()->isHidden());
  const double before = LineValue(w.ListBefore()->item(4)->text());
  const double after = LineValue(w.ListAfter()->item(4)->text());
  ASSERT_GT(after, before);
  EXPECT_NEAR(before, w.Optimizer().StartGrades()[GradeTotal], 0.0005);
  EXPECT_EQ(FinishText(w),
            "Die Optimierung wurde beendet, das Ergebnis ist aber schlechter als der Start: "
            "Note gesamt vorher " +
                GradeText(*w.ListBefore()) + ", nachher " + GradeText(*w.ListAfter()) +
                ". Es wird empfohlen, die Startwerte zu behalten.");

  // "Ok" closes; the question, answered with its preselected button, puts
  // the start project back.
  w.TimerTick();
  ui_.asked.clear();
  ui_.defaults.clear();
  w.FinishOkButton()->click();
  EXPECT_FALSE(w.isVisible());
  ASSERT_EQ(ui_.asked.size(), 1u);
  EXPECT_EQ(ui_.asked[0].text, "Optimierungsergebnisse übernehmen?");
  EXPECT_EQ(ui_.asked[0].options, "&Ja|&Nein|&Abbruch");
  ASSERT_EQ(ui_.defaults.size(), 1u);
  EXPECT_EQ(ui_.defaults[0], 2);
  EXPECT_TRUE(doc_->CurrentProject() == *startProject);
  ASSERT_TRUE(doc_->WaitCalcIdle());
  EXPECT_NEAR(doc_->Grades()[GradeTotal], before, 0.0005);
}

// A better end keeps the question as it was: "&Abbruch" preselected.
TEST_F(OptimizerEnd, ABetterEndKeepsCancelPreselected) {
  CrossoverOptimizerWindow& w = Open(*DetunedTwoWay());
  w.CapacitorChoice()->setCurrentIndex(2);  // E12
  ui_.buttons = {2};
  w.StartButton()->click();
  ASSERT_TRUE(WaitOptimizerRun(w));
  ASSERT_LT(LineValue(w.ListAfter()->item(4)->text()), LineValue(w.ListBefore()->item(4)->text()));
  w.TimerTick();
  ui_.defaults.clear();
  ui_.buttons = {1};
  w.FinishOkButton()->click();
  ASSERT_EQ(ui_.defaults.size(), 1u);
  EXPECT_EQ(ui_.defaults[0], 3);
  EXPECT_FALSE(w.isVisible());
}

// A question that stays open for a while, as a real one does: the window's
// messages go on meanwhile, and `whileOpen` runs inside.
struct SlowQuestions : ScriptedInteraction {
  std::function<void()> whileOpen;
  int ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) override {
    if (message == kOptimizerAbortQuestion && whileOpen) whileOpen();
    return ScriptedInteraction::ChooseButton(message, captions, defaultIndex);
  }
};
using OptimizerQuestion = OptimizerFixture<SlowQuestions>;

TEST_F(OptimizerQuestion, TheRunWaitsWhileTheAbortQuestionIsOpenAndFollowsItsAnswer) {
  for (const int answer : {2, 1}) {  // "&Nein", then "&Ja"
    CrossoverOptimizerWindow& w = Open(*DetunedTwoWay());
    std::atomic<int> fixes{0};
    Gate release;
    MessagesUntil held;
    w.fixPartDialog = [&](const OptimizerVariable&, const CrossoverPart& part) -> std::optional<CrossoverPart> {
      ++fixes;
      return part;
    };
    // After the first fix the optimizer holds before its next trial until
    // the question lets it go; its next report then waits at the window's
    // gate while the question is open.
    testing::EventCount reports;
    HoldAfterTheFirstFix(w.Optimizer(), fixes, held, release);
    w.onReportHeld = [&reports] { reports.Notify(); };
    ui_.buttons = {2};
    w.StartButton()->click();
    ASSERT_TRUE(held.Run());
    ASSERT_EQ(fixes, 1);

    int fixesDuringQuestion = -1;
    int progressBefore = 0;
    int progressDuringQuestion = 0;
    bool idleDuringQuestion = true;
    bool reportCame = false;
    ui_.whileOpen = [&] {
      progressBefore = w.ProgressValue();
      // Let go, the optimizer computes its trial and comes to its next
      // report (progress, grades, a part to fix or the end of the run),
      // which waits at the gate of the open question; then the window
      // messages that are due are handled, and nothing of the run has
      // reached the window.
      const int reportsBefore = reports.Count();
      release.Open();
      reportCame = reports.WaitFor(reportsBefore + 1, std::chrono::minutes(1));
      QCoreApplication::processEvents();
      fixesDuringQuestion = fixes - 1;
      progressDuringQuestion = w.ProgressValue();
      idleDuringQuestion = w.Optimizer().IsIdle();
    };
    ui_.asked.clear();
    ui_.buttons = {answer, 2};
    w.close();
    ASSERT_TRUE(reportCame) << answer;
    EXPECT_EQ(fixesDuringQuestion, 0) << answer;
    EXPECT_EQ(progressDuringQuestion, progressBefore) << answer;
    EXPECT_FALSE(idleDuringQuestion) << answer;
    ASSERT_GE(ui_.asked.size(), 1u);
    EXPECT_EQ(ui_.asked[0].text, "Optimierung abbrechen?");
    if (answer == 2) {
      // "&Nein": the run goes on to its end and the window stays open.
      EXPECT_TRUE(w.isVisible());
      ASSERT_TRUE(WaitOptimizerRun(w));
      EXPECT_EQ(w.Optimizer().LastOutcome(), OptimizerOutcome::Finished);
    } else {
      // "&Ja": the run is stopped before the take-over question comes.
      ASSERT_TRUE(WaitOptimizerRun(w));
      EXPECT_EQ(w.Optimizer().LastOutcome(), OptimizerOutcome::Stopped);
      ASSERT_EQ(ui_.asked.size(), 2u);
      EXPECT_EQ(ui_.asked[1].text, "Optimierungsergebnisse übernehmen?");
      EXPECT_FALSE(w.isVisible());
    }
    ui_.whileOpen = nullptr;
    window_.reset();
  }
}

TEST(OptimizedPartName, NamesKindValueNoteNodesAndAmplifier) {
  OptimizerVariable v;
  v.amplifier = 1;
  CrossoverPart c;
  c.type = PartCapacitor;
  c.value = 4.7e-6;
  c.note = "MKP 4,7";
  c.node1 = 12;
  c.node2 = 23;
  v.startValue = 6.8e-6;
  EXPECT_EQ(OptimizedPartName(v, c),
            "Kondensator 4,70 µF „MKP 4,7“ zwischen Knoten 12 und 23, Verstärker 2 (Startwert 6,80 µF)");
  CrossoverPart r;
  r.type = PartResistor;
  r.value = 2.2;
  r.node1 = 3;
  r.node2 = 4;
  v.amplifier = 0;
  v.startValue = 3.3;
  EXPECT_EQ(OptimizedPartName(v, r), "Widerstand 2,20 Ohm zwischen Knoten 3 und 4, Verstärker 1 (Startwert 3,30 Ohm)");
  CrossoverPart l;
  l.type = PartInductor;
  l.value = 1.5e-3;
  l.resistance = 0.4;
  v.coilResistance = true;
  v.startValue = 0.5;
  EXPECT_EQ(OptimizedPartName(v, l),
            "Spule 1,50 mH, 0,40 Ohm zwischen Knoten 0 und 0, Verstärker 1 (Startwert 0,50 Ohm)");
}

}  // namespace
}  // namespace sonvex
