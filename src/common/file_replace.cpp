// Saving through a temporary file, fsync and a rename.
#include "common/file_replace.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <tuple>

#include "common/messages.hpp"

namespace brelvo::common {

namespace {

namespace fs = std::filesystem;

// Symbolic links are followed to the file they name, as an editor writes through them; a chain longer than
// the system's own limit is refused as the system refuses it.
constexpr int kMaxLinks = 40;

fs::path resolveTarget(const std::string& name) {
    fs::path path(name);
    for (int hops = 0;; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
        if (hops == kMaxLinks) throw ReplaceFailure(ReplaceStep::target, ELOOP);
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) throw ReplaceFailure(ReplaceStep::target, ec.value());
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
}

// An existing target must be a regular file that may be written. The permission bits are read as well as
// asked about: root may write anything, but a file without any write bit is meant to stay as it is, and a
// rename would replace it without a word.
void checkTarget(const fs::path& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0) return;  // nothing there yet
    if (S_ISDIR(old.st_mode)) throw ReplaceFailure(ReplaceStep::target, EISDIR);
    if (!S_ISREG(old.st_mode)) throw ReplaceFailure(ReplaceStep::target);
    if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) throw ReplaceFailure(ReplaceStep::readOnly);
    if (::access(target.c_str(), W_OK) != 0) throw ReplaceFailure(ReplaceStep::readOnly, errno);
}

// This process's saves so far: the last part of a temporary file's number.
std::atomic<std::uint64_t> savesStarted{0};

std::string temporaryName(const std::string& fileName, std::uint64_t save) {
    return "." + fileName + "." + std::to_string(::getpid()) + "." + std::to_string(::gettid()) + "." +
           std::to_string(save) + ".saving";
}

// The new file under a temporary name in the target's folder (a rename across file systems would not be
// atomic). It is removed on destruction unless it has been renamed into place.
class PendingFile {
  public:
    PendingFile(const fs::path& folder, const fs::path& target)
        : path_(folder / temporaryName(target.filename().string(), ++savesStarted)) {
        // The name carries the process, the thread and the save's number, so that no two saves at once,
        // by two programs or by two threads of one, ever take each other's temporary file, also of the
        // same target. A file by that name can only be left by an earlier process of the same number
        // whose save was cut short: it is taken away first; anything else by that name (a folder) stops
        // the save. Mode 0666 and not mkstemp's 0600: a new file then gets the user's umask and the
        // folder's default permissions, as any newly written file would.
        if (::unlink(path_.c_str()) != 0 && errno != ENOENT) {
            error_ = errno == EISDIR ? EEXIST : errno;  // something that is no file is in the way
            return;
        }
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        created_ = fd_ >= 0;
        if (!created_) error_ = errno;
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
            if (n <= 0) {
                error_ = n < 0 ? errno : EIO;
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // Flushes to disk before the rename, so that after a crash the target holds either the old file or
    // the whole new one. close() reports what a delayed write could not do.
    bool finish() {
        const bool synced = ::fsync(fd_) == 0;
        if (!synced) error_ = errno;
        const bool closed = ::close(fd_) == 0;
        if (!closed && synced) error_ = errno;
        fd_ = -1;
        return synced && closed;
    }

    bool placeAt(const fs::path& target) {
        placed_ = ::rename(path_.c_str(), target.c_str()) == 0;
        if (!placed_) error_ = errno;
        return placed_;
    }

    // The system's error number of the last step that failed.
    int error() const { return error_; }

  private:
    fs::path path_;
    int fd_ = -1;
    bool created_ = false;
    bool placed_ = false;
    int error_ = 0;
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

// What the system's error number of a failed step means for the user.
std::string_view reasonOf(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return msg::kSaveDiskFull;
        case EROFS:
            return msg::kSaveReadOnlyFileSystem;
        case EACCES:
        case EPERM:
            return msg::kSaveNoRightInFolder;
        case EFBIG:
            return msg::kSaveTooLarge;
        case ENAMETOOLONG:
            return msg::kSaveNameTooLong;
        case EISDIR:
            return msg::kSaveIsFolder;
        case ENOENT:
        case ENOTDIR:
            return msg::kSaveNoFolder;
        case ELOOP:
            return msg::kSaveTooManyLinks;
        default:
            return {};
    }
}

}  // namespace

ReplaceFailure::ReplaceFailure(ReplaceStep step, int error)
    : RuntimeFailure(failureFor(step)), step_(step), error_(error) {}

std::string ReplaceFailure::reason() const {
    switch (step_) {
        case ReplaceStep::readOnly:
            return std::string(error_ == EROFS ? msg::kSaveReadOnlyFileSystem : msg::kSaveReadOnly);
        case ReplaceStep::folder:
            return std::string(msg::kSaveNoFolder);
        case ReplaceStep::target:
            if (error_ == 0) return std::string(msg::kSaveNotAFile);
            break;
        case ReplaceStep::create:
            if (error_ == EEXIST) return std::string(msg::kSaveTemporaryInTheWay);
            break;
        default:
            break;
    }
    const std::string_view known = reasonOf(error_);
    return known.empty() ? msg::saveSystemError(error_) : std::string(known);
}

std::string failureReason(const RuntimeFailure& failure) {
    if (const auto* replace = dynamic_cast<const ReplaceFailure*>(&failure)) return replace->reason();
    return failure.cause().empty() ? failure.description() : failure.cause();
}

std::string nextTemporaryName(const std::string& fileName) {
    return temporaryName(fileName, savesStarted + 1);
}

std::string saveTarget(const std::string& name) {
    return resolveTarget(name).string();
}

void checkReplaceable(const std::string& target) {
    checkTarget(resolveTarget(target));
}

void replaceFile(const std::string& target, std::string_view bytes) {
    replaceFile(target, bytes, ReplaceOptions{});
}

void replaceFile(const std::string& targetName, std::string_view bytes, const ReplaceOptions& options) {
    const fs::path target = resolveTarget(targetName);
    checkTarget(target);
    if (!target.has_filename()) throw ReplaceFailure(ReplaceStep::create, EISDIR);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) throw ReplaceFailure(ReplaceStep::folder, ENOENT);

    // The target as it is before anything is written.
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;

    PendingFile file(folder, target);
    if (!file.isOpen()) throw ReplaceFailure(ReplaceStep::create, file.error());
    if (!file.writeAll(bytes)) throw ReplaceFailure(ReplaceStep::write, file.error());
    if (existed) {
        keepOwnerAndMode(file.fd(), old);
        if (options.keepTimes) keepTimes(file.fd(), old);
    }
    if (!file.finish()) throw ReplaceFailure(ReplaceStep::write, file.error());
    if (!file.placeAt(target)) throw ReplaceFailure(ReplaceStep::rename, file.error());
}

}  // namespace brelvo::common
