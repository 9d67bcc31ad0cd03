// The map picture's background decoding and the building of its smaller copies.
#include "app/picture_loader.hpp"

#include <QMetaObject>
#include <utility>

#include "common/failure.hpp"
#include "mapview/jpeg_reader.hpp"
#include "mapview/picture_file.hpp"
#include "mapview/picture_renderer.hpp"

namespace brelvo::app {

PictureLoader::PictureLoader(QObject& context) : context_(context) {}

PictureLoader::~PictureLoader() {
    cancel();
}

void PictureLoader::start(
    std::function<std::function<void()>(const std::atomic<bool>&, const Report&)> work) {
    cancel();
    cancel_ = false;
    busy_ = true;
    const unsigned generation = ++generation_;
    worker_ = std::thread([this, generation, work = std::move(work)] {
        const Report report = [this, generation](std::function<void()> what) {
            QMetaObject::invokeMethod(
                &context_,
                [this, generation, what = std::move(what)] {
                    if (generation == generation_ && busy_) what();
                },
                Qt::QueuedConnection);
        };
        std::function<void()> end = work(cancel_, report);
        {
            const std::lock_guard<std::mutex> lock(resultMutex_);
            result_ = std::move(end);
        }
        QMetaObject::invokeMethod(
            &context_, [this, generation] { deliverResult(generation); }, Qt::QueuedConnection);
    });
}

void PictureLoader::deliverResult(unsigned generation) {
    if (generation != generation_ || !busy_) return;
    finishNow();
}

void PictureLoader::finishNow() {
    if (!busy_) return;
    if (worker_.joinable()) worker_.join();
    std::function<void()> end;
    {
        const std::lock_guard<std::mutex> lock(resultMutex_);
        end = std::move(result_);
        result_ = nullptr;
    }
    busy_ = false;
    ++generation_;  // what the job reported and is still queued is dropped
    if (end) end();
}

void PictureLoader::cancel() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
    const std::lock_guard<std::mutex> lock(resultMutex_);
    result_ = nullptr;
    busy_ = false;
    ++generation_;
}

void PictureLoader::load(const std::string& path, Hooks hooks) {
    start([path, hooks = std::move(hooks)](const std::atomic<bool>& cancel,
                                           const Report& report) -> std::function<void()> {
        Outcome outcome;
        const auto limit = static_cast<long long>(mapview::kPictureAllocationLimitMiB) << 20;
        if (const auto jpeg = mapview::JpegFile::open(path, limit)) {
            // The preview decodes beside the whole picture: it needs only each block's average colour,
            // so it is on the screen long before the picture.
            std::thread previewer;
            if (hooks.preview) {
                previewer = std::thread([&] {
                    // Its top is shown twice before the whole, at a sixth and at half of its rows: a
                    // large file's eighth still takes a quarter second to read through, the whole
                    // compressed stream being decoded for it. (Each band shown costs the decoding a
                    // copy and a repaint, so there are no more.)
                    int bands = 0;
                    const auto band = [&](const QImage& image, int rows) {
                        const int next = bands == 0 ? std::max(8, image.height() / 6) : image.height() / 2;
                        if (!hooks.previewBand || bands == 2 || rows < next || rows >= image.height()) return;
                        ++bands;
                        report([show = hooks.previewBand, top = image.copy(0, 0, image.width(), rows),
                                whole = image.size()] { show(top, whole); });
                    };
                    QImage small = jpeg->preview(&cancel, band);
                    if (!small.isNull()) report([show = hooks.preview, small] { show(small); });
                });
            }
            const int rows = std::max(1, jpeg->size().height());
            int shown = -1;
            outcome.picture = jpeg->decode(&cancel, [&](int done) {
                const int percent = static_cast<int>(100LL * done / rows);
                if (percent == shown || !hooks.progress) return;
                shown = percent;
                report([tell = hooks.progress, percent] { tell(percent); });
            });
            if (previewer.joinable()) previewer.join();
        }
        if (cancel) return {};
        if (outcome.picture.isNull()) {
            // Not a JPEG the direct path takes, or a damaged one: the picture readers decide.
            try {
                outcome.picture = mapview::readPictureFile(path);
            } catch (const common::RuntimeFailure& failure) {
                outcome.error = common::failureText(failure);
            }
        }
        if (cancel) return {};
        return [done = hooks.done, outcome] { done(outcome); };
    });
}

void PictureLoader::buildPyramid(QImage picture, std::function<void(std::vector<QImage>)> done) {
    start([picture = std::move(picture), done = std::move(done)](const std::atomic<bool>& cancel,
                                                                 const Report&) -> std::function<void()> {
        std::vector<QImage> levels = mapview::PictureRenderer::pyramidOf(picture);
        if (cancel) return {};
        return [done, levels = std::move(levels)] { done(levels); };
    });
}

}  // namespace brelvo::app
