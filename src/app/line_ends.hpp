// Line ends between the measuring logic, whose texts end lines with CR LF, and Qt's text widgets,
// which hold a line feed alone.
#pragma once

#include <QString>
#include <string>

namespace brelvo::app {

inline QString withLineFeeds(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

inline std::string withCrLf(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace('\n', QStringLiteral("\r\n"));
    return t.toStdString();
}

}  // namespace brelvo::app
