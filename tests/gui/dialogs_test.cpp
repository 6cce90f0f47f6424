// The question and value dialogs, project properties, the folder dialog and
// the error list, built offscreen and operated without a modal loop (or with
// one that a timer answers).
#include <gtest/gtest.h>
#include <QtTest/QTest>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "acoustics/editor_values.h"
#include "calc/check.h"
#include "model/crossover_model.h"
#include "model/file_io.h"
#include "model/measurement_import.h"
#include "model/my_ini_file.h"
#include "model/project.h"
#include "model/project_file.h"
#include "model/result.h"
#include "model/settings.h"
#include "optimizer/optimizer_preconditions.h"
#include "support/scripted_interaction.h"
#include "ui/dialogs/error_list_window.h"
#include "ui/dialogs/field_number.h"
#include "ui/dialogs/folder_dialog.h"
#include "ui/dialogs/project_properties_dialog.h"
#include "ui/dialogs/qt_interaction.h"
#include "ui/dialogs/window_place.h"
#include "ui/main/flow_layout.h"

namespace sonvex {
namespace {

namespace fs = std::filesystem;

TextMeasure FixedWidth(int px) {
  return [px](const QString&) { return px; };
}

// The widget the tab key moves to from `w`.
QWidget* NextTabStop(QWidget* w) {
  for (QWidget* n = w->nextInFocusChain(); n != w; n = n->nextInFocusChain())
    if ((n->focusPolicy() & Qt::TabFocus) != 0 && n->isEnabled()) return n;
  return w;
}

// Runs `answer` on the modal dialog that the next statement opens. A dialog
// that the answer leaves open is closed, so that a failing test cannot hang.
void AnswerNextModal(std::function<void(QWidget*)> answer) {
  QTimer::singleShot(0, [answer] {
    QWidget* w = QApplication::activeModalWidget();
    ASSERT_NE(w, nullptr);
    answer(w);
    if (!w->isVisible()) return;
    ADD_FAILURE() << "the dialog is still open";
    if (auto* choice = qobject_cast<ChoiceDialog*>(w))
      choice->Buttons().front()->click();
    else if (auto* dlg = qobject_cast<QDialog*>(w))
      dlg->QDialog::reject();
  });
}

// --- wrapping control row -------------------------------------------------

TEST(FlowLayout, ControlsWrapWhereTheNextDoesNotFit) {
  QWidget host;
  auto* flow = new FlowLayout(&host);
  std::vector<QWidget*> controls;
  for (int i = 0; i < 3; ++i) {
    auto* w = new QWidget;
    w->setFixedSize(100, 20);
    flow->addWidget(w);
    controls.push_back(w);
  }
  EXPECT_EQ(flow->sizeHint(), QSize(3 * 100 + 2 * 6, 20));  // one row
  EXPECT_EQ(flow->minimumSize(), QSize(100, 20));           // the widest control
  struct Case {
    int width;
    int height;
    QPoint third;
  };
  for (const Case& c : {Case{312, 20, QPoint(212, 0)}, Case{311, 46, QPoint(0, 26)}, Case{206, 46, QPoint(0, 26)},
                        Case{205, 72, QPoint(0, 52)}, Case{50, 72, QPoint(0, 52)}}) {
    SCOPED_TRACE(c.width);
    EXPECT_EQ(flow->heightForWidth(c.width), c.height);
    flow->setGeometry(QRect(0, 0, c.width, c.height));
    EXPECT_EQ(controls[2]->pos(), c.third);
  }
}

// --- button-choice dialog ---------------------------------------------------

TEST(ChooseButtonDialog, TwoModerateCaptionsStandSideBySide) {
  ChoiceDialog dlg("Wirklich alle Änderungen ohne zu sichern verwerfen?", "Ja |Nein", 2, nullptr, FixedWidth(60));
  const ChoiceDialogLayout& l = dlg.Layout();
  EXPECT_EQ(l.pitch, 96);  // at least 80 + 16
  EXPECT_FALSE(l.stacked);
  ASSERT_EQ(dlg.Buttons().size(), 2u);
  EXPECT_EQ(dlg.Buttons()[0]->geometry(), QRect(8, 8 + 16 + 24, 88, 25));
  EXPECT_EQ(dlg.Buttons()[1]->geometry(), QRect(8 + 96, 8 + 16 + 24, 88, 25));
  EXPECT_EQ(dlg.Buttons()[1]->text(), QString("Nein"));
  EXPECT_EQ(dlg.height(), 16 + 96);
  EXPECT_EQ(dlg.Memo()->width(), dlg.width() - 24);
  EXPECT_EQ(dlg.Memo()->height(), 16);
  EXPECT_TRUE(dlg.Buttons()[1]->isDefault());
}

TEST(ChooseButtonDialog, MeasuredMessageLinesAreCountedOnce) {
  // Three short lines in the dialog's own font: three lines high, plus 96.
  ChoiceDialog dlg("Erste Zeile\r\nZweite\r\nDritte", "Ja|Nein", 1);
  const int spacing = QFontMetrics(dlg.Memo()->font()).lineSpacing();
  EXPECT_GE(dlg.Memo()->height(), 3 * spacing);
  EXPECT_LT(dlg.Memo()->height(), 4 * spacing);
  EXPECT_EQ(dlg.height(), dlg.Memo()->height() + 96);
}

TEST(ChooseButtonDialog, TheLongestMessagesOfTheProgramAreShownWhole) {
  Chassis fitted;
  fitted.Le = 0.00081234;
  fitted.Re2 = 16.4246;
  fitted.Le2 = 0.0123456;
  fitted.Re3 = 123.456;
  fitted.Le3 = 0.00098765;
  const std::string plausibility(kPlausibilityButtons);
  const std::vector<std::pair<std::string, std::string>> questions{
      {std::string(ImportIntroText(MeasurementKind::FrequencyResponse)), "Ok|Abbruch"},
      {std::string(ImportIntroText(MeasurementKind::Impedance)), "Ok|Abbruch"},
      {FitResultQuestion(fitted), " &Ja |&Nein"},
      {"Programm beenden?\r\n\r\nSoll das aktuelle Projekt jetzt gespeichert werden?", "Ja|Nein|Abbruch"},
      {std::string(kNoChassisText), plausibility},
      {std::string(kNoMarkedPartsText), std::string(kNoMarkedPartsButtons)},
      {"Das Projekt enthält möglicherweise eine veraltete Version\r\ndes Chassis \"SV-25K Kalotte mit Fase\".\r\n"
       "Soll die neuere Chassisdatei nachgeladen werden?",
       "Ja|Nein"}};
  for (const auto& [message, captions] : questions) {
    SCOPED_TRACE(message);
    ChoiceDialog dlg(message, captions, 1);
    const QLabel* memo = dlg.Memo();
    // The memo is as high as its own font needs for the whole text at its width.
    EXPECT_GE(memo->height(), memo->heightForWidth(memo->width()));
    EXPECT_EQ(memo->font(), dlg.font());
    // The buttons stand below it, inside the dialog.
    for (const QPushButton* b : dlg.Buttons()) {
      EXPECT_GT(b->y(), memo->geometry().bottom());
      EXPECT_LE(b->geometry().bottom() + 8, dlg.height());
      EXPECT_LE(b->geometry().right() + 8, dlg.width());
    }
  }
}

TEST(ChooseButtonDialog, TheDialogWidensForAMessageLineUpToItsLimit) {
  // The newer-chassis question: its first line is a little wider than the
  // designed memo; it must not wrap its last word alone.
  const std::string first = "Das Projekt enthält möglicherweise eine veraltete Version";
  ChoiceDialog dlg(first + "\r\ndes Chassis \"TT 17\".\r\nSoll die neuere Chassisdatei nachgeladen werden?",
                     "Ja|Nein", 2);
  EXPECT_LT(dlg.Memo()->height(), 4 * QFontMetrics(dlg.Memo()->font()).lineSpacing());  // three lines
  EXPECT_GT(dlg.Memo()->width(), QFontMetrics(dlg.Memo()->font()).horizontalAdvance(QString::fromStdString(first)));
  EXPECT_EQ(dlg.width(), dlg.Memo()->width() + 24);

  struct Case {
    int lineWidth;
    int width;
    int lines;
  };
  for (const Case& c : {Case{100, kChoiceDesignWidth, 1}, Case{450, 475, 1}, Case{1000, kChoiceMaxMessageWidth, 2},
                        Case{2000, kChoiceMaxMessageWidth, 3}}) {
    SCOPED_TRACE(c.lineWidth);
    const TextMeasure width = [&c](const QString& t) { return t == QStringLiteral("Frage") ? c.lineWidth : 60; };
    ChoiceDialog fixed("Frage", "Ja|Nein", 1, nullptr, width);
    EXPECT_EQ(fixed.Layout().width, c.width);
    EXPECT_EQ(fixed.Layout().memoHeight, 16 * c.lines);
  }
}

TEST(ChooseButtonDialog, TwelveWideCaptionsStandOneBelowTheOther) {
  std::string captions;
  for (int i = 1; i <= 12; ++i) captions += (i > 1 ? "|" : "") + std::to_string(i);
  ChoiceDialog dlg("Zeile 1\r\nZeile 2", captions, 1, nullptr, FixedWidth(100));
  const ChoiceDialogLayout& l = dlg.Layout();
  EXPECT_EQ(l.pitch, 116);
  EXPECT_TRUE(l.stacked);
  ASSERT_EQ(dlg.Buttons().size(), 12u);
  const int top = 8 + 2 * 16 + 24;
  for (int i = 0; i < 12; ++i) EXPECT_EQ(dlg.Buttons()[i]->geometry(), QRect(8, top + 32 * i, 108, 25)) << i;
  EXPECT_EQ(dlg.height(), 2 * 16 + 96 + 12 * 32);
  EXPECT_GE(dlg.width(), 116 + 8);
}

TEST(ChooseButtonDialog, ArrangementSwitchesAt601PixelsAndWidthGrows) {
  struct Case {
    int count, textWidth;
    bool stacked;
    int width;
  };
  // pitch 120 x 5 = 600 still side by side; pitch 121 x 5 = 605 stacked.
  for (const Case c :
       {Case{5, 104, false, 608}, Case{5, 105, true, kChoiceDesignWidth}, Case{2, 10, false, kChoiceDesignWidth},
        Case{6, 100, true, kChoiceDesignWidth}, Case{5, 100, false, 588}}) {
    const ChoiceDialogLayout l = ChoiceLayout(c.count, c.textWidth, 1);
    EXPECT_EQ(l.stacked, c.stacked) << c.count << " x " << c.textWidth;
    EXPECT_EQ(l.width, c.width) << c.count << " x " << c.textWidth;
    // Every button lies inside the dialog with 8 pixels to spare.
    for (const QRect& b : l.buttons) EXPECT_LE(b.right() + 1 + 8, l.width);
  }
}

TEST(ChooseButtonDialog, DefaultButtonFocusTabOrderAndPress) {
  ChoiceDialog dlg("Frequenzgang für welches Chassis?", "1|2|3|Abbruch", 4);
  const auto& b = dlg.Buttons();
  ASSERT_EQ(b.size(), 4u);
  EXPECT_EQ(dlg.DefaultIndex(), 4);
  EXPECT_TRUE(b[3]->isDefault());
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(b[i]->isDefault());
  EXPECT_EQ(dlg.focusWidget(), b[3]);
  // Tab order from the default button on, cyclically.
  EXPECT_EQ(NextTabStop(b[3]), b[0]);
  EXPECT_EQ(NextTabStop(b[0]), b[1]);
  EXPECT_EQ(NextTabStop(b[2]), b[3]);

  // No cancel: Escape and reject leave the dialog open without an answer.
  dlg.show();
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&dlg, &esc);
  dlg.close();
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(dlg.Pressed(), 0);

  b[1]->click();
  EXPECT_EQ(dlg.Pressed(), 2);
  EXPECT_EQ(dlg.result(), 2);
  EXPECT_FALSE(dlg.isVisible());
}

TEST(ChooseButtonDialog, OutOfRangeDefaultAndTooManyCaptions) {
  ChoiceDialog none("Frage", "a|b|c", 7);
  EXPECT_EQ(none.DefaultIndex(), 0);
  for (QPushButton* b : none.Buttons()) EXPECT_FALSE(b->isDefault());
  EXPECT_EQ(none.focusWidget(), none.Buttons()[0]);

  ChoiceDialog many("Frage", "1|2|3|4|5|6|7|8|9|10|11|12|13|14", 13);
  EXPECT_EQ(many.Buttons().size(), 12u);
  EXPECT_EQ(many.DefaultIndex(), 0);
}

TEST(ChooseButtonDialog, QtInteractionReturnsThePressedButton) {
  QtInteraction ui;
  AnswerNextModal([](QWidget* w) {
    auto* dlg = qobject_cast<ChoiceDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->Memo()->text(), QString("Signal für welches Chassis?"));
    dlg->Buttons()[2]->click();
  });
  EXPECT_EQ(ui.ChooseButton("Signal für welches Chassis?", "1|2|3|Abbruch", 4), 3);
}

TEST(ChooseButtonDialog, AQuestionBelongsToTheWindowThatAsked) {
  QWidget main;
  QWidget editor;
  main.show();
  editor.show();
  editor.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
  QtInteraction ui(&main);
  EXPECT_EQ(ui.Owner(), &editor);
  AnswerNextModal([&](QWidget* w) {
    EXPECT_EQ(w->parentWidget(), &editor);
    qobject_cast<ChoiceDialog*>(w)->Buttons()[0]->click();
  });
  EXPECT_EQ(ui.ChooseButton("Frage", "Ja|Nein", 1), 1);
}

// --- value dialog -----------------------------------------------------------

TEST(EditValuesFormat, RowsLabelsAndLetters) {
  struct Case {
    const char* format;
    std::vector<std::pair<std::string, char>> rows;
  };
  const Case cases[] = {
      {"Meßdaten im Pegel ändern [dB] %d", {{"Meßdaten im Pegel ändern [dB] ", 'd'}}},
      {"Anteil [%%] %f", {{"Anteil [%] ", 'f'}}},
      {"Name %SPreis %i Rest ohne Feld", {{"Name ", 's'}, {"Preis ", 'i'}}},
      {"100%% ohne Feld", {}},
      {"a%xb%t", {{"a", 'x'}, {"b", 't'}}},
      {"Ende %", {}},
  };
  for (const Case& c : cases) {
    const std::vector<EditRow> rows = ParseEditFormat(c.format);
    ASSERT_EQ(rows.size(), c.rows.size()) << c.format;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].label, c.rows[i].first) << c.format;
      EXPECT_EQ(rows[i].letter, c.rows[i].second) << c.format;
    }
  }
  std::string many;
  for (int i = 0; i < 25; ++i) many += "x %d";
  EXPECT_EQ(ParseEditFormat(many).size(), 20u);
}

TEST(EditValuesDialog, OneFloatRowStoresTheParsedValue) {
  double level = 1.25;
  const EditVar vars[] = {&level};
  ValueDialog dlg("Pegel", "Meßdaten im Pegel ändern [dB] %d", vars, nullptr, FixedWidth(190));
  ASSERT_EQ(dlg.Edits().size(), 1u);
  EXPECT_EQ(dlg.windowTitle(), QString("Pegel"));
  EXPECT_EQ(dlg.Labels()[0]->text(), QString("Meßdaten im Pegel ändern [dB] "));
  EXPECT_TRUE(dlg.Labels()[0]->alignment() & Qt::AlignRight);
  EXPECT_EQ(dlg.Edits()[0]->text(), QString("1,25"));
  EXPECT_EQ(dlg.Edits()[0]->maxLength(), 64);
  EXPECT_EQ(dlg.focusWidget(), dlg.Edits()[0]);
  // Geometry from the widest label (190 px).
  EXPECT_EQ(dlg.Labels()[0]->geometry().left(), 16);
  EXPECT_EQ(dlg.Labels()[0]->width(), 198);
  EXPECT_EQ(dlg.Edits()[0]->geometry().left(), 198 + 32);
  EXPECT_EQ(dlg.Edits()[0]->width(), 150);
  EXPECT_EQ(dlg.OkButton()->geometry().left(), 198 + 200);
  EXPECT_EQ(dlg.CancelButton()->geometry().left(), 198 + 200);
  EXPECT_EQ(dlg.width(), 198 + 296);
  EXPECT_EQ(dlg.height(), 110);  // 28 + 50 is below the minimum

  dlg.Edits()[0]->setText("3,5");
  dlg.OkButton()->click();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(level, 3.5);
}

TEST(EditValuesDialog, EveryLetterReadsItsKindAndCancelChangesNothing) {
  std::string name = "Tiefton";
  std::int32_t count = 2;
  float q = 0.5f;
  long double e = 1;
  Date date{2000, 1, 1};
  double untouched = 7;
  const EditVar vars[] = {&name, &count, &q, &e, &date, &untouched};
  const char* format = "Name %sAnzahl %iGüte %fWert %EDatum %tUnbekannt %q";
  {
    ValueDialog dlg("Werte", format, vars);
    ASSERT_EQ(dlg.Edits().size(), 6u);
    EXPECT_EQ(dlg.height(), 6 * 28 + 50);
    EXPECT_EQ(dlg.Edits()[0]->text(), QString("Tiefton"));
    EXPECT_EQ(dlg.Edits()[1]->text(), QString("2"));
    EXPECT_EQ(dlg.Edits()[2]->text(), QString("0,5"));
    EXPECT_EQ(dlg.Edits()[4]->text(), QString("01.01.2000"));
    EXPECT_EQ(dlg.Edits()[5]->text(), QString());  // unknown letter: neither filled nor stored
    for (QLineEdit* ed : dlg.Edits()) ed->setText("99");
    dlg.CancelButton()->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
  }
  EXPECT_EQ(name, "Tiefton");
  EXPECT_EQ(count, 2);
  {
    ValueDialog dlg("Werte", format, vars);
    const char* texts[] = {"Hochton 25%", "12", "0.707", "1,5e3", "24.12.23", "5"};
    for (int i = 0; i < 6; ++i) dlg.Edits()[i]->setText(QString::fromUtf8(texts[i]));
    dlg.OkButton()->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
  }
  EXPECT_EQ(name, "Hochton 25%");
  EXPECT_EQ(count, 12);
  EXPECT_FLOAT_EQ(q, 0.707f);
  EXPECT_EQ(e, 1500.0L);
  EXPECT_EQ(date, (Date{2023, 12, 24}));
  EXPECT_EQ(untouched, 7);
}

TEST(EditValuesDialog, ANumberBeyondItsTypeKeepsTheDialogOpen) {
  float f = 1;
  double d = 2;
  const EditVar vars[] = {&d, &f};
  ValueDialog dlg("Werte", "a %db %f", vars);
  dlg.show();
  dlg.Edits()[0]->setText("4");
  dlg.Edits()[1]->setText("1e39");  // finite as double, not as float
  dlg.OkButton()->click();
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(d, 2);  // nothing stored while one field is unusable
  EXPECT_EQ(f, 1);
  dlg.Edits()[1]->setText("1e38");
  dlg.OkButton()->click();
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(d, 4);
  EXPECT_FLOAT_EQ(f, 1e38f);
}

TEST(EditValuesDialog, QtInteractionHandsBackCanonicalTexts) {
  QtInteraction ui;
  std::vector<std::string> values = {"1,0", "Tiefton", "3"};
  AnswerNextModal([](QWidget* w) {
    auto* dlg = qobject_cast<ValueDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    ASSERT_EQ(dlg->Edits().size(), 3u);
    EXPECT_EQ(dlg->Edits()[0]->text(), QString("1"));
    dlg->Edits()[0]->setText("3.5");
    dlg->Edits()[2]->setText("0042");
    dlg->OkButton()->click();
  });
  ASSERT_TRUE(ui.EditValues("Pegel", "Pegel [dB] %dName %sAnzahl %i", values));
  EXPECT_EQ(values, (std::vector<std::string>{"3,5", "Tiefton", "42"}));

  AnswerNextModal([](QWidget* w) {
    auto* dlg = qobject_cast<ValueDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    dlg->Edits()[0]->setText("9");
    dlg->CancelButton()->click();
  });
  EXPECT_FALSE(ui.EditValues("Pegel", "Pegel [dB] %d", values));
  EXPECT_EQ(values[0], "3,5");
}

TEST(FileFilter, ConvertedForTheFileDialogs) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"Sonvex Projekte (*.ZPJ)|*.ZPJ", "Sonvex Projekte (*.ZPJ *.zpj)"},
      {"Sonvex Projekte (*.ZPJ)|*.ZPJ|Alle Dateien (*.*)|*.*", "Sonvex Projekte (*.ZPJ *.zpj);;Alle Dateien (*.*)"},
      {"Exportdateien (*.exp)|*.exp", "Exportdateien (*.exp *.EXP)"},
      {"Messdaten|*.txt;*.frd", "Messdaten (*.txt *.TXT *.frd *.FRD)"},
      {"Ohne Muster", "Ohne Muster (*)"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ConvertFileFilter(c.in), QString::fromUtf8(c.out)) << c.in;
}

// --- project properties -----------------------------------------------------

TEST(ProjectProperties, FillsFromTheProject) {
  auto p = MakeNewProject();
  p->ampCount = 3;
  p->chassisCount = 5;
  p->fMin = 25.5;
  p->fMax = 18000;
  p->gridPoints = 126;
  ProjectPropertiesDialog dlg;
  dlg.Fill(*p);
  EXPECT_EQ(dlg.windowTitle(), QString("Projekteigenschaften"));
  EXPECT_EQ(dlg.AmpCountCombo()->count(), 6);
  EXPECT_EQ(dlg.ChassisCountCombo()->count(), 8);
  EXPECT_EQ(dlg.AmpCountCombo()->currentText(), QString("3"));
  EXPECT_EQ(dlg.ChassisCountCombo()->currentText(), QString("5"));
  EXPECT_EQ(dlg.FMinEdit()->text(), QString("25,5"));
  EXPECT_EQ(dlg.FMaxEdit()->text(), QString("18000"));
  EXPECT_EQ(dlg.GridPointsEdit()->text(), QString("126"));
}

TEST(ProjectProperties, AppliesCountsGridAndSmoothing) {
  struct Case {
    const char *fMin, *fMax, *sz;
    double wantMin, wantMax;
    int wantSz;
  };
  const Case cases[] = {
      {"20", "20000", "84", 20, 20000, 84},        {"20000", "20", "84", 20, 20000, 84},  // swapped bounds
      {"30,5", "18000", "5000", 30.5, 18000, 599}, {"100", "1000", "3", 100, 1000, 10},
      {"250", "250", "100", 20, 20000, 100},  // equal bounds
      {"0", "5000", "100", 20, 20000, 100},   // no logarithmic grid from 0 Hz
      {"-50", "5000", "100", 20, 20000, 100},      {"abc", "", "", 20, 20000, 10},
  };
  for (const Case& c : cases) {
    auto p = MakeNewProject();
    ProjectPropertiesDialog dlg;
    dlg.Fill(*p);
    dlg.AmpCountCombo()->setCurrentIndex(5);
    dlg.ChassisCountCombo()->setCurrentIndex(7);
    dlg.FMinEdit()->setText(c.fMin);
    dlg.FMaxEdit()->setText(c.fMax);
    dlg.GridPointsEdit()->setText(c.sz);
    dlg.Apply(*p);
    SCOPED_TRACE(std::string(c.fMin) + " / " + c.fMax + " / " + c.sz);
    EXPECT_EQ(p->ampCount, 6);
    EXPECT_EQ(p->chassisCount, 8);
    EXPECT_DOUBLE_EQ(p->fMin, c.wantMin);
    EXPECT_DOUBLE_EQ(p->fMax, c.wantMax);
    ASSERT_EQ(p->gridPoints, c.wantSz);
    EXPECT_DOUBLE_EQ(p->freq[0], c.wantMin);
    EXPECT_NEAR(p->freq[c.wantSz - 1], c.wantMax, c.wantMax * 1e-12);
    EXPECT_EQ(p->freq[c.wantSz], 0.0);
    const double smoothing = 7.0 * std::log10(c.wantMax / c.wantMin) / c.wantSz;
    EXPECT_DOUBLE_EQ(p->smoothingAmplitude, smoothing);
    EXPECT_DOUBLE_EQ(p->smoothingImpedance, smoothing);
  }
}

TEST(ProjectProperties, PresetButtonsFillTheFields) {
  ProjectPropertiesDialog dlg;
  dlg.FMinEdit()->setText("100");
  const std::pair<QPushButton*, const char*> presets[] = {
      {dlg.CoarseButton(), "84"}, {dlg.MediumButton(), "126"}, {dlg.FineButton(), "250"}};
  for (const auto& [button, points] : presets) {
    button->click();
    EXPECT_EQ(dlg.FMinEdit()->text(), QString("20"));
    EXPECT_EQ(dlg.FMaxEdit()->text(), QString("20000"));
    EXPECT_EQ(dlg.GridPointsEdit()->text(), QString(points));
    EXPECT_EQ(dlg.result(), 0);  // presets never close the dialog
  }
  auto p = MakeNewProject();
  dlg.Apply(*p);
  EXPECT_EQ(p->gridPoints, 250);
  EXPECT_DOUBLE_EQ(p->smoothingAmplitude, 7.0 * 3.0 / 250);
}

// "Ok" waits for a grid that a saved project keeps: one that does comes back
// from the file as it was entered, anything else keeps "Ok" disabled and says
// which field is out of which limits.
TEST(ProjectProperties, OkOnlyForAGridTheFileKeeps) {
  struct Case {
    const char *fMin, *fMax, *sz;
    const char* says;  // nullptr: "Ok"
  };
  const char* const kLow = "Die tiefste Frequenz muss zwischen 10 und 1000 Hz liegen.";
  const char* const kHigh = "Die höchste Frequenz muss mindestens 1000 Hz und weniger als 100000 Hz betragen.";
  const char* const kPoints = "Die Anzahl der Frequenzen muss eine ganze Zahl von 10 bis 250 sein.";
  const Case cases[] = {
      {"20", "20000", "126", nullptr},
      {"10", "99999", "250", nullptr},
      {"1000", "1000,5", "10", nullptr},
      {"abc", "20000", "126", kLow},
      {"", "20000", "126", kLow},
      {"1e999", "20000", "126", kLow},
      {"0", "20000", "126", kLow},
      {"-50", "5000", "126", kLow},
      {"9,9", "20000", "126", kLow},
      {"1001", "20000", "126", kLow},
      {"20000", "20", "84", kLow},  // reversed: both bounds out of their limits
      {"20", "999", "126", kHigh},
      {"20", "100000", "126", kHigh},
      {"20", "", "126", kHigh},
      {"1000", "1000", "126", "Die höchste Frequenz muss über der tiefsten liegen."},
      {"20", "20000", "400", kPoints},
      {"20", "20000", "5000", kPoints},
      {"20", "20000", "9", kPoints},
      {"20", "20000", "", kPoints},
      {"20", "20000", "abc", kPoints},
      {"20", "20000", "12,5", kPoints},
  };
  Settings settings;
  ScriptedInteraction ui;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fMin) + " / " + c.fMax + " / " + c.sz);
    auto p = MakeNewProject();
    ProjectPropertiesDialog dlg;
    dlg.Fill(*p);
    EXPECT_TRUE(dlg.OkButton()->isEnabled());
    dlg.FMinEdit()->setText(QString::fromUtf8(c.fMin));
    dlg.FMaxEdit()->setText(QString::fromUtf8(c.fMax));
    dlg.GridPointsEdit()->setText(QString::fromUtf8(c.sz));
    EXPECT_EQ(dlg.OkButton()->isEnabled(), c.says == nullptr);
    EXPECT_EQ(dlg.ProblemLabel()->isVisibleTo(&dlg), c.says != nullptr);
    dlg.accept();
    if (c.says != nullptr) {
      EXPECT_TRUE(dlg.ProblemLabel()->text().contains(QString::fromUtf8(c.says))) << dlg.ProblemLabel()->text().toStdString();
      EXPECT_NE(dlg.result(), QDialog::Accepted);
      continue;
    }
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    dlg.Apply(*p);
    auto ini = MyIniFile::InMemory(false);
    WriteProjectTo(*p, ini);
    auto reloaded = MakeNewProject();
    ReadProjectFrom(*reloaded, MyIniFile::FromBytes(ini.Serialize(false), false), settings, ui);
    EXPECT_EQ(reloaded->fMin, p->fMin);
    EXPECT_EQ(reloaded->fMax, p->fMax);
    EXPECT_EQ(reloaded->gridPoints, p->gridPoints);
  }
}

// An empty number field is framed like any other that holds no number.
TEST(ProjectProperties, EmptyFieldsAreFramed) {
  ProjectPropertiesDialog dlg;
  dlg.Fill(*MakeNewProject());
  for (QLineEdit* e : {dlg.FMinEdit(), dlg.FMaxEdit(), dlg.GridPointsEdit()}) {
    EXPECT_FALSE(e->styleSheet().contains("border"));
    e->clear();
    EXPECT_TRUE(e->styleSheet().contains("border"));
    EXPECT_EQ(e->toolTip(), QString::fromUtf8(kNoNumberTip));
    e->setText("1e999");
    EXPECT_EQ(e->toolTip(), QString::fromUtf8(kTooLargeTip));
  }
  dlg.MediumButton()->click();
  for (QLineEdit* e : {dlg.FMinEdit(), dlg.FMaxEdit(), dlg.GridPointsEdit()}) EXPECT_FALSE(e->styleSheet().contains("border"));
  EXPECT_TRUE(dlg.OkButton()->isEnabled());
}

// --- folder dialog ------------------------------------------------------------

class FolderDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
          ("sonvex_folder_dialog_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    settings_ = MakeSettings(dir_, dir_ / "sonvex");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Key(const char* key) const {
    MyIniFile ini(settings_.settingsFile, false, false, true);
    return ini.ReadString("Verzeichnisse", key, "<fehlt>");
  }

  fs::path dir_;
  Settings settings_;
  ScriptedInteraction ui_;
};

TEST_F(FolderDialog, ClearingTheCheckBoxRemovesTheKeysAndRestoresTheDefaults) {
  settings_.useStoredFolders = true;
  settings_.chassisFolder = "/daten/chassis/";
  settings_.kitsFolder = "/daten/kits/";
  SaveSettings(settings_, &ui_);
  ASSERT_EQ(Key("Chassis"), "/daten/chassis/");

  FoldersDialog dlg(settings_, &ui_);
  EXPECT_EQ(dlg.windowTitle(), QString("Verzeichnisse festlegen"));
  EXPECT_TRUE(dlg.UseStoredFoldersCheck()->isChecked());
  EXPECT_EQ(dlg.Edit(0)->text(), QString("/daten/chassis/"));
  EXPECT_TRUE(dlg.Edit(0)->isEnabled());
  dlg.UseStoredFoldersCheck()->setChecked(false);
  for (int r = 0; r < 3; ++r) {
    EXPECT_FALSE(dlg.Edit(r)->isEnabled());
    EXPECT_FALSE(dlg.SearchButton(r)->isEnabled());
  }
  dlg.CloseButton()->click();

  EXPECT_FALSE(settings_.useStoredFolders);
  EXPECT_EQ(settings_.chassisFolder, WithTrailingSeparator(dir_ / "Chassis"));
  EXPECT_EQ(settings_.kitsFolder, WithTrailingSeparator(dir_ / "Bausätze"));
  EXPECT_EQ(Key("Verzeichnisvorgaben"), "0");
  for (const char* key : {"Chassis", "Projekte", "Weichenbauteile", "Reports", "Publikationen", "Bausätze"})
    EXPECT_EQ(Key(key), "<fehlt>") << key;
  EXPECT_TRUE(ui_.asked.empty());
}

TEST_F(FolderDialog, TypedAndChosenFoldersAreStoredWithASeparator) {
  std::vector<std::pair<QString, fs::path>> browsed;
  FoldersDialog dlg(settings_, &ui_);
  dlg.SetFolderChooser([&](const QString& title, const fs::path& start) -> std::optional<fs::path> {
    browsed.emplace_back(title, start);
    if (browsed.size() == 1) return std::nullopt;  // the user cancels the first time
    return fs::path("/daten/weiche");
  });
  EXPECT_FALSE(dlg.UseStoredFoldersCheck()->isChecked());
  dlg.UseStoredFoldersCheck()->setChecked(true);
  dlg.Edit(0)->setText("/daten/chassis");
  dlg.SearchButton(2)->click();
  EXPECT_EQ(dlg.Edit(2)->text().toStdString(), Utf8FromPath(WithTrailingSeparator(dir_ / "Weichenbauteile")));
  dlg.SearchButton(2)->click();
  EXPECT_EQ(dlg.Edit(2)->text(), QString("/daten/weiche"));
  ASSERT_EQ(browsed.size(), 2u);
  EXPECT_EQ(browsed[0].first, QString("Verzeichnis für Weichenbauteildateien auswählen"));
  EXPECT_EQ(browsed[0].second, WithTrailingSeparator(dir_ / "Weichenbauteile"));
  dlg.CloseButton()->click();

  EXPECT_TRUE(settings_.useStoredFolders);
  EXPECT_EQ(settings_.chassisFolder, fs::path("/daten/chassis/"));
  EXPECT_EQ(settings_.partsFolder, fs::path("/daten/weiche/"));
  EXPECT_EQ(settings_.projectFolder, WithTrailingSeparator(dir_ / "Projekte"));
  EXPECT_EQ(Key("Verzeichnisvorgaben"), "1");
  EXPECT_EQ(Key("Chassis"), "/daten/chassis/");
  EXPECT_EQ(Key("Weichenbauteile"), "/daten/weiche/");
}

// The dialog is built 813 pixels wide (the explanation's longest line), wider
// than the test screens: the rows and the explanation scroll, "schließen"
// stays below them and the dialog works as before. A screen with room for the
// dialog shows it as built.
TEST_F(FolderDialog, FitsTheScreenAndScrollsWhereItMust) {
  QWidget owner;
  const QRect free = owner.screen()->availableGeometry();
  owner.setGeometry(QRect(free.topLeft(), free.size() - kWindowFrameRoom));
  owner.show();
  settings_.useStoredFolders = true;
  FoldersDialog dlg(settings_, &ui_, &owner);
  const QSize built = dlg.sizeHint();
  // With room for it, nothing changes.
  EXPECT_EQ(ScrollOnASmallScreen(&dlg, built + QSize(100, 100), "foldersScrollArea"), nullptr);
  EXPECT_EQ(dlg.Edit(0)->parentWidget(), &dlg);
  EXPECT_EQ(dlg.sizeHint(), built);

  dlg.show();
  QApplication::processEvents();
  EXPECT_TRUE(free.contains(dlg.frameGeometry())) << dlg.width() << "x" << dlg.height() << " on " << free.width();
  auto* area = dlg.findChild<QScrollArea*>("foldersScrollArea");
  ASSERT_NE(area, nullptr) << "the test needs a screen narrower than the dialog";
  EXPECT_LE(dlg.minimumSizeHint().width(), ScreenRoom(&dlg, &owner).width());
  EXPECT_LE(dlg.minimumSizeHint().height(), ScreenRoom(&dlg, &owner).height());
  // Every row and the whole explanation in the scrolling part, the button below it.
  QWidget* page = area->widget();
  EXPECT_GE(page->width(), page->minimumSizeHint().width());
  EXPECT_GE(page->height(), page->minimumSizeHint().height());
  for (int r = 0; r < 3; ++r) {
    EXPECT_TRUE(page->isAncestorOf(dlg.Edit(r))) << r;
    EXPECT_TRUE(page->isAncestorOf(dlg.SearchButton(r))) << r;
  }
  EXPECT_GT(area->horizontalScrollBar()->maximum(), 0);
  EXPECT_FALSE(area->isAncestorOf(dlg.CloseButton()));
  EXPECT_TRUE(dlg.rect().contains(dlg.CloseButton()->geometry()));
  EXPECT_TRUE(dlg.CloseButton()->isDefault());
  // A typed folder is stored on closing, as before.
  dlg.Edit(1)->setText("/daten/projekte");
  dlg.CloseButton()->click();
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(settings_.projectFolder, fs::path("/daten/projekte/"));
}

TEST(FolderDialogText, ExplanationInFiveLines) {
  const QString text = QString::fromUtf8(kFolderExplanation);
  const QStringList lines = text.split('\n');
  ASSERT_EQ(lines.size(), 5);
  EXPECT_TRUE(lines[0].startsWith("Für Installationen, bei denen"));
  EXPECT_TRUE(lines[0].endsWith("dem an "));
  EXPECT_EQ(lines[2], QString("verwenden (Häkchen nicht gesetzt)."));
  EXPECT_EQ(lines[4], QString("Programmverzeichnisses als Vorgabe verwendet."));
}

// --- error list -----------------------------------------------------------------

TEST(ErrorList, ShowsEachReportInPlaceOfTheLast) {
  CalcStates states;
  for (std::string& s : states.states) s = "OK";
  states.Check() =
      "Fehler: Chassis 1 doppelt verwendet in Weiche 1 und 2.\r\nFehler: Chassis 4 nicht verwendbar, "
      "wenn nur 2 Chassis angewählt.";
  states.WholeBox() = "Fehler: Gesamtbox kann nicht berechnet werden.";
  ErrorListWindow win;
  EXPECT_EQ(win.windowTitle(), QString("Berechnen"));
  EXPECT_TRUE(win.isWindow());
  win.resize(200, 120);  // narrower than the lines
  win.show();
  win.ShowReport(StatusReport(states, 1, 2));
  QApplication::processEvents();
  EXPECT_EQ(win.ErrorCount(), 2);
  // the beginning of each line is shown, not the end of the last one
  EXPECT_GT(win.ErrorMemo()->horizontalScrollBar()->maximum(), 0);
  EXPECT_EQ(win.ErrorMemo()->horizontalScrollBar()->value(), 0);
  EXPECT_EQ(win.Lines(), (QStringList{"Fehler: Chassis 1 doppelt verwendet in Weiche 1 und 2.",
                                      "Fehler: Chassis 4 nicht verwendbar, wenn nur 2 Chassis angewählt.",
                                      "Fehler: Gesamtbox kann nicht berechnet werden."}));

  for (std::string& s : states.states) s = "OK";
  win.ShowReport(StatusReport(states, 1, 2));
  EXPECT_EQ(win.ErrorCount(), 0);
  EXPECT_EQ(win.Lines(), QStringList{"Berechnung war erfolgreich."});
}

// Opened from a main window near the screen's lower edge, the list stands
// within the screen; Escape closes it, also from the list of lines.
TEST(ErrorList, FitsTheScreenBesideItsOwnerAndEscapeClosesIt) {
  QWidget owner;
  const QRect free = owner.screen()->availableGeometry();
  owner.setGeometry(QRect(QPoint(free.left() + 100, free.bottom() - 150), QSize(free.width() - 200, 120)));
  owner.show();
  ErrorListWindow win(&owner);
  win.show();
  QApplication::processEvents();
  EXPECT_TRUE(free.contains(win.frameGeometry())) << win.frameGeometry().y() << "+" << win.frameGeometry().height();
  EXPECT_EQ(win.size(), QSize(560, 240));
  QTest::keyClick(win.ErrorMemo(), Qt::Key_Escape);
  EXPECT_FALSE(win.isVisible());
  // Shown again, it stays where it was.
  win.move(free.topLeft() + QPoint(30, 20));
  win.show();
  QApplication::processEvents();
  EXPECT_EQ(win.pos(), free.topLeft() + QPoint(30, 20));
  QTest::keyClick(&win, Qt::Key_Escape);
  EXPECT_FALSE(win.isVisible());
}

}  // namespace
}  // namespace sonvex
