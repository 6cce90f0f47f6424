#pragma once
// Tests find a window's controls by the object names the windows give them
// (the windows themselves hold their controls and never look them up).
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QObject>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

namespace sonvex {

// The child of `window` of type T with this object name; nullptr when none.
template <class T>
T* Named(const QObject& window, std::string_view name) {
  return window.findChild<T*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}
// A window's menu items and menus ("actUndo", "menuEdit").
inline QAction* Action(const QObject& window, std::string_view name) { return Named<QAction>(window, name); }
inline QMenu* Menu(const QObject& window, std::string_view name) { return Named<QMenu>(window, name); }
inline QLineEdit* NamedEdit(const QObject& window, std::string_view name) { return Named<QLineEdit>(window, name); }
inline QCheckBox* NamedCheck(const QObject& window, std::string_view name) { return Named<QCheckBox>(window, name); }
// The chassis editor's label of a derived value ("Cms", "Qts", ...).
inline QLabel* DerivedLabel(const QObject& window, std::string_view key) {
  return Named<QLabel>(window, "derivedLabel" + std::string(key));
}
// The lines of a list box or memo.
inline QStringList NamedLines(const QObject& window, std::string_view name) {
  QStringList lines;
  if (auto* list = Named<QListWidget>(window, name)) {
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  } else if (auto* memo = Named<QPlainTextEdit>(window, name)) {
    const QString text = memo->toPlainText();
    if (!text.isEmpty()) lines = text.split(QLatin1Char('\n'));
  }
  return lines;
}

}  // namespace sonvex
