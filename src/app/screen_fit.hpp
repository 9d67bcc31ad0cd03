// Windows that fit the screen at any scale factor: a window's contents in a scroll area (so its least
// size is small and every control can be scrolled to), and a size and place inside the screen's
// available area.
#pragma once

#include <QSize>

class QWidget;

namespace brelvo::app {

// Gives `window` a scroll area that fills it and returns the widget inside, to lay the contents on.
QWidget* scrollingContent(QWidget& window);

// Sizes `window` to `wanted` or less, so that it and its frame fit the available area of its screen,
// and places it there: centred, its title bar on the screen.
void fitToScreen(QWidget& window, QSize wanted);

}  // namespace brelvo::app
