// Windows metafiles: the layout checked here, the drawing done by the metafile plugin, loaded on first use.
#include "mapview/wmf_picture.hpp"

#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/plugin_library.hpp"
#include "mapview/wmf_layout.hpp"

namespace brelvo::mapview {

QImage readWmfPicture(const QByteArray& bytes) {
    // A file the plugin would refuse for its layout is refused without loading it.
    bool placeable = false;
    if (std::string why = checkWmfLayout(bytes, placeable); !why.empty())
        throw common::invalidPicture().because(std::move(why));
    static const auto entry =
        reinterpret_cast<WmfPluginEntry>(common::loadPluginEntry(kWmfPluginFile, kWmfPluginEntry));
    if (entry == nullptr) throw common::invalidPicture().because(std::string(common::msg::kMetafileNoReader));
    QImage picture;
    std::string cause;
    if (!entry(&bytes, &picture, &cause)) throw common::invalidPicture().because(std::move(cause));
    return picture;
}

}  // namespace brelvo::mapview
