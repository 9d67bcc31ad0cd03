// JPEG files from bitmap sections: TurboJPEG encodes in memory, the file goes in beside the target and
// is renamed over it, and an overwritten file gets its former times and permission bits back.
#include "mapview/jpeg_writer.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>
#include <tuple>
#include <utility>

namespace brelvo::mapview::mIntelJPEGLibrary {

namespace {

struct CompressorCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using Compressor = std::unique_ptr<void, CompressorCloser>;

struct JpegBufferFree {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

// The program's file name without extension names the module in its failures, as the user would see it.
std::string errorSource() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string program = ec || exe.stem().empty() ? std::string("brelvo") : exe.stem().string();
    return program + ".mIntelJPEGLibrary";
}

JpegFailure initFailure(int code) {
    return {errorSource(), "Failed to initialise the IJL library: " + std::to_string(code)};
}

JpegFailure writeFailure(int code) {
    return {errorSource(), "Failed to save to JPG " + std::to_string(code)};
}

// A link to an existing file is written through: the link stays and the file it names is replaced.
// Anything else, a dangling link included, is used as given.
std::filesystem::path resolveTarget(const std::string& name) {
    std::error_code ec;
    const std::filesystem::path given(name);
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(given, ec))) return given;
    const std::filesystem::path real = std::filesystem::canonical(given, ec);
    return ec ? given : real;
}

// The new file under a temporary name in the target's folder (a rename across file systems would not be
// atomic). It is removed on destruction unless it has been renamed into place.
class PendingFile {
  public:
    explicit PendingFile(const std::filesystem::path& target) {
        const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
        std::random_device seed;
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            path_ = folder / ("." + target.filename().string() + "." + std::to_string(seed()) + ".tmp");
            // Mode 0666 and not mkstemp's 0600: a new file then gets the user's umask and the folder's
            // default permissions, as any newly written file would.
            fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST) break;
        }
    }
    ~PendingFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!placed_) ::unlink(path_.c_str());
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    bool writeAll(const unsigned char* data, unsigned long size) {
        unsigned long done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd_, data + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<unsigned long>(n);
        }
        return true;
    }

    // Flushes to disk before the rename, so that after a crash the target holds either the old picture or
    // the whole new one. close() reports what a delayed write could not do.
    bool finish() {
        const bool synced = ::fsync(fd_) == 0;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return synced && closed;
    }

    bool placeAt(const std::filesystem::path& target) {
        placed_ = ::rename(path_.c_str(), target.c_str()) == 0;
        return placed_;
    }

  private:
    std::filesystem::path path_;
    int fd_ = -1;
    bool placed_ = false;
};

// Gives the new file the old one's owner, group and permission bits, as far as this user may. The owner
// goes first because changing it clears the set-user and set-group bits. Failures are let pass: the
// picture is written either way, and a file system without owners or modes cannot take them.
void keepOwnerAndMode(int fd, const struct stat& old) {
    struct stat now {};
    if (::fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Not the owner's to give away; the group alone may still be allowed.
        std::ignore = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    ::fchmod(fd, old.st_mode & 07777);
}

// Linux lets a program set a file's last-access and last-modification times, to the nanosecond; those two
// are kept. It cannot set the status-change time, which the kernel stamps at every change of a file's data
// or attributes (this rename included), nor the birth time, which belongs to the new file's inode: an
// overwritten file's creation time is therefore the time of the overwrite. Called after the last write,
// which would otherwise stamp the modification time again.
void keepTimes(int fd, const struct stat& old) {
    const struct timespec times[2] = {old.st_atim, old.st_mtim};
    ::futimens(fd, times);
}

}  // namespace

JpegFailure::JpegFailure(std::string source, std::string description)
    : common::RuntimeFailure(kJpegErrorNumber, std::move(description)), source_(std::move(source)) {}

bool WriteJpegFile(const cDIBSection& cDib, const std::string& sFile, std::int32_t lQuality) {
    const Compressor compressor(tjInitCompress());
    if (!compressor) throw initFailure(kEncoderFailed);

    // The target as it is before anything is written.
    const std::filesystem::path target = resolveTarget(sFile);
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    // A folder, or a file this user may not write, is not replaced: the rename would manage it where the
    // folder allows, but the file's own permissions say it is not to be overwritten.
    if (existed && (!S_ISREG(old.st_mode) || ::access(target.c_str(), W_OK) != 0)) {
        throw common::pathFileAccessError();
    }

    // The section's rows run bottom-up in memory; the flag makes the JPEG upright. Full-resolution colour
    // (4:4:4) keeps the thin coloured lines of a measurement in their colour; 4:2:0 would smear them.
    unsigned char* encoded = nullptr;
    unsigned long encodedSize = 0;
    const int result =
        tjCompress2(compressor.get(), cDib.DIBSectionBitsPtr(), cDib.Width(), cDib.BytesPerScanLine(),
                    cDib.Height(), TJPF_BGR, &encoded, &encodedSize, TJSAMP_444, lQuality, TJFLAG_BOTTOMUP);
    const std::unique_ptr<unsigned char, JpegBufferFree> jpeg(encoded);
    if (result != 0 || jpeg == nullptr) throw writeFailure(kEncoderFailed);

    PendingFile file(target);
    if (!file.isOpen()) throw writeFailure(kFileCreateFailed);
    if (!file.writeAll(jpeg.get(), encodedSize)) throw writeFailure(kFileWriteFailed);
    if (existed) {
        keepOwnerAndMode(file.fd(), old);
        keepTimes(file.fd(), old);
    }
    if (!file.finish()) throw writeFailure(kFileWriteFailed);
    if (!file.placeAt(target)) throw writeFailure(kFileReplaceFailed);
    return true;
}

}  // namespace brelvo::mapview::mIntelJPEGLibrary
