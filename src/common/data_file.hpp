// Reading a data file the user named, which may be anything: a missing file, a folder, a device such as
// /dev/zero or a pipe, or a file far larger than its kind ever is. Each is refused by name before a
// byte of it is read, so no reader hangs or fills the memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/failure.hpp"

namespace brelvo::common {

// Why a data file cannot be read: "File not found" or "Path/File access error", with a cause that names
// the file as given; nothing when it is a regular file.
[[nodiscard]] std::optional<RuntimeFailure> dataFileFailure(const std::string& path);

// The whole text of a regular file of at most maxBytes bytes. A missing file is "File not found", a
// path that is no regular file "Path/File access error", a larger file "Out of memory", each with a
// cause that names the file.
[[nodiscard]] std::string readDataFile(const std::string& path, std::uintmax_t maxBytes);

// The size limits of the program's data files, in bytes: far above any real one.
inline constexpr std::uintmax_t kMaxDataFileBytes = 16u << 20;     // storm, graph, storage, hydrograph
inline constexpr std::uintmax_t kMaxProjectFileBytes = 64u << 20;  // projects and the guide

}  // namespace brelvo::common
