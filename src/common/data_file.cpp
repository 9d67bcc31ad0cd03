// Refusing data files that are not regular files, or are too large, before reading them.
#include "common/data_file.hpp"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/failure.hpp"
#include "common/messages.hpp"

namespace brelvo::common {

namespace fs = std::filesystem;

namespace {

std::string sizeText(std::uintmax_t bytes) {
    return std::to_string(bytes >> 20) + " MiB";
}

}  // namespace

std::optional<RuntimeFailure> dataFileFailure(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) return fileNotFound().because(msg::noSuchFile(path));
    if (!fs::is_regular_file(status)) return pathFileAccessError().because(msg::notARegularFile(path));
    return std::nullopt;
}

std::string readDataFile(const std::string& path, std::uintmax_t maxBytes) {
    if (std::optional<RuntimeFailure> failure = dataFileFailure(path)) throw std::move(*failure);
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) throw pathFileAccessError().because(msg::notARegularFile(path));
    if (size > maxBytes) throw outOfMemory().because(msg::fileTooLarge(path, sizeText(maxBytes)));
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) throw pathFileAccessError().because(msg::fileUnreadable(path));
    // No more than the size taken is read: a file that grows meanwhile is still bounded.
    std::string text(static_cast<std::size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(size));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw pathFileAccessError().because(msg::fileUnreadable(path));
    return text;
}

}  // namespace brelvo::common
