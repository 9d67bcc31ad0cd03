// Saving through a temporary file and a rename.
#include "common/file_replace.hpp"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/failure.hpp"

namespace brelvo::common {

void replaceFile(const std::string& targetName, std::string_view bytes) {
    namespace fs = std::filesystem;
    const fs::path target(targetName);
    if (!target.has_filename()) throw pathFileAccessError();
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) throw pathNotFound();

    const fs::path temporary = folder / ("." + target.filename().string() + ".saving");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) throw pathFileAccessError();
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(temporary, ec);
            throw pathFileAccessError();
        }
    }
    // A replaced file keeps its permissions.
    const fs::file_status old = fs::status(target, ec);
    if (!ec && fs::exists(old)) fs::permissions(temporary, old.permissions(), ec);
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw pathFileAccessError();
    }
}

}  // namespace brelvo::common
