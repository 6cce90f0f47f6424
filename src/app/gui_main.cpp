// The desktop program: reads the settings of the program folder (or of the
// data folder given by --data DIR), opens the main window on the project
// named by the first argument (else Default.ZPJ of the project folder) and
// runs the event loop. --help and --version are answered, and a missing
// display is reported, before Qt is started (it would abort without one).
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "model/captions.h"
#include "model/file_io.h"
#include "model/settings.h"
#include "model/user_folders.h"
#include "ui/dialogs/qt_interaction.h"
#include "ui/main/main_window.h"

namespace {

void PrintHelp() {
  std::cout << "Aufruf: sonvex [--data VERZEICHNIS] [--pause MS] [--opti-pause MS] [PROJEKT.ZPJ]\n"
               "Sonvex: Simulation mehrwegiger Lautsprecherboxen. Öffnet das Projekt (sonst Default.ZPJ\n"
               "des Projektverzeichnisses) im Hauptfenster.\n"
               "\n"
               "  --data VERZEICHNIS  Programmverzeichnis mit Sonvex.ini und den Datenordnern\n"
               "  --pause MS          Pause der Berechnung nach jedem Schritt, 0 bis "
            << sonvex::kMaxCalcPauseMs
            << " ms (nur für diesen Lauf)\n"
               "  --opti-pause MS     Pause der Rechenprozesse des Optimierers nach jedem Schritt\n"
               "  --help              diese Hilfe ausgeben\n"
               "  --version           die Version ausgeben\n"
               "\n"
               "Das Programm braucht eine grafische Oberfläche (DISPLAY oder WAYLAND_DISPLAY).\n"
               "Ohne sie berechnet \"sonvex-cli calc PROJEKT.ZPJ\" ein Projekt auf der Kommandozeile.\n";
}

// --help (-h) or --version anywhere among the arguments, except as the value
// of one of our options: 'h' or 'v', else 0.
char HelpOrVersion(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--data" || a == "--pause" || a == "--opti-pause") {
      ++i;
    } else if (a == "--help" || a == "-h") {
      return 'h';
    } else if (a == "--version") {
      return 'v';
    }
  }
  return 0;
}

bool EnvironmentSet(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0';
}

// Whether Qt will look for a display: with no platform named (Qt then takes
// X11 or Wayland) or with one of those two named, by "-platform NAME" or by
// QT_QPA_PLATFORM (a list "wayland;xcb" names its choices in turn). Other
// platforms (offscreen, vnc, eglfs, ...) need none.
bool NeedsDisplay(int argc, char** argv) {
  std::string platform;
  if (const char* env = std::getenv("QT_QPA_PLATFORM")) platform = env;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) platform = argv[i + 1];
  if (platform.empty()) return true;
  std::size_t start = 0;
  while (start <= platform.size()) {
    std::size_t end = platform.find(';', start);
    if (end == std::string::npos) end = platform.size();
    const std::string_view name = std::string_view(platform).substr(start, end - start);
    if (!(name.starts_with("xcb") || name.starts_with("wayland"))) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before Qt starts: they need no display.
  if (const char which = HelpOrVersion(argc, argv)) {
    if (which == 'h')
      PrintHelp();
    else
      std::cout << "sonvex " << sonvex::kProgramVersion << "\n";
    return 0;
  }
  if (NeedsDisplay(argc, argv) && !EnvironmentSet("DISPLAY") && !EnvironmentSet("WAYLAND_DISPLAY")) {
    std::cerr << "Keine grafische Oberfläche gefunden (DISPLAY und WAYLAND_DISPLAY sind leer): "
                 "sonvex kann kein Fenster öffnen.\n"
                 "Ein Projekt ohne Oberfläche berechnen: sonvex-cli calc PROJEKT.ZPJ\n";
    return 2;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("SONVEX"));
  // The id of the desktop entry (share/applications/org.sonvex.Sonvex.desktop):
  // task bars group the windows with the menu entry and take its icon. On X11
  // the window class is the application name, "SONVEX", which the entry names
  // as its StartupWMClass.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.sonvex.Sonvex"));

  // The program speaks German: so do Qt's own file, folder, colour and
  // message dialogs (Debian package qt6-translations-l10n). Without the
  // translation files they stay English; nothing else changes.
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  QTranslator qtTranslator;
  if (qtTranslator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTranslator);

  // Qt has taken its own options out of the argument list.
  const QStringList args = QApplication::arguments();
  std::optional<std::filesystem::path> dataFolder;
  std::optional<std::filesystem::path> project;
  std::optional<int> pauseMs;
  std::optional<int> optimizerPauseMs;
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == QStringLiteral("--data")) {
      if (i + 1 >= args.size()) {
        std::cerr << "--data braucht ein Verzeichnis.\n";
        return 2;
      }
      dataFolder = sonvex::PathFromUtf8(args[++i].toStdString());
    } else if (a.startsWith(QStringLiteral("--data="))) {
      dataFolder = sonvex::PathFromUtf8(a.mid(7).toStdString());
    } else if (a == QStringLiteral("--pause") || a == QStringLiteral("--opti-pause")) {
      // The pause after each step of the calculation, or of the optimizer's
      // workers, for this run only.
      bool ok = false;
      const int ms = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
      if (!ok || ms < 0 || ms > sonvex::kMaxCalcPauseMs) {
        std::cerr << a.toStdString() << " braucht eine Zahl von 0 bis " << sonvex::kMaxCalcPauseMs
                  << " (Millisekunden).\n";
        return 2;
      }
      (a == QStringLiteral("--pause") ? pauseMs : optimizerPauseMs) = ms;
      ++i;
    } else if (a.size() > 1 && a.startsWith(QLatin1Char('-'))) {
      // An option neither Qt nor we know is no project file name.
      std::cerr << "Unbekannte Option: " << a.toStdString() << " (sonvex --help nennt die Optionen)\n";
      return 2;
    } else if (!project) {
      project = sonvex::PathFromUtf8(a.toStdString());
    }
  }

  const std::filesystem::path programFile = sonvex::PathFromUtf8(QApplication::applicationFilePath().toStdString());
  const std::filesystem::path programFolder = sonvex::PathFromUtf8(QApplication::applicationDirPath().toStdString());
  if (dataFolder) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(*dataFolder, ec);
    if (!ec) dataFolder = absolute;
  }

  // Every window carries the Sonvex icon: the installed one of the hicolor
  // theme (also below a prefix the desktop does not search), else the one
  // built into the program.
  if (sonvex::DetectProgramLayout(programFolder) == sonvex::ProgramLayout::Installed) {
    const QString icons =
        QString::fromStdString(sonvex::Utf8FromPath(sonvex::SharedDataFolder(programFolder).parent_path() / "icons"));
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(icons)) QIcon::setThemeSearchPaths(paths << icons);
  }
  QIcon builtIn;
  for (const int size : {48, 128, 256}) builtIn.addFile(QStringLiteral(":/sonvex/icons/sonvex-%1.png").arg(size));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.sonvex.Sonvex"), builtIn));

  sonvex::QtInteraction ui;
  // The program folder, or the user's folders when it is not writable.
  sonvex::Settings settings = sonvex::MakeProgramSettings(programFolder, programFile, dataFolder);
  sonvex::LoadSettings(settings, &ui);

  // A named project that does not exist gives way to Default.ZPJ; say so.
  std::error_code existsError;
  if (project && !project->empty() && !std::filesystem::exists(*project, existsError))
    std::cerr << "Projektdatei nicht gefunden: " << sonvex::Utf8FromPath(*project)
              << " (es wird Default.ZPJ geladen)\n";

  sonvex::MainWindowOptions options;
  options.startFile = project;
  options.calcPause = std::chrono::milliseconds(pauseMs ? *pauseMs : settings.calcPauseMs);
  options.optimizerPause = std::chrono::milliseconds(optimizerPauseMs ? *optimizerPauseMs : settings.optimizerPauseMs);
  sonvex::MainWindow form(settings, ui, options);
  ui.SetParent(&form);
  form.show();
  return QApplication::exec();
}
