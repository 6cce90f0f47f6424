#include "model/result_export.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <system_error>

#include "calc/complex.h"
#include "calc/result.h"
#include "model/number_text.h"

namespace sonvex {

namespace {

constexpr double kRadToDeg = 57.295827908797776;  // 180 / 3.1415926
constexpr std::string_view kCrLf = "\r\n";

// Level in dB of a complex value; sound pressures get the 112 dB of the
// pressure scale added.
double LevelDb(TComplex s, bool pressure) { return 20 * std::log10(CAbs(s) + 1e-50) + (pressure ? 112 : 0); }

TComplex ExportValue(const TResult& r, TExportKind kind, int c, int i) {
  switch (kind) {
    case TExportKind::Box:
      return r.BoxP[i][0];
    case TExportKind::Chassis:
      return CAdd(r.ContribFront[c][i][0], r.ContribRear[c][i][0]);
    case TExportKind::Signal: {
      const int u = r.AmpOfChassis[c];
      // A chassis without an amplifier gets no signal.
      if (u < 0 || u >= kMaxAmps) return CZero;
      return CMul(r.ChassisU[c][i], r.FilterResp[u][i]);
    }
  }
  return CZero;
}

std::filesystem::path TemporaryNameNextTo(const std::filesystem::path& target) {
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  const std::filesystem::path folder = target.parent_path();
  for (;;) {
    std::filesystem::path p =
        folder / (target.filename().string() + "." + std::to_string(rng() % 1000000000u) + ".tmp");
    std::error_code ec;
    if (!std::filesystem::exists(p, ec) && !ec) return p;
    if (ec) return p;  // the folder cannot be examined: the write will report it
  }
}

}  // namespace

std::string_view ExportButtonCaption(TExportKind kind) {
  switch (kind) {
    case TExportKind::Box:
      return "Gesamtfrequenzgang der Box auf Achse exportieren";
    case TExportKind::Chassis:
      return "Frequenzgang eines Chassis auf Achse mit Schallwand und Gehäuseeinfluss exportieren";
    case TExportKind::Signal:
      return "Frequenzgang des elektrischen Signals an einem Chassis exportieren";
  }
  return {};
}

std::string ExportTitle(TExportKind kind, int chassis) {
  const std::string n = std::to_string(chassis + 1);
  switch (kind) {
    case TExportKind::Box:
      return "# Gesamtfrequenzgang der Box auf Achse";
    case TExportKind::Chassis:
      return "# Frequenzgang Chassis " + n + " auf Achse incl. Frequenzweichen- und Schallwandeinfluß";
    case TExportKind::Signal:
      return "# Frequenzgang elektrisches Signal an Chassis " + n + " (0dB = 2,83V)";
  }
  return {};
}

std::string ExportText(const TResult& r, TExportKind kind, int chassis) {
  const int c = std::clamp(chassis, 0, kChassisSlots - 1);
  const bool pressure = kind != TExportKind::Signal;
  std::string out = ExportTitle(kind, c);
  out += kCrLf;
  out += "# Frequenz[Hz]\tAmpl.[dB]\tPhase[°]";
  out += kCrLf;
  for (int i = 0; i < kFreqEntries && r.freq[i] > 0; ++i) {
    const TComplex s = ExportValue(r, kind, c, i);
    out += FormatNumber(r.freq[i], 6);
    out += '\t';
    out += FormatNumber(LevelDb(s, pressure), 6);
    out += '\t';
    out += FormatNumber(CPhase(s) * kRadToDeg, 6);
    out += kCrLf;
  }
  return out;
}

std::optional<int> ChooseExportChassis(const TResult& r, TExportKind kind, TInteraction& ui) {
  if (kind == TExportKind::Box) return 0;
  // A result never holds more than eight chassis; the limit keeps a damaged
  // count from offering slots that do not exist.
  const int n = std::min<int>(r.nChassis, kMaxChassis);
  int c = 0;
  if (n >= 2) {
    std::string captions;
    for (int k = 1; k <= n; ++k) captions += std::to_string(k) + "|";
    captions += "Abbruch";
    const std::string_view question =
        kind == TExportKind::Signal ? "Signal für welches Chassis?" : "Frequenzgang für welches Chassis?";
    const int answer = ui.ChooseButton(question, captions, n + 1);
    if (answer < 1 || answer > n) return std::nullopt;
    c = answer - 1;
  }
  if (kind == TExportKind::Signal && (r.AmpOfChassis[c] < 0 || r.AmpOfChassis[c] >= kMaxAmps)) {
    ui.ShowMessage("Das Chassis ist in keiner Frequenzweiche angeschlossen. Ausgabe nicht sinnvoll.");
    return std::nullopt;
  }
  return c;
}

bool WriteFileReplacing(const std::filesystem::path& targetIn, const std::function<void(std::ostream&)>& write,
                        std::string& error) {
  namespace fs = std::filesystem;
  error.clear();
  std::error_code ec;
  // Replace the file a link points to, not the link.
  fs::path target = targetIn;
  if (fs::is_symlink(target, ec)) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  const fs::path temp = TemporaryNameNextTo(target);
  const auto fail = [&](const std::string& why) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    error =
        "Die Datei \"" + target.string() + "\" konnte nicht geschrieben werden" + (why.empty() ? "" : ": " + why) + ".";
    return false;
  };
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return fail("");
    try {
      write(out);
    } catch (const std::exception& e) {
      return fail(e.what());
    } catch (...) {
      return fail("");
    }
    out.flush();
    if (!out) return fail("");
    out.close();
    if (out.fail()) return fail("");
  }
  // Keep the permissions of the file that is replaced.
  const auto oldStatus = fs::status(target, ec);
  if (!ec && fs::is_regular_file(oldStatus)) fs::permissions(temp, oldStatus.permissions(), ec);
  fs::rename(temp, target, ec);
  if (ec) return fail(ec.message());
  return true;
}

std::optional<std::filesystem::path> ExportResult(const TResult& r, TExportKind kind, TInteraction& ui,
                                                  const std::filesystem::path& folder) {
  const auto chassis = ChooseExportChassis(r, kind, ui);
  if (!chassis) return std::nullopt;
  auto file = ui.PickSaveFile(kExportCaption, kExportFilter, folder, "");
  if (!file) return std::nullopt;
  // The save dialog's default extension.
  if (!file->has_extension()) file->replace_extension("exp");
  const std::string text = ExportText(r, kind, *chassis);
  std::string error;
  if (!WriteFileReplacing(
          *file, [&text](std::ostream& out) { out.write(text.data(), static_cast<std::streamsize>(text.size())); },
          error)) {
    ui.ShowMessage(error);
    return std::nullopt;
  }
  return file;
}

}  // namespace sonvex
