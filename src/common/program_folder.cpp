// The program's folder, found from the running executable.
#include "common/program_folder.hpp"

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

}  // namespace brelvo::common
