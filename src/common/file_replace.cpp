// Saving through a temporary file, fsync and a rename.
#include "common/file_replace.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <tuple>

namespace brelvo::common {

namespace {

namespace fs = std::filesystem;

// With followLinks, a link to an existing file stands for that file. Anything else, a dangling link
// included, is used as given.
fs::path resolveTarget(const std::string& name, const ReplaceOptions& options) {
    const fs::path given(name);
    if (!options.followLinks) return given;
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(given, ec))) return given;
    const fs::path real = fs::canonical(given, ec);
    return ec ? given : real;
}

void checkTarget(const fs::path& target, const ReplaceOptions& options) {
    if (!options.refuseUnwritable) return;
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0) return;  // nothing there yet
    if (!S_ISREG(old.st_mode) || ::access(target.c_str(), W_OK) != 0)
        throw ReplaceFailure(ReplaceStep::target);
}

// The new file under a temporary name in the target's folder (a rename across file systems would not be
// atomic). It is removed on destruction unless it has been renamed into place.
class PendingFile {
  public:
    PendingFile(const fs::path& folder, const fs::path& target)
        : path_(folder / ("." + target.filename().string() + ".saving")) {
        // A temporary file left by a save that was cut short is taken away first; anything else by that
        // name (a folder) stops the save. Mode 0666 and not mkstemp's 0600: a new file then gets the
        // user's umask and the folder's default permissions, as any newly written file would.
        if (::unlink(path_.c_str()) != 0 && errno != ENOENT) return;
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        created_ = fd_ >= 0;
    }
    ~PendingFile() {
        if (fd_ >= 0) ::close(fd_);
        if (created_ && !placed_) ::unlink(path_.c_str());
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    bool writeAll(std::string_view bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // Flushes to disk before the rename, so that after a crash the target holds either the old file or
    // the whole new one. close() reports what a delayed write could not do.
    bool finish() {
        const bool synced = ::fsync(fd_) == 0;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return synced && closed;
    }

    bool placeAt(const fs::path& target) {
        placed_ = ::rename(path_.c_str(), target.c_str()) == 0;
        return placed_;
    }

  private:
    fs::path path_;
    int fd_ = -1;
    bool created_ = false;
    bool placed_ = false;
};

// Gives the new file the old one's owner, group and permission bits, as far as this user may. The owner
// goes first because changing it clears the set-user and set-group bits. Failures are let pass: the file
// is written either way, and a file system without owners or modes cannot take them.
void keepOwnerAndMode(int fd, const struct stat& old) {
    struct stat now {};
    if (::fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Not the owner's to give away; the group alone may still be allowed.
        std::ignore = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    std::ignore = ::fchmod(fd, old.st_mode & 07777);
}

// Linux lets a program set a file's last-access and last-modification times, to the nanosecond; those two
// are kept. It cannot set the status-change time, which the kernel stamps at every change of a file's data
// or attributes (this rename included), nor the birth time, which belongs to the new file's inode: an
// overwritten file's creation time is therefore the time of the overwrite. Called after the last write,
// which would otherwise stamp the modification time again.
void keepTimes(int fd, const struct stat& old) {
    const struct timespec times[2] = {old.st_atim, old.st_mtim};
    std::ignore = ::futimens(fd, times);
}

RuntimeFailure failureFor(ReplaceStep step) {
    return step == ReplaceStep::folder ? pathNotFound() : pathFileAccessError();
}

}  // namespace

ReplaceFailure::ReplaceFailure(ReplaceStep step)
    : RuntimeFailure(failureFor(step).number(), failureFor(step).description()), step_(step) {}

void checkReplaceable(const std::string& target, const ReplaceOptions& options) {
    checkTarget(resolveTarget(target, options), options);
}

void replaceFile(const std::string& target, std::string_view bytes) {
    replaceFile(target, bytes, ReplaceOptions{});
}

void replaceFile(const std::string& targetName, std::string_view bytes, const ReplaceOptions& options) {
    const fs::path target = resolveTarget(targetName, options);
    checkTarget(target, options);
    if (!target.has_filename()) throw ReplaceFailure(ReplaceStep::create);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) throw ReplaceFailure(ReplaceStep::folder);

    // The target as it is before anything is written.
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;

    PendingFile file(folder, target);
    if (!file.isOpen()) throw ReplaceFailure(ReplaceStep::create);
    if (!file.writeAll(bytes)) throw ReplaceFailure(ReplaceStep::write);
    if (existed) {
        keepOwnerAndMode(file.fd(), old);
        if (options.keepTimes) keepTimes(file.fd(), old);
    }
    if (!file.finish()) throw ReplaceFailure(ReplaceStep::write);
    if (!file.placeAt(target)) throw ReplaceFailure(ReplaceStep::rename);
}

}  // namespace brelvo::common
