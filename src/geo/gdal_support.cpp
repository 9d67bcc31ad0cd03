// What the geodata services share inside the plugin: quiet GDAL, bounded reads, coordinate systems.
#include "geo/gdal_support.hpp"

#include <cpl_conv.h>
#include <cpl_string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

#include "common/messages.hpp"

namespace brelvo::geo::detail {

namespace fs = std::filesystem;

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string fileName(const std::string& path) {
    return fs::path(path).filename().string();
}

bool virtualPath(const std::string& path) {
    return lowerCase(path.substr(0, 4)) == "/vsi";
}

SmallFile readSmallFile(const std::string& path, std::size_t limit) {
    SmallFile file;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return file;
    const auto size = fs::file_size(path, ec);
    if (ec) {
        file.status = SmallFile::Status::unreadable;
        return file;
    }
    if (size > limit) {
        file.status = SmallFile::Status::tooLarge;
        return file;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(limit + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        file.status = SmallFile::Status::unreadable;
        return file;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    // The file may have grown since its size was asked.
    file.status = bytes.size() > limit ? SmallFile::Status::tooLarge : SmallFile::Status::ok;
    if (file.status == SmallFile::Status::ok) file.bytes = std::move(bytes);
    return file;
}

std::vector<std::string> siblingEntries(const std::string& picturePath,
                                        const std::vector<std::string>& extensions) {
    const fs::path picture(picturePath);
    const std::string stem = picture.stem().string();
    fs::path folder = picture.parent_path();
    if (folder.empty()) folder = ".";
    std::vector<fs::path> candidates;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.stem().string() == stem && p != picture) candidates.push_back(p);
    }
    std::vector<std::string> found;
    for (const std::string& extension : extensions) {
        for (const fs::path& p : candidates) {
            if (lowerCase(p.extension().string()) == "." + extension) found.push_back(p.string());
        }
    }
    return found;
}

std::string sideFileProblem(const std::string& path) {
    namespace msg = common::msg;
    struct stat own {};
    if (::lstat(path.c_str(), &own) != 0) return std::string(msg::kSideFileUnreadable);
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        if (errno == ELOOP) return std::string(msg::kSideFileLinkLoop);
        if (S_ISLNK(own.st_mode) && errno == ENOENT) return std::string(msg::kSideFileDanglingLink);
        return std::string(msg::kSideFileUnreadable);
    }
    if (S_ISDIR(target.st_mode)) return std::string(msg::kSideFileFolder);
    if (S_ISFIFO(target.st_mode)) return std::string(msg::kSideFilePipe);
    if (!S_ISREG(target.st_mode)) return std::string(msg::kSideFileNotRegular);
    if (::access(path.c_str(), R_OK) != 0) return std::string(msg::kSideFileUnreadable);
    return {};
}

namespace {

std::string trimmed(const std::string& text) {
    std::size_t start = 0;
    // A byte order mark some editors write at the start.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) start = 3;
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    while (start < text.size() && blank(static_cast<unsigned char>(text[start]))) ++start;
    std::size_t end = text.size();
    while (end > start && blank(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(start, end - start);
}

struct OgrFree {
    void operator()(OGRSpatialReference* srs) const { srs->Release(); }
};

}  // namespace

std::optional<OGRSpatialReference> parseSystem(const std::string& text) {
    const std::string body = trimmed(text);
    if (body.empty() || body.find('\0') != std::string::npos) return std::nullopt;
    OGRSpatialReference srs;
    const char* const options[] = {"ALLOW_NETWORK_ACCESS=NO", "ALLOW_FILE_ACCESS=NO", nullptr};
    if (srs.SetFromUserInput(body.c_str(), options) != OGRERR_NONE || srs.IsEmpty()) {
        // An old-style ESRI .prj ("Projection UTM", "Zone 13", ...), one keyword a line.
        OGRSpatialReference esri;
        char** lines = CSLTokenizeString2(body.c_str(), "\r\n", 0);
        const OGRErr read = esri.importFromESRI(lines);
        CSLDestroy(lines);
        if (read != OGRERR_NONE || esri.IsEmpty()) return std::nullopt;
        srs = esri;
    }
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

bool placesMap(const OGRSpatialReference& srs) {
    return (srs.IsProjected() || srs.IsGeographic()) && !srs.IsCompound() && !srs.IsLocal();
}

std::string epsgCode(const OGRSpatialReference& srs) {
    if (!placesMap(srs)) return {};
    const char* key = srs.IsProjected() ? "PROJCS" : "GEOGCS";
    const auto codeOf = [key](const OGRSpatialReference& s) -> std::string {
        const char* authority = s.GetAuthorityName(key);
        const char* code = s.GetAuthorityCode(key);
        if (authority && code && std::string(authority) == "EPSG") return std::string("EPSG:") + code;
        return {};
    };
    if (std::string code = codeOf(srs); !code.empty()) return code;
    OGRSpatialReference identified(srs);
    if (identified.AutoIdentifyEPSG() == OGRERR_NONE) {
        if (std::string code = codeOf(identified); !code.empty()) return code;
    }
    // An ESRI .prj names its system its own way: ask PROJ's database for the EPSG system it equals.
    const std::unique_ptr<OGRSpatialReference, OgrFree> match(srs.FindBestMatch(90, "EPSG"));
    return match ? codeOf(*match) : std::string();
}

std::string wktOf(const OGRSpatialReference& srs) {
    for (const char* format : {"FORMAT=WKT2_2019", "FORMAT=WKT1"}) {
        char* wkt = nullptr;
        const char* const options[] = {format, "MULTILINE=NO", nullptr};
        const OGRErr written = srs.exportToWkt(&wkt, options);
        std::string text = (written == OGRERR_NONE && wkt) ? wkt : "";
        CPLFree(wkt);
        if (!text.empty()) return text;
    }
    return {};
}

OGRSpatialReference wgs84() {
    OGRSpatialReference srs;
    srs.SetWellKnownGeogCS("WGS84");
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

}  // namespace brelvo::geo::detail
