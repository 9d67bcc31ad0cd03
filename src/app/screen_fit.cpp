// Scroll areas and sizes that fit the screen.
#include "app/screen_fit.hpp"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

namespace brelvo::app {

namespace {

// Room for a window manager's frame and title bar before the window is shown and they are known.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 48;

}  // namespace

QWidget* scrollingContent(QWidget& window) {
    auto* outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(&window);
    scroll->setObjectName(QStringLiteral("contentScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* content = new QWidget(scroll);
    content->setObjectName(QStringLiteral("content"));
    scroll->setWidget(content);
    outer->addWidget(scroll);
    return content;
}

void fitToScreen(QWidget& window, QSize wanted) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window.resize(wanted);
        return;
    }
    const QRect area = screen->availableGeometry();
    // The frame as the window manager draws it, once known; a guess before.
    const QRect frame = window.frameGeometry(), inner = window.geometry();
    const int frameWidth = window.isVisible() ? frame.width() - inner.width() : kFrameWidth;
    const int frameHeight = window.isVisible() ? frame.height() - inner.height() : kFrameHeight;
    const QSize room(std::max(1, area.width() - frameWidth), std::max(1, area.height() - frameHeight));
    const QSize size = wanted.boundedTo(room).expandedTo(window.minimumSize().boundedTo(room));
    window.resize(size);
    const int left = area.left() + (area.width() - size.width() - frameWidth) / 2;
    const int top = area.top() + (area.height() - size.height() - frameHeight) / 2;
    window.move(std::max(area.left(), left), std::max(area.top(), top));
}

}  // namespace brelvo::app
