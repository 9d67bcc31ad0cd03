// Saving a user's file through a temporary file beside it, flushed to disk and renamed over it only when
// complete, so a failed save never costs the user the file that was there. Every save of the program
// goes this one way.
#pragma once

#include <string>
#include <string_view>

#include "common/failure.hpp"

namespace brelvo::common {

// What a save does besides the always-kept permission bits, owner and group of a replaced file.
struct ReplaceOptions {
    // A replaced file keeps its last-access and last-modification times too.
    bool keepTimes = false;
    // A symbolic link to an existing file is written through: the link stays and the file it names is
    // replaced. Otherwise the link itself is replaced by the new file.
    bool followLinks = false;
    // An existing target that is not a regular file this user may write is refused before anything is
    // written, although the folder would allow the rename.
    bool refuseUnwritable = false;
};

// The step of a save that failed.
enum class ReplaceStep {
    target,  // the existing target is refused (ReplaceOptions::refuseUnwritable)
    folder,  // the target's folder is not a folder
    create,  // no temporary file can be made beside the target (or the name has no file part)
    write,   // the temporary file could not be written in full and flushed to disk
    rename,  // the temporary file could not take the target's name
};

// A failed save: pathNotFound() (76) when the folder is not there, pathFileAccessError() (75) for every
// other step, with the step for callers that tell the steps apart.
class ReplaceFailure : public RuntimeFailure {
  public:
    explicit ReplaceFailure(ReplaceStep step);
    ReplaceStep step() const noexcept { return step_; }

  private:
    ReplaceStep step_;
};

// Writes `bytes` as the file `target`. The temporary file is removed on any failure, and the file that
// was there is then left as it was. A new file gets the umask's permissions.
void replaceFile(const std::string& target, std::string_view bytes);
void replaceFile(const std::string& target, std::string_view bytes, const ReplaceOptions& options);

// Throws the ReplaceFailure (step target) that replaceFile would throw for this target, so that a caller
// can refuse it before any work of its own.
void checkReplaceable(const std::string& target, const ReplaceOptions& options);

}  // namespace brelvo::common
