#include "ui/dialogs/qt_interaction.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "charts/qt_text.h"
#include "model/file_io.h"

namespace sonvex {

namespace {}  // namespace

// ---------------------------------------------------------------------------
// File dialogs

QString ConvertFileFilter(std::string_view filter) {
  if (filter.empty()) return {};
  const std::vector<std::string> parts = SplitCaptions(filter);
  QStringList out;
  for (std::size_t k = 0; k < parts.size(); k += 2) {
    QString name = QText(parts[k]).trimmed();
    const QString patternText = k + 1 < parts.size() ? QText(parts[k + 1]) : QStringLiteral("*");
    // The patterns go in parentheses at the end of the name, where the file
    // dialog looks for them; a pattern list already in the name goes.
    if (name.endsWith(QChar(')'))) {
      const qsizetype open = name.lastIndexOf(QChar('('));
      if (open >= 0) name = name.left(open).trimmed();
    }
    QStringList patterns;
    for (const QString& p : patternText.split(QChar(';'), Qt::SkipEmptyParts)) {
      for (const QString& v : {p.trimmed(), p.trimmed().toUpper(), p.trimmed().toLower()})
        if (!v.isEmpty() && !patterns.contains(v)) patterns << v;
    }
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    const QString list = patterns.join(QChar(' '));
    out << (name.isEmpty() ? list : name) + QStringLiteral(" (") + list + QChar(')');
  }
  return out.join(QStringLiteral(";;"));
}

// ---------------------------------------------------------------------------

QWidget* QtInteraction::Owner() const {
  if (QWidget* active = QApplication::activeWindow(); active != nullptr) return active;
  return parent_;
}

int QtInteraction::ChooseButton(std::string_view message, std::string_view captions, int defaultIndex) {
  ChoiceDialog dlg(message, captions, defaultIndex, Owner());
  dlg.exec();
  if (dlg.Pressed() > 0) return dlg.Pressed();
  // Only reachable when the dialog was torn down from outside: answer as the
  // default button would (the first button without a valid default).
  return dlg.DefaultIndex() > 0 ? dlg.DefaultIndex() : 1;
}

void QtInteraction::ShowMessage(std::string_view message) {
  QMessageBox box(QMessageBox::NoIcon, ProgramCaption(), QText(message), QMessageBox::Ok, Owner());
  box.exec();
}

std::optional<std::filesystem::path> QtInteraction::PickOpenFile(std::string_view caption, std::string_view filter,
                                                                 const std::filesystem::path& folder) {
  const QString name =
      QFileDialog::getOpenFileName(Owner(), QText(caption), QText(Utf8FromPath(folder)), ConvertFileFilter(filter));
  if (name.isEmpty()) return std::nullopt;
  return PathFromUtf8(name.toStdString());
}

std::vector<std::filesystem::path> QtInteraction::PickOpenFiles(std::string_view caption, std::string_view filter,
                                                                const std::filesystem::path& folder) {
  const QStringList names =
      QFileDialog::getOpenFileNames(Owner(), QText(caption), QText(Utf8FromPath(folder)), ConvertFileFilter(filter));
  std::vector<std::filesystem::path> files;
  files.reserve(static_cast<std::size_t>(names.size()));
  for (const QString& name : names) files.push_back(PathFromUtf8(name.toStdString()));
  return files;
}

std::optional<std::filesystem::path> QtInteraction::PickSaveFile(std::string_view caption, std::string_view filter,
                                                                 const std::filesystem::path& folder,
                                                                 std::string_view defaultName) {
  std::filesystem::path start = folder;
  if (!defaultName.empty()) start /= PathFromUtf8(defaultName);
  const QString name =
      QFileDialog::getSaveFileName(Owner(), QText(caption), QText(Utf8FromPath(start)), ConvertFileFilter(filter));
  if (name.isEmpty()) return std::nullopt;
  return PathFromUtf8(name.toStdString());
}

bool QtInteraction::EditValues(std::string_view caption, std::string_view format, std::vector<std::string>& values) {
  // Each text becomes a variable of the kind its row's letter names, so the
  // dialog shows and reads it exactly as a typed variable.
  const std::vector<EditRow> rows = ParseEditFormat(format);
  struct ValueSlot {
    std::string s;
    std::int32_t i = 0;
    float f = 0;
    double d = 0;
    long double e = 0;
    Date t;
  };
  std::vector<ValueSlot> store(rows.size());
  std::vector<EditVar> vars;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    ValueSlot& s = store[k];
    if (k >= values.size()) {
      vars.emplace_back(static_cast<std::string*>(nullptr));
      continue;
    }
    const std::string& text = values[k];
    switch (EditKindOf(rows[k].letter).value_or(std::variant_npos)) {
      case kEditText:
        s.s = text;
        vars.emplace_back(&s.s);
        break;
      case kEditInt32:
        s.i = ParseInt(text).value;
        vars.emplace_back(&s.i);
        break;
      case kEditFloat:
        s.f = static_cast<float>(ParseFloat(text).value);
        vars.emplace_back(&s.f);
        break;
      case kEditDouble:
        s.d = NarrowToDouble(ParseFloat(text).value);
        vars.emplace_back(&s.d);
        break;
      case kEditExtended:
        s.e = ParseFloat(text).value;
        vars.emplace_back(&s.e);
        break;
      case kEditDate:
        s.t = ParseDate(text);
        vars.emplace_back(&s.t);
        break;
      default:
        vars.emplace_back(static_cast<std::string*>(nullptr));
        break;
    }
  }
  if (!EditValuesTyped(Owner(), caption, format, vars)) return false;
  for (std::size_t k = 0; k < rows.size() && k < values.size(); ++k)
    if (BindsEditVar(rows[k].letter, vars[k])) values[k] = EditText(vars[k]);
  return true;
}

}  // namespace sonvex
