// Decoding a map picture file on worker threads while the window stays responsive: an eighth-size
// preview of a JPEG first, the progress of the whole picture, a cancel that stops it within a band of
// rows; and building the picture's smaller copies after it shows. Everything it reports arrives on the
// window's thread.
#pragma once

#include <QImage>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace brelvo::app {

class PictureLoader {
  public:
    struct Outcome {
        QImage picture;     // null when the file could not be decoded
        std::string error;  // the failure's whole text then
    };
    struct Hooks {
        std::function<void(QImage)> preview;  // the eighth-size copy (JPEGs only), before the picture
        // The eighth-size copy's rows decoded so far (its top, a band at a time), and its whole size.
        std::function<void(QImage top, QSize whole)> previewBand;
        std::function<void(int)> progress;  // percent of the rows decoded
        std::function<void(Outcome)> done;
    };

    // `context` is the window: what the workers report is delivered on its thread, and never after it
    // is gone.
    explicit PictureLoader(QObject& context);
    ~PictureLoader();  // cancels and waits for the workers
    PictureLoader(const PictureLoader&) = delete;
    PictureLoader& operator=(const PictureLoader&) = delete;

    // Decodes `path` (one job at a time: a running one is cancelled). A JPEG the direct reader takes
    // gets its preview on one thread while the whole picture decodes on another; any other picture is
    // read as readPictureFile reads it.
    void load(const std::string& path, Hooks hooks);
    // The smaller copies of `picture` (PictureRenderer::pyramidOf), built on a worker thread.
    void buildPyramid(QImage picture, std::function<void(std::vector<QImage>)> done);
    // Stops the running job and drops what it would still report.
    void cancel();
    // Waits for the running job and delivers its outcome now, without the event loop.
    void finishNow();
    bool busy() const { return busy_; }

  private:
    // What a job sends to the window's thread while it runs (dropped once the job has ended).
    using Report = std::function<void(std::function<void()>)>;
    // Starts `work` on the worker thread; what it returns is called on the window's thread as its end.
    void start(std::function<std::function<void()>(const std::atomic<bool>&, const Report&)> work);
    void deliverResult(unsigned generation);

    QObject& context_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    unsigned generation_ = 0;  // the job running now (window's thread only)
    bool busy_ = false;
    std::mutex resultMutex_;
    std::function<void()> result_;  // the finished job's delivery, set by the worker
};

}  // namespace brelvo::app
