// The web map plugin's one exported function: makes the web map window and runs its start-up sequence.
#include <QWidget>
#include <exception>
#include <functional>
#include <memory>
#include <type_traits>

#include "app/web_map.hpp"
#include "app/web_map_window.hpp"

extern "C" Q_DECL_EXPORT QWidget* brelvo_open_web_map_v1(std::function<void()>* onClosed,
                                                         const QString* address) {
    static_assert(std::is_same_v<decltype(&brelvo_open_web_map_v1), brelvo::app::WebMapPluginEntry>);
    try {
        std::function<void()> notice = onClosed != nullptr ? std::move(*onClosed) : std::function<void()>{};
        auto window = address != nullptr
                          ? std::make_unique<brelvo::app::WebMapWindow>(std::move(notice), *address)
                          : std::make_unique<brelvo::app::WebMapWindow>(std::move(notice));
        window->open();
        return window.release();
    } catch (const std::exception&) {
        return nullptr;
    }
}
