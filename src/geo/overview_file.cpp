// Overviews beside a raster: GDAL writes external overviews (FILE.ovr) for a raster opened read-only, so the
// raster is opened read-only through a symbolic link of a temporary name beside it. GDAL then writes
// .NAME.PID.overviews.ovr, which is flushed to disk and renamed to NAME.ovr only when every level is
// written without a failure. The user's file is never opened for writing, and a full disk, a folder that
// may not be written or a cancel leaves the folder as it was.
#include "geo/overview_file.hpp"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <fcntl.h>
#include <gdal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "common/file_replace.hpp"
#include "common/messages.hpp"

namespace brelvo::geo::detail {

namespace {

namespace fs = std::filesystem;
namespace msg = common::msg;

// GDAL's first failure on this thread while one of these lives, with the system's error number at that
// moment (a write refused for a full disk leaves ENOSPC there); nothing reaches the console.
class FailureRecorder {
  public:
    FailureRecorder() {
        CPLPushErrorHandlerEx(&record, this);
        CPLErrorReset();
    }
    ~FailureRecorder() { CPLPopErrorHandler(); }
    FailureRecorder(const FailureRecorder&) = delete;
    FailureRecorder& operator=(const FailureRecorder&) = delete;

    bool failed() const { return failed_; }
    int systemError() const { return systemError_; }
    const std::string& text() const { return text_; }

  private:
    static void CPL_STDCALL record(CPLErr level, CPLErrorNum, const char* text) {
        // Only a write's own errors are taken from errno: any other number there may be left from an
        // earlier call that failed harmlessly (a side file looked for and not found).
        const int systemError =
            errno == ENOSPC || errno == EDQUOT || errno == EFBIG || errno == EROFS ? errno : 0;
        auto* self = static_cast<FailureRecorder*>(CPLGetErrorHandlerUserData());
        if (self == nullptr || level < CE_Failure || self->failed_) return;
        self->failed_ = true;
        self->systemError_ = systemError;
        self->text_ = text != nullptr ? text : "";
    }

    bool failed_ = false;
    int systemError_ = 0;
    std::string text_;
};

// A configuration option set for this thread while alive, the previous value put back after.
class ThreadOption {
  public:
    ThreadOption(const char* key, const char* value)
        : key_(key), previous_(CPLGetThreadLocalConfigOption(key, "")) {
        CPLSetThreadLocalConfigOption(key, value);
    }
    ~ThreadOption() { CPLSetThreadLocalConfigOption(key_, previous_.empty() ? nullptr : previous_.c_str()); }
    ThreadOption(const ThreadOption&) = delete;
    ThreadOption& operator=(const ThreadOption&) = delete;

  private:
    const char* key_;
    std::string previous_;
};

// Progress as GDAL reports it, handed to the caller's callback; false from it cancels the work. GDAL does
// not stop at every report, so the cancel is remembered: a cancelled build fails however far it got.
struct ProgressRelay {
    const Progress& progress;
    bool cancelled = false;
};

int progressThunk(double fraction, const char*, void* data) {
    auto* relay = static_cast<ProgressRelay*>(data);
    if (!relay->cancelled && relay->progress && !relay->progress(std::clamp(fraction, 0.0, 1.0)))
        relay->cancelled = true;
    return relay->cancelled ? FALSE : TRUE;
}

// The reason in the user's words of a system error number, as a failed save says it.
std::string reasonOf(int systemError) {
    return common::ReplaceFailure(common::ReplaceStep::write, systemError).reason();
}

// Removes a file or link of this name; true when nothing is left by it.
bool removeEntry(const fs::path& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

// The temporary link and the overview file GDAL writes for it, removed unless the file was renamed.
struct PendingOverviews {
    fs::path link;
    fs::path file;
    bool placed = false;
    ~PendingOverviews() {
        removeEntry(link);
        if (!placed) removeEntry(file);
    }
};

// Flushes the written file to disk before the rename, so that after a crash the .ovr is whole or absent.
bool flushToDisk(const fs::path& path, int& systemError) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        systemError = errno;
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    if (!synced) systemError = errno;
    ::close(fd);
    return synced;
}

}  // namespace

std::vector<int> overviewFactors(int width, int height) {
    std::vector<int> factors;
    for (int factor = 2; factors.empty() || std::max(width, height) / factors.back() > 256; factor *= 2) {
        factors.push_back(factor);
        if (factor > (1 << 20)) break;
    }
    return factors;
}

bool buildOverviewFile(const std::string& path, const std::vector<int>& factors, const Progress& progress,
                       std::string& error) {
    const fs::path raster(path);
    const std::string name = raster.filename().string();
    const fs::path folder = raster.parent_path().empty() ? fs::path(".") : raster.parent_path();
    const fs::path target = folder / (name + ".ovr");
    const std::string targetName = target.filename().string();
    const auto refuse = [&](const std::string& reason) {
        error = msg::overviewFileNotWritten(targetName, reason);
        return false;
    };
    // A folder or a read-only file where the overviews go stops the work before it starts.
    try {
        common::checkReplaceable(target.string());
    } catch (const common::ReplaceFailure& failure) {
        return refuse(failure.reason());
    }

    PendingOverviews pending;
    const std::string temporary = "." + name + "." + std::to_string(::getpid()) + ".overviews";
    pending.link = folder / temporary;
    pending.file = folder / (temporary + ".ovr");
    // What a build of this process that was cut short left is taken away first.
    if (!removeEntry(pending.link) || !removeEntry(pending.file))
        return refuse(std::string(msg::kSaveTemporaryInTheWay));
    if (::symlink(name.c_str(), pending.link.c_str()) != 0) return refuse(reasonOf(errno));

    CPLErr result = CE_Failure;
    int levels = 0;
    ProgressRelay relay{progress};
    FailureRecorder failure;
    {
        // No .aux.xml beside the temporary name; the levels compressed, as most maps are.
        const ThreadOption pam("GDAL_PAM_ENABLED", "NO");
        const ThreadOption compress("COMPRESS_OVERVIEW", "DEFLATE");
        GDALDatasetH dataset =
            GDALOpenEx(pending.link.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
        if (dataset == nullptr) return refuse(std::string(msg::kRasterReopenFailed));
        result = GDALBuildOverviews(dataset, "AVERAGE", static_cast<int>(factors.size()),
                                    const_cast<int*>(factors.data()), 0, nullptr, progressThunk, &relay);
        levels = GDALGetOverviewCount(GDALGetRasterBand(dataset, 1));
        // The last blocks are written here: a full disk may show only now.
        GDALClose(dataset);
    }
    if (relay.cancelled) {
        error = msg::kOverviewsCancelled;
        return false;
    }
    if (result != CE_None || failure.failed() || levels < static_cast<int>(factors.size())) {
        if (failure.systemError() != 0) return refuse(reasonOf(failure.systemError()));
        return refuse(failure.text().empty() ? std::string(msg::kOverviewsFailed) : failure.text());
    }
    int systemError = 0;
    if (!flushToDisk(pending.file, systemError)) return refuse(reasonOf(systemError));
    if (::rename(pending.file.c_str(), target.c_str()) != 0) return refuse(reasonOf(errno));
    pending.placed = true;
    return true;
}

}  // namespace brelvo::geo::detail
