// Opens the web map window when this build carries Qt WebEngine; otherwise there is nothing to open.
#include "app/web_map.hpp"

#include <QWidget>

#ifdef BRELVO_HAVE_WEBENGINE
#include "app/web_map_window.hpp"
#endif

namespace brelvo::app {

std::unique_ptr<QWidget> openWebMapWindow(std::function<void()> onClosed) {
#ifdef BRELVO_HAVE_WEBENGINE
    auto window = std::make_unique<WebMapWindow>(std::move(onClosed));
    window->open();
    return window;
#else
    (void)onClosed;
    return nullptr;
#endif
}

}  // namespace brelvo::app
