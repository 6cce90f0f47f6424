// Random key presses, clicks and drags in the windows, from a fixed seed.
//
// The main window is opened on each sample project in turn; every round
// sends a few hundred random actions (menu shortcuts, Return, Escape, Tab,
// digits, letters, comma, minus, short texts, clicks and drags at random
// points of the visible windows), and every question is answered at random.
// A round fails on a crash, a sanitizer report, a critical Qt message, or a
// project that no longer saves and reloads to the same text.
//
//   random_input_tests [--seed N] [--minutes M] [--rounds K] [--actions A]
//
// Round r uses the seed N + r and sample project (N + r) mod 3, so a failing
// round runs again alone with --seed N+r --rounds 1. The actions of the round
// in progress go to a log file named at the start; it stays when the process
// dies, and a failing round prints them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QtTest/QTest>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "calc/file_load.h"
#include "main_window_fixture.h"
#include "model/my_ini_file.h"
#include "model/project_file.h"
#include "support/scripted_interaction.h"
#include "ui/main/main_window.h"

#ifndef SONVEX_RANDOM_INPUT_MINUTES
#define SONVEX_RANDOM_INPUT_MINUTES 0
#endif

namespace sonvex {
namespace {

namespace fs = std::filesystem;

struct RandomOptions {
  unsigned seed = 29;
  double minutes = SONVEX_RANDOM_INPUT_MINUTES;  // rounds go on until then (at least one per project)
  int rounds = 0;                                // a fixed number of rounds instead (0: by time)
  int actions = 400;                             // per round
};
RandomOptions gOptions;

const char* const kSampleProjects[] = {"Default.ZPJ", "Dreiweg-Standbox.ZPJ", "Subwoofer-geschlossen.ZPJ"};
constexpr int kSampleCount = 3;

// The actions of the round in progress: in memory for the failure message
// and in a file that outlives a crash.
class ActionLog {
 public:
  explicit ActionLog(fs::path file) : file_(std::move(file)) {}
  void Start(const std::string& heading) {
    lines_.clear();
    out_.close();
    out_.open(file_, std::ios::trunc);
    Add(heading);
  }
  void Add(const std::string& line) {
    lines_.push_back(line);
    out_ << line << '\n' << std::flush;
  }
  std::string Text() const {
    std::string t;
    for (const std::string& l : lines_) t += l + "\n";
    return t;
  }
  void Remove() {
    out_.close();
    std::error_code ec;
    fs::remove(file_, ec);
  }
  const fs::path& File() const { return file_; }

 private:
  fs::path file_;
  std::ofstream out_;
  std::vector<std::string> lines_;
};

// Answers every question at random, recording it like the scripted
// interaction does.
class RandomInteraction : public ScriptedInteraction {
 public:
  std::mt19937* rng = nullptr;
  ActionLog* log = nullptr;
  fs::path scratch;                // where files are saved
  std::vector<fs::path> openable;  // what a file choice may answer

  int ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) override {
    const int count = static_cast<int>(std::count(captions.begin(), captions.end(), '|')) + 1;
    buttons.push_back(Pick(count) + 1);
    Note("choose", message);
    return ScriptedInteraction::ChooseButton(message, captions, defaultIndex);
  }
  void ShowMessage(std::string_view message) override {
    Note("message", message);
    ScriptedInteraction::ShowMessage(message);
  }
  std::optional<fs::path> PickOpenFile(std::string_view caption, std::string_view filter,
                                       const fs::path& folder) override {
    files.push_back(Pick(4) == 0 || openable.empty()
                        ? std::nullopt
                        : std::optional(openable[Pick(static_cast<int>(openable.size()))]));
    Note("open", caption);
    return ScriptedInteraction::PickOpenFile(caption, filter, folder);
  }
  std::optional<fs::path> PickSaveFile(std::string_view caption, std::string_view filter, const fs::path& folder,
                                       std::string_view defaultName) override {
    files.push_back(Pick(3) == 0 ? std::nullopt
                                 : std::optional(scratch / ("gespeichert_" + std::to_string(Pick(4)) + ".dat")));
    Note("save", caption);
    return ScriptedInteraction::PickSaveFile(caption, filter, folder, defaultName);
  }
  bool EditValues(std::string_view caption, std::string_view format, std::vector<std::string>& values) override {
    // The pauses are left alone: a long one would only slow the test down.
    const std::string c(caption);
    if (c.find("pause") == std::string::npos && Pick(3) != 0) {
      std::vector<std::string> answer = values;
      static const char* const kTexts[] = {"0", "1", "-1", "abc", "1e300", "2,5", "", "99999"};
      if (!answer.empty() && Pick(2) == 0) answer[Pick(static_cast<int>(answer.size()))] = kTexts[Pick(8)];
      edits.push_back(answer);
    } else {
      edits.push_back(std::nullopt);
    }
    Note("edit", caption);
    return ScriptedInteraction::EditValues(caption, format, values);
  }

 private:
  int Pick(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(*rng); }
  void Note(const char* kind, std::string_view text) {
    if (log != nullptr) log->Add(std::string("  asked ") + kind + ": " + std::string(text.substr(0, 60)));
  }
};

// Fails the round on critical Qt messages; fatal ones end the process anyway.
std::vector<std::string>* gCriticalMessages = nullptr;
QtMessageHandler gPreviousHandler = nullptr;
void MessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtCriticalMsg && gCriticalMessages != nullptr) gCriticalMessages->push_back(message.toStdString());
  if (gPreviousHandler != nullptr) gPreviousHandler(type, context, message);
}

// The project's text as saved, and the text of that file read back and saved
// again; equal for a project that survives saving.
std::string SavedText(const Project& p) {
  auto ini = MyIniFile::InMemory(false);
  WriteProjectTo(p, ini);
  return ini.Serialize(false);
}

class RandomInput : public MainWindowFixture<RandomInteraction> {
 protected:
  std::mt19937 rng_;
  std::set<QWidget*> ourDialogs_;  // dialogs this test runs; the watchdog leaves them alone
  int dialogDepth_ = 0;

  int Pick(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  std::string Name(const QWidget* w) const {
    if (w == nullptr) return "-";
    const QString name = w->objectName();
    return std::string(w->metaObject()->className()) + (name.isEmpty() ? "" : "#" + name.toStdString());
  }

  // The visible top-level windows, `within` and its children only when given.
  std::vector<QWidget*> Windows(QWidget* within) const {
    std::vector<QWidget*> out;
    if (within != nullptr) return {within};
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && w->width() > 0 && w->height() > 0 && qobject_cast<QMenu*>(w) == nullptr) out.push_back(w);
    // The toolkit lists its windows in the order of their addresses, which
    // differ from run to run; a seed picks the same window only in an order
    // of their own.
    const auto key = [](const QWidget* w) {
      return std::tuple(std::string(w->metaObject()->className()), w->objectName().toStdString(),
                        w->windowTitle().toStdString(), w->x(), w->y(), w->width(), w->height());
    };
    std::stable_sort(out.begin(), out.end(), [&](const QWidget* a, const QWidget* b) { return key(a) < key(b); });
    return out;
  }

  QWidget* KeyTarget(QWidget* within) const {
    QWidget* f = QApplication::focusWidget();
    if (f != nullptr && (within == nullptr || within->isAncestorOf(f) || f == within)) return f;
    if (within != nullptr) return within;
    QWidget* active = QApplication::activeWindow();
    return active != nullptr ? active : form_.get();
  }

  // One random action; `within` restricts it to a dialog run by the test.
  void RandomAction(QWidget* within) {
    const int kind = Pick(100);
    if (kind < 30) {
      static const Qt::Key kKeys[] = {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Tab,   Qt::Key_Backtab, Qt::Key_0,
                                     Qt::Key_1,      Qt::Key_5,      Qt::Key_9,     Qt::Key_A,       Qt::Key_E,
                                     Qt::Key_X,      Qt::Key_Comma,  Qt::Key_Minus, Qt::Key_Period,  Qt::Key_Backspace,
                                     Qt::Key_Delete, Qt::Key_Up,     Qt::Key_Down,  Qt::Key_Left,    Qt::Key_Space};
      const Qt::Key key = kKeys[Pick(static_cast<int>(std::size(kKeys)))];
      QWidget* target = KeyTarget(within);
      Log().Add("key " + QKeySequence(key).toString().toStdString() + " -> " + Name(target));
      QTest::keyClick(target, key);
    } else if (kind < 40 && within == nullptr) {
      // A menu command by its shortcut, sent to the main window.
      std::vector<QAction*> actions;
      for (QAction* a : form_->findChildren<QAction*>())
        if (!a->shortcut().isEmpty() && a->isEnabled()) actions.push_back(a);
      if (actions.empty()) return;
      QAction* a = actions[Pick(static_cast<int>(actions.size()))];
      Log().Add("shortcut " + a->shortcut().toString().toStdString() + " (" + a->objectName().toStdString() + ")");
      form_->activateWindow();
      QTest::keySequence(form_.get(), a->shortcut());
    } else if (kind < 45 && within == nullptr) {
      // A menu command as a click on its menu item would give it.
      std::vector<QAction*> actions;
      for (QAction* a : form_->findChildren<QAction*>())
        if (a->isEnabled() && !a->isSeparator() && a->menu() == nullptr && !a->text().isEmpty()) actions.push_back(a);
      if (actions.empty()) return;
      QAction* a = actions[Pick(static_cast<int>(actions.size()))];
      Log().Add("menu " + a->objectName().toStdString() + " \"" + a->text().toStdString() + "\"");
      a->trigger();
    } else if (kind < 52) {
      static const char* const kTexts[] = {"abc", "12", "-3", "0", "1e300", "1,5", "x", "999999", "0,001", "-"};
      const char* text = kTexts[Pick(static_cast<int>(std::size(kTexts)))];
      QWidget* target = KeyTarget(within);
      Log().Add(std::string("type \"") + text + "\" -> " + Name(target));
      QTest::keyClicks(target, text);
    } else {
      const std::vector<QWidget*> windows = Windows(within);
      if (windows.empty()) return;
      QWidget* window = windows[static_cast<std::size_t>(Pick(static_cast<int>(windows.size())))];
      const QPoint at(Pick(window->width()), Pick(window->height()));
      QWidget* target = window->childAt(at);
      if (target == nullptr) target = window;
      const QPoint local = target->mapFrom(window, at);
      if (kind < 85) {
        const Qt::MouseButton button = Pick(5) == 0 ? Qt::RightButton : Qt::LeftButton;
        const bool twice = Pick(8) == 0;
        const Qt::KeyboardModifiers mods = Pick(6) == 0 ? Qt::ShiftModifier : Qt::NoModifier;
        Log().Add(std::string(twice ? "double-click " : "click ") + (button == Qt::RightButton ? "right " : "") +
                  std::to_string(local.x()) + "," + std::to_string(local.y()) + " on " + Name(target));
        if (twice)
          QTest::mouseDClick(target, button, mods, local);
        else
          QTest::mouseClick(target, button, mods, local);
      } else {
        const QPoint to(Pick(target->width() + 1), Pick(target->height() + 1));
        Log().Add("drag " + std::to_string(local.x()) + "," + std::to_string(local.y()) + " to " +
                  std::to_string(to.x()) + "," + std::to_string(to.y()) + " on " + Name(target));
        QPointer<QWidget> guard(target);
        QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, local);
        for (int step = 1; step <= 3 && guard; ++step) QTest::mouseMove(target, local + (to - local) * step / 3);
        if (guard) QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, to);
      }
    }
  }

  // How the main window's modal dialogs run: a few random actions inside,
  // then OK or Abbruch at random if the dialog is still open.
  int RunDialog(QDialog& d) {
    if (dialogDepth_ >= 2) {
      Log().Add("dialog " + Name(&d) + " rejected (nested)");
      return QDialog::Rejected;
    }
    ++dialogDepth_;
    ourDialogs_.insert(&d);
    Log().Add("dialog " + Name(&d) + " \"" + d.windowTitle().toStdString() + "\"");
    d.setResult(QDialog::Rejected);
    d.show();
    QPointer<QDialog> guard(&d);
    const int n = Pick(25);
    for (int i = 0; i < n && guard && d.isVisible(); ++i) {
      RandomAction(&d);
      QCoreApplication::processEvents();
      Watchdog();
    }
    int result = QDialog::Rejected;
    if (guard) {
      if (d.isVisible()) {
        result = Pick(2) == 0 ? QDialog::Accepted : QDialog::Rejected;
        Log().Add(std::string("dialog ") + (result == QDialog::Accepted ? "accepted" : "rejected"));
        // OK goes through the dialog's own accept(), as its button does: a
        // dialog that refuses what its fields hold stays open and is then
        // cancelled.
        if (result == QDialog::Accepted) {
          d.accept();
          if (d.isVisible()) {
            Log().Add("dialog refused OK, rejected");
            result = QDialog::Rejected;
          }
        }
        if (d.isVisible()) d.done(result);
      } else {
        result = d.result();
      }
    }
    ourDialogs_.erase(&d);
    --dialogDepth_;
    return result;
  }

  // Closes what a real dialog of the toolkit (colour, folder) or a context
  // menu opens in a loop of its own, which no action of the test reaches:
  // on a timer while such a loop runs, and after each action for a popup or
  // dialog left open. The test itself runs no event loop, so the timer acts
  // only inside one, and the round runs the same however fast the machine is.
  void WatchdogInNestedLoop() {
    if (QThread::currentThread()->loopLevel() > 0) Watchdog();
  }
  void Watchdog() {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      Log().Add("  closed popup " + Name(popup));
      popup->close();
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && ourDialogs_.count(modal) == 0) {
      Log().Add("  closed modal " + Name(modal));
      if (auto* d = qobject_cast<QDialog*>(modal))
        d->reject();
      else
        modal->close();
    }
  }

  // Each round starts from the same files and settings, whatever the round
  // before saved or changed, so that it runs the same when run alone.
  void FreshFolders() {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    settings_ = MakeSettings(dir_, dir_ / "sonvex");
    for (const auto* folder : {&settings_.projectFolder, &settings_.chassisFolder, &settings_.partsFolder})
      fs::create_directories(*folder);
    ui_.openable.clear();
    const fs::path data(SONVEX_DATA_DIR);
    for (const char* name : kSampleProjects) {
      fs::copy_file(data / "Projekte" / name, settings_.projectFolder / name);
      ui_.openable.push_back(settings_.projectFolder / name);
    }
    std::vector<fs::path> chassis;
    for (const auto& e : fs::directory_iterator(data / "Chassis"))
      if (e.is_regular_file()) chassis.push_back(e.path());  // not the folder of measurement files
    std::sort(chassis.begin(), chassis.end());  // the same order on every machine
    for (const fs::path& c : chassis) {
      fs::copy_file(c, settings_.chassisFolder / c.filename());
      ui_.openable.push_back(settings_.chassisFolder / c.filename());
    }
    for (const auto& e : fs::directory_iterator(data / "Weichenbauteile"))
      fs::copy_file(e.path(), settings_.partsFolder / e.path().filename());
  }

  ActionLog& Log() { return *log_; }
  std::unique_ptr<ActionLog> log_;
};

TEST_F(RandomInput, WindowsSurviveRandomActionsAndKeepTheProjectSavable) {
  log_ = std::make_unique<ActionLog>(fs::temp_directory_path() /
                                      ("sonvex_random_input_" + std::to_string(::getpid()) + ".log"));
  std::cout << "Actions of the round in progress: " << log_->File().string() << std::endl;
  ui_.scratch = dir_;
  ui_.rng = &rng_;
  ui_.log = log_.get();

  std::vector<std::string> critical;
  gCriticalMessages = &critical;
  gPreviousHandler = qInstallMessageHandler(MessageHandler);
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [this] { WatchdogInNestedLoop(); });
  watchdog.start(50);

  using Clock = std::chrono::steady_clock;
  const auto end = Clock::now() +
                   std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(gOptions.minutes * 60.0));
  int total = 0;
  for (int round = 0;; ++round) {
    if (gOptions.rounds > 0 ? round >= gOptions.rounds : (round >= kSampleCount && Clock::now() >= end)) break;
    const unsigned seed = gOptions.seed + static_cast<unsigned>(round);
    const char* project = kSampleProjects[seed % kSampleCount];
    rng_.seed(seed);
    log_->Start("seed " + std::to_string(seed) + ", project " + project);
    critical.clear();

    form_.reset();
    FreshFolders();
    fs::copy_file(fs::path(SONVEX_DATA_DIR) / "Projekte" / project, DefaultFile(),
                  fs::copy_options::overwrite_existing);
    Start();
    form_->execDialog = [this](QDialog& d) { return RunDialog(d); };
    form_->show();
    form_->activateWindow();

    bool failed = false;
    for (int i = 0; i < gOptions.actions && !failed; ++i) {
      if (!form_->isVisible()) {
        log_->Add("main window shown again");
        form_->show();
      }
      RandomAction(nullptr);
      QCoreApplication::processEvents();
      Watchdog();
      ++total;
      failed = !critical.empty();
    }
    ASSERT_TRUE(form_->WaitCalcIdle()) << "calculation did not end\n" << log_->Text();
    const std::string saved = SavedText(form_->CurrentProject());
    const fs::path file = dir_ / "round_trip.ZPJ";
    SaveProject(form_->CurrentProject(), file);
    // Read back as a file of its own: the display defaults a round may have
    // chosen "for all projects" are not applied.
    ScriptedInteraction quiet;
    Settings plain = settings_;
    plain.useDisplayDefaults = false;
    auto reloaded = MakeNewProject();
    LoadProjectFile(*reloaded, file, plain, quiet);
    const std::string again = SavedText(*reloaded);
    EXPECT_TRUE(critical.empty()) << critical.front() << "\n" << log_->Text();
    EXPECT_EQ(again, saved) << "the project does not save and reload as it was\n"
                               << "replay: random_input_tests --seed " << seed << " --rounds 1\n"
                               << log_->Text();
    if (::testing::Test::HasFailure()) {
      std::cout << "failing round: seed " << seed << " (replay with --seed " << seed << " --rounds 1)" << std::endl;
      break;
    }
    // Windows the round left open are closed before the next one.
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && w != form_.get()) w->close();
  }
  watchdog.stop();
  qInstallMessageHandler(gPreviousHandler);
  gCriticalMessages = nullptr;
  form_.reset();
  std::cout << "random actions sent: " << total << std::endl;
  if (!::testing::Test::HasFailure()) log_->Remove();
}

}  // namespace
}  // namespace sonvex

// Takes --seed, --minutes, --rounds and --actions off the command line, then
// runs the test with one QApplication (offscreen unless a platform is set).
int main(int argc, char** argv) {
  std::vector<char*> rest{argv[0]};
  for (int i = 1; i < argc; ++i) {
    auto value = [&](const char* flag) { return std::strcmp(argv[i], flag) == 0 && i + 1 < argc; };
    if (value("--seed"))
      sonvex::gOptions.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    else if (value("--minutes"))
      sonvex::gOptions.minutes = std::strtod(argv[++i], nullptr);
    else if (value("--rounds"))
      sonvex::gOptions.rounds = std::atoi(argv[++i]);
    else if (value("--actions"))
      sonvex::gOptions.actions = std::atoi(argv[++i]);
    else
      rest.push_back(argv[i]);
  }
  int n = static_cast<int>(rest.size());
  rest.push_back(nullptr);
  ::testing::InitGoogleTest(&n, rest.data());
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(n, rest.data());
  return RUN_ALL_TESTS();
}
