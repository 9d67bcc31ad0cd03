// Saving a user's file through a temporary file beside it, flushed to disk and renamed over it only when
// complete, so a failed save never costs the user the file that was there. Every save of the program
// goes this one way: a symbolic link is written through to the file it names (the link stays, as an
// editor keeps it), and a file the user may not write is refused before anything is written.
#pragma once

#include <string>
#include <string_view>

#include "common/failure.hpp"

namespace brelvo::common {

// What a save does besides the always-kept permission bits, owner and group of a replaced file.
struct ReplaceOptions {
    // A replaced file keeps its last-access and last-modification times too.
    bool keepTimes = false;
};

// The step of a save that failed.
enum class ReplaceStep {
    target,    // the existing target is not a regular file (a folder, a device)
    readOnly,  // the existing target is read-only: no write permission bit, or not this user's to write
    folder,    // the target's folder is not a folder
    create,    // no temporary file can be made beside the target (or the name has no file part)
    write,     // the temporary file could not be written in full and flushed to disk
    rename,    // the temporary file could not take the target's name
};

// A failed save: pathNotFound() when the folder is not there, pathFileAccessError() for every
// other step, with the step and the system's error number for callers that tell the causes apart.
class ReplaceFailure : public RuntimeFailure {
  public:
    explicit ReplaceFailure(ReplaceStep step, int error = 0);
    ReplaceStep step() const noexcept { return step_; }
    // The system's error number of the step that failed (ENOSPC for a full disk); 0 when none applies.
    int error() const noexcept { return error_; }
    // Why the file was not saved, in the user's words ("the file is read-only", "the disk is full").
    std::string reason() const;

  private:
    ReplaceStep step_;
    int error_;
};

// Why a save failed, for a message that names the file: a ReplaceFailure's reason, else the failure's
// cause when it has one, else its description.
std::string failureReason(const RuntimeFailure& failure);

// Writes `bytes` as the file `target`. The temporary file is removed on any failure, and the file that
// was there is then left as it was. A new file gets the umask's permissions.
void replaceFile(const std::string& target, std::string_view bytes);
void replaceFile(const std::string& target, std::string_view bytes, const ReplaceOptions& options);

// Throws the ReplaceFailure that replaceFile would throw for an existing target before writing anything (a
// read-only file, a folder), so that a caller can refuse it before any work of its own.
void checkReplaceable(const std::string& target);

// The name of the temporary file that the next save on this thread of a file named `fileName` (no folder)
// makes beside it, when no other thread saves meanwhile: ".NAME.PID.TID.N.saving", N counting the saves
// of this process. For a test that puts something in its way.
std::string nextTemporaryName(const std::string& fileName);

// The file a save of `name` writes: a symbolic link (also one whose file is not there yet) followed to the
// file it names, link after link; any other name as given.
std::string saveTarget(const std::string& name);

}  // namespace brelvo::common
