// Parts of the program that need a large library (drawing charts, printing, reading Windows metafiles)
// live in plugins that are loaded the first time they are needed, so that starting the program loads
// none of those libraries.
#pragma once

#include <string>
#include <vector>

namespace brelvo::common {

// Where the plugin `file` is looked for, in order: beside the program (the program's folder
// `programFolder`), then in the library folder of an installed program (`libDirFromBin`: that folder
// relative to the program's folder; none when empty).
std::vector<std::string> pluginCandidatesFor(const std::string& file, const std::string& programFolder,
                                             const std::string& libDirFromBin);

// The address of the function `entry` in the first of `candidates` that loads and exports it, or
// nullptr. A plugin that loads stays loaded for the rest of the run: what it made lives in its code.
void* loadPluginEntryFrom(const std::vector<std::string>& candidates, const char* entry);

// The same for the running program's own plugin `file`, looked for beside it and in its installed
// library folder.
void* loadPluginEntry(const std::string& file, const char* entry);

}  // namespace brelvo::common
