#pragma once
// The one bridge between the engine's texts (UTF-8 in std::string) and Qt's
// QString, for the charts and every window.
#include <QString>
#include <string>
#include <string_view>

namespace sonvex {

inline QString QText(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string StdText(const QString& s) { return s.toStdString(); }

}  // namespace sonvex
