// Opening the web map capture window from the main window, in builds with and without Qt WebEngine.
#pragma once

#include <functional>
#include <memory>

class QWidget;

namespace brelvo::app {

// True when this build carries the web map window.
constexpr bool webMapAvailable() {
#ifdef BRELVO_HAVE_WEBENGINE
    return true;
#else
    return false;
#endif
}

// Creates the web map window and runs its start-up sequence, which returns once the map page has
// loaded or at most 10 seconds later. onClosed runs inside the window's close event each time the
// user closes it: it may show other windows but must not destroy this one; the caller keeps the
// window (for instance until the next opening replaces it). Without Qt WebEngine: nullptr.
std::unique_ptr<QWidget> openWebMapWindow(std::function<void()> onClosed);

}  // namespace brelvo::app
