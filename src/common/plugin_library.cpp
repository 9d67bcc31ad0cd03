// Finding and loading a plugin with the system's dynamic loader.
#include "common/plugin_library.hpp"

#include <dlfcn.h>
#include <sys/stat.h>

#include "common/program_folder.hpp"

namespace brelvo::common {

namespace {

bool isFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::vector<std::string> pluginCandidatesFor(const std::string& file, const std::string& programFolder,
                                             const std::string& libDirFromBin) {
    std::vector<std::string> candidates{programFolder + "/" + file};
    if (!libDirFromBin.empty()) candidates.push_back(programFolder + "/" + libDirFromBin + "/" + file);
    return candidates;
}

void* loadPluginEntryFrom(const std::vector<std::string>& candidates, const char* entry) {
    for (const std::string& path : candidates) {
        if (!isFile(path)) continue;
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) continue;
        if (void* address = dlsym(library, entry)) return address;
        dlclose(library);
    }
    return nullptr;
}

void* loadPluginEntry(const std::string& file, const char* entry) {
#ifdef BRELVO_PLUGIN_DIR_FROM_BIN
    const std::string libDir = BRELVO_PLUGIN_DIR_FROM_BIN;
#else
    const std::string libDir;
#endif
    return loadPluginEntryFrom(pluginCandidatesFor(file, programFolder(), libDir), entry);
}

}  // namespace brelvo::common
