// The program's folder, found from the running executable, and the folder for the working files.
#include "common/program_folder.hpp"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace brelvo::common {

std::string programFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.has_parent_path()) return exe.parent_path().string();
    const auto here = std::filesystem::current_path(ec);
    return ec ? std::string(".") : here.string();
}

std::string workingFolder() {
    return workingFolderFor(programFolder(),
                            [](const std::string& folder) { return ::access(folder.c_str(), W_OK) == 0; });
}

std::string workingFolderFor(const std::string& program,
                             const std::function<bool(const std::string& folder)>& writable) {
    if (writable(program)) return program;
    std::filesystem::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') {
        data = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        data = std::filesystem::path(home) / ".local" / "share";
    } else {
        return program;  // nowhere better: writing will fail and say so
    }
    data /= "brelvo";
    std::error_code ec;
    std::filesystem::create_directories(data, ec);
    return data.string();
}

std::string workingHydrographFile() { return (std::filesystem::path(workingFolder()) / "Temp.GRF").string(); }

}  // namespace brelvo::common
