// The files that may hold a picture's georeference, and the web map capture's geotransform.
#include "mapview/map_georeference.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <vector>

namespace brelvo::mapview {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Web Mercator's sphere: the WGS 84 equatorial radius, metres.
constexpr double kWebMercatorRadius = 6378137.0;
// The latitude where Web Mercator's square world ends.
constexpr double kWebMercatorMaxLat = 85.0511287798066;

}  // namespace

std::optional<std::string> georeferenceSidecar(const std::string& picturePath) {
    const fs::path picture(picturePath);
    const std::string stem = lower(picture.stem().string());
    const std::string name = lower(picture.filename().string());
    std::vector<std::string> wanted;
    for (const char* ext : {".jgw", ".jpgw", ".pgw", ".pngw", ".tfw", ".tifw", ".bpw", ".gfw", ".wld"})
        wanted.push_back(stem + ext);
    wanted.push_back(name + ".aux.xml");
    std::error_code error;
    fs::path folder = picture.parent_path();
    if (folder.empty()) folder = ".";
    fs::directory_iterator it(folder, error);
    if (error) return std::nullopt;
    // The first kind in the order above wins when several are there.
    std::optional<std::string> found;
    std::size_t rank = wanted.size();
    for (const fs::directory_entry& entry : it) {
        const std::string candidate = lower(entry.path().filename().string());
        const auto at = std::find(wanted.begin(), wanted.end(), candidate);
        // Any entry by that name, not only a file: one that is a folder, a pipe or a link that leads
        // nowhere is named by the geodata support as passed over.
        if (at == wanted.end()) continue;
        const auto r = static_cast<std::size_t>(at - wanted.begin());
        if (r < rank) {
            rank = r;
            found = entry.path().string();
        }
    }
    return found;
}

bool isTiffFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[4] = {};
    if (!in.read(head, 4)) return false;
    return (head[0] == 'I' && head[1] == 'I' && head[2] == '*' && head[3] == 0) ||
           (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == '*');
}

bool mayBeGeoreferenced(const std::string& picturePath) {
    return isTiffFile(picturePath) || georeferenceSidecar(picturePath).has_value();
}

std::optional<std::array<double, 6>> webMapGeotransform(const WebMapView& view, double pixelRatio) {
    if (!(pixelRatio > 0) || !(view.zoom >= 0 && view.zoom <= 30) ||
        !(std::abs(view.lat) <= kWebMercatorMaxLat) || !(std::abs(view.lon) <= 180) ||
        !std::isfinite(view.centreX) || !std::isfinite(view.centreY))
        return std::nullopt;
    constexpr double pi = std::numbers::pi;
    const double x = kWebMercatorRadius * view.lon * pi / 180;
    const double y = kWebMercatorRadius * std::log(std::tan(pi / 4 + view.lat * pi / 360));
    // Metres of the projection per CSS pixel, then per pixel of the capture.
    const double perCssPixel = 2 * pi * kWebMercatorRadius / (256 * std::exp2(view.zoom));
    const double perPixel = perCssPixel / pixelRatio;
    const double column = view.centreX * pixelRatio;
    const double row = view.centreY * pixelRatio;
    return std::array<double, 6>{x - column * perPixel, perPixel, 0, y + row * perPixel, 0, -perPixel};
}

}  // namespace brelvo::mapview
