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
    // An installed program never writes beside itself, even when run by root.
    return workingFolderFor(programFolder(), [](const std::string& folder) {
        return installedDataFolderFor(folder).empty() && ::access(folder.c_str(), W_OK) == 0;
    });
}

std::string userDataFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') {
        return (std::filesystem::path(xdg) / "brelvo").string();
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return (std::filesystem::path(home) / ".local" / "share" / "brelvo").string();
    }
    return {};
}

std::string installedDataFolderFor(const std::string& program) {
    std::error_code ec;
    const auto data = (std::filesystem::path(program) / BRELVO_INSTALLED_DATA_RELATIVE).lexically_normal();
    return std::filesystem::is_directory(data, ec) ? data.string() : std::string();
}

std::string installedDataFolder() {
    return installedDataFolderFor(programFolder());
}

std::vector<std::string> dataSearchFoldersFor(const std::string& first, const std::string& program) {
    std::vector<std::string> folders;
    for (const std::string& folder : {first, program, userDataFolder(), installedDataFolderFor(program)}) {
        if (folder.empty()) continue;
        bool seen = false;
        for (const std::string& f : folders) {
            if (std::filesystem::path(f).lexically_normal() ==
                std::filesystem::path(folder).lexically_normal())
                seen = true;
        }
        if (!seen) folders.push_back(folder);
    }
    return folders;
}

std::string findDataFile(const std::string& name, const std::string& first) {
    std::error_code ec;
    for (const std::string& folder : dataSearchFoldersFor(first, programFolder())) {
        const auto path = std::filesystem::path(folder) / name;
        if (std::filesystem::is_regular_file(path, ec)) return path.string();
    }
    return (std::filesystem::path(first) / name).string();
}

std::string dialogFolder() {
    return installedDataFolder().empty() ? programFolder() : workingFolder();
}

std::string workingFolderFor(const std::string& program,
                             const std::function<bool(const std::string& folder)>& writable) {
    if (writable(program)) return program;
    const std::filesystem::path data = userDataFolder();
    if (data.empty()) return program;  // nowhere better: writing will fail and say so
    std::error_code ec;
    std::filesystem::create_directories(data, ec);
    return data.string();
}

std::string workingHydrographFile() {
    return (std::filesystem::path(workingFolder()) / "Temp.GRF").string();
}

std::string fullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(path), error);
    return error ? path : full.lexically_normal().string();
}

}  // namespace brelvo::common
