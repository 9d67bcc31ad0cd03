#include "app/application_style.hpp"

#include <QGuiApplication>
#include <QImageReader>
#include <QPixmap>
#include <QStyleOption>
#include <initializer_list>

namespace brelvo::app {

namespace {

// The menu bar's and tool bars' "more" button, from the same pictures Qt's common style uses.
QIcon extensionIcon(const char* direction, std::initializer_list<int> sizes) {
    QIcon icon;
    for (const int size : sizes) {
        const QPixmap pixmap =
            pngPixmap(QStringLiteral(":/qt-project.org/styles/commonstyle/images/toolbar-ext-%1-%2.png")
                          .arg(QLatin1String(direction))
                          .arg(size));
        if (!pixmap.isNull()) icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

QPixmap pngPixmap(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

ApplicationStyle::ApplicationStyle()
    : horizontalExtension_(extensionIcon("h", {8, 16, 32})),
      verticalExtension_(extensionIcon("v", {5, 10, 20})) {}

QIcon ApplicationStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                     const QWidget* widget) const {
    const bool leftToRight =
        (option ? option->direction : QGuiApplication::layoutDirection()) == Qt::LeftToRight;
    if (icon == SP_ToolBarHorizontalExtensionButton && leftToRight && !horizontalExtension_.isNull())
        return horizontalExtension_;
    if (icon == SP_ToolBarVerticalExtensionButton && !verticalExtension_.isNull()) return verticalExtension_;
    return QProxyStyle::standardIcon(icon, option, widget);
}

}  // namespace brelvo::app
