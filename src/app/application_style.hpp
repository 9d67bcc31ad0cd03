// The program's style: the platform's own, except that the few standard icons the windows ask for at
// start are read as PNG by name. Left to guess a picture's format, Qt's reader loads every
// picture-format plugin to ask it, which costs the start several milliseconds and megabytes.
#pragma once

#include <QProxyStyle>

namespace brelvo::app {

class ApplicationStyle : public QProxyStyle {
  public:
    ApplicationStyle();
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

  private:
    QIcon horizontalExtension_;
    QIcon verticalExtension_;
};

// A PNG from the program's or Qt's resources, read without asking the plugins.
QPixmap pngPixmap(const QString& path);

}  // namespace brelvo::app
