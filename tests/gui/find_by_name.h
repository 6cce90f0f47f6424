#pragma once
// The windows give their menus and items object names; the tests find them
// by those names, as a user finds them by their captions.
#include <QAction>
#include <QMenu>
#include <QObject>
#include <QString>

namespace sonvex {

inline QAction* Action(const QObject& window, const char* name) {
  return window.findChild<QAction*>(QString::fromLatin1(name));
}
inline QMenu* Menu(const QObject& window, const char* name) {
  return window.findChild<QMenu*>(QString::fromLatin1(name));
}

}  // namespace sonvex
