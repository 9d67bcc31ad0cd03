// A measuring window as a user's session starts it (maximised at start, then a normal 800 x 600 window),
// shown and exposed, for the window tests that open projects and maps in it.
#pragma once

#include <QtTest>
#include <memory>

#include "app/main_window.hpp"
#include "common/dialogs.hpp"

namespace brelvo::testing {

inline std::unique_ptr<app::MainWindow> shownMainWindow(common::Dialogs& dialogs) {
    auto window = std::make_unique<app::MainWindow>(dialogs);
    window->showMaximizedAtStart();
    window->showNormal();
    window->resize(800, 600);
    if (!QTest::qWaitForWindowExposed(window.get())) qFatal("window not exposed");
    return window;
}

}  // namespace brelvo::testing
