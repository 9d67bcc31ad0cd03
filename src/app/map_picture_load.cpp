// The picture host's background loads: the header read before the question, the decode on worker
// threads behind the loading panel, the previous picture released and put back, the smaller copies
// built once the picture has been painted.
#include <QFileInfo>
#include <QImageReader>
#include <QTimer>

#include "app/map_picture_host.hpp"
#include "app/raster_picture.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "mapview/jpeg_reader.hpp"
#include "mapview/map_georeference.hpp"
#include "mapview/picture_file.hpp"
#include "mapview/wmf_picture.hpp"

namespace brelvo::app {

MapPictureHost::FileStamp MapPictureHost::stampOf(const std::string& path) {
    const QFileInfo info(QString::fromStdString(path));
    if (path.empty() || !info.isFile()) return {path, -1, 0};
    return {path, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

PictureLoader& MapPictureHost::loader() {
    if (!loader_) loader_ = std::make_unique<PictureLoader>(window_);
    return *loader_;
}

PictureLoadPanel& MapPictureHost::panel() {
    if (panel_ == nullptr) {
        QWidget* view = hooks_.mapView ? hooks_.mapView() : nullptr;
        panel_ = new PictureLoadPanel(view != nullptr ? *view : window_, [this] { cancelLoad(); });
    }
    return *panel_;
}

bool MapPictureHost::loading() const {
    return (loader_ && loader_->busy()) || pyramidPending_;
}

std::optional<std::string> MapPictureHost::beginDecoding(const std::string& path) {
    settleLoad(true);
    decodeLater_ = false;
    const QString file = QString::fromStdString(path);
    // Missing files, metafiles and big georeferenced rasters are read here, as decodePicture reads them.
    if (!QFileInfo(file).isFile() || file.endsWith(QStringLiteral(".wmf"), Qt::CaseInsensitive))
        return decodePicture(path);
    QFile head(file);
    if (!head.open(QIODevice::ReadOnly) || mapview::looksLikeWmf(head.peek(8))) return decodePicture(path);
    head.close();
    const auto limit = static_cast<long long>(mapview::kPictureAllocationLimitMiB) << 20;
    const auto jpeg = mapview::JpegFile::open(path, limit);
    QSize size;
    if (jpeg != nullptr && !mapview::mayBeGeoreferenced(path)) {
        // A plain JPEG map: never a raster read window by window (that takes a georeference beside it).
        size = jpeg->size();
    } else {
        if (std::optional<std::string> problem; takeBigRaster(path, problem)) return problem;
        QImageReader reader(file);
        reader.setAutoTransform(true);
        if (jpeg != nullptr) {
            size = jpeg->size();
        } else if (reader.canRead()) {
            size = reader.size();
        } else {
            return decodePicture(path);  // no picture: its failure as the readers tell it
        }
    }
    decoded_ = QImage();
    decodedRaster_.reset();
    decodedPath_ = common::fullPath(path);
    decodedStamp_ = stampOf(decodedPath_);
    probedSize_ = size;
    decodeLater_ = true;
    return std::nullopt;
}

void MapPictureHost::finishDecoding(std::function<void(std::optional<std::string>)> done) {
    if (!decodeLater_) {
        done(std::nullopt);
        return;
    }
    decodeLater_ = false;
    loadDone_ = std::move(done);
    // The picture shown gives its memory to the new one when it can be read again as it was; its view,
    // lines and scale stay untouched until the new picture shows. One that cannot be read again (its
    // file changed or gone, a paste, a relief) stays to be shown again if the load fails, but without
    // its smaller copies: the panel covers it meanwhile.
    if (!renderer_.isNull() && !renderer_.windowed()) {
        if (!shownPath_.empty() && stampOf(shownPath_) == shownStamp_ && shownStamp_.bytes >= 0) {
            released_ = shownStamp_;
            releasedSize_ = renderer_.size();
            renderer_.clear();
        } else {
            renderer_.dropPyramid();
        }
    }
    preview_ = QImage();
    surface_.flush();
    panel().start(false);
    PictureLoader::Hooks hooks;
    hooks.preview = [this](QImage preview) {
        preview_ = preview;
        panel().setPreview(std::move(preview));
    };
    hooks.previewBand = [this](QImage top, QSize whole) { panel().setPreviewBand(std::move(top), whole); };
    hooks.progress = [this](int percent) { panel().setProgress(percent); };
    hooks.done = [this](PictureLoader::Outcome outcome) { loadEnded(std::move(outcome)); };
    loader().load(decodedPath_, std::move(hooks));
}

void MapPictureHost::loadEnded(PictureLoader::Outcome outcome) {
    auto done = std::move(loadDone_);
    loadDone_ = nullptr;
    if (!outcome.picture.isNull()) {
        decoded_ = std::move(outcome.picture);
        deferPyramid_ = true;
        released_.reset();  // gone for good: the new picture takes its place now
        panel().finish();
        measure::MeasureDocument::Step step(surface_);
        if (done) done(std::nullopt);
        pyramidAgain();  // the new picture refused after all: the one kept stays whole
        return;
    }
    // Cancelled (no text) or failed: the previous picture back first, then the reason.
    decoded_ = QImage();
    decodedPath_.clear();
    preview_ = QImage();
    putBackPrevious(
        [this, done = std::move(done), error = std::move(outcome.error)](const std::string& problem) {
            measure::MeasureDocument::Step step(surface_);
            if (done) done(problem.empty() ? error : error.empty() ? problem : error + "\n" + problem);
        });
}

void MapPictureHost::cancelLoad() {
    if (!loader_ || !loader_->busy() || !loadDone_) return;  // only a load can be cancelled
    loader_->cancel();
    loadEnded({});
}

void MapPictureHost::putBackPrevious(std::function<void(const std::string&)> then) {
    if (!released_) {
        if (panel_ != nullptr) panel_->finish();
        pyramidAgain();
        then(std::string());
        return;
    }
    const std::string path = released_->path;
    panel().start(true);
    PictureLoader::Hooks hooks;
    hooks.progress = [this](int percent) { panel().setProgress(percent); };
    hooks.done = [this, then = std::move(then), path](PictureLoader::Outcome outcome) {
        const QSize size = releasedSize_;
        released_.reset();
        panel().finish();
        if (!outcome.picture.isNull() && outcome.picture.size() == size) {
            // The same picture as before: the view, its lines and its scale never changed.
            renderer_.setImageDeferred(std::move(outcome.picture), QImage());
            pyramidPending_ = true;
            window_.update();
            buildPyramidSoon();
            then(std::string());
            return;
        }
        // The file changed while the new one loaded: the map is left empty, and says why.
        clearPicture();
        then(common::msg::picturePutBackFailed(path));
    };
    loader().load(path, std::move(hooks));
}

void MapPictureHost::pyramidAgain() {
    if (renderer_.isNull() || renderer_.windowed() || renderer_.hasPyramid() || pyramidPending_) return;
    pyramidPending_ = true;
    window_.update();
    buildPyramidSoon();
}

void MapPictureHost::buildPyramidSoon() {
    // After the event loop's next turn, when the picture has been painted once: then its smaller copies
    // are built off the window's thread.
    QTimer::singleShot(0, &window_, [this] {
        if (!pyramidPending_) return;
        if (loader_ && loader_->busy()) {
            // The worker is still putting a picture back or finishing a load: asked again shortly, so the
            // copies are not left unbuilt until the next load.
            QTimer::singleShot(50, &window_, [this] { buildPyramidSoon(); });
            return;
        }
        if (QWidget* view = hooks_.mapView ? hooks_.mapView() : nullptr; view != nullptr && view->isVisible())
            view->repaint();
        pyramidPending_ = false;
        const QImage picture = renderer_.image();
        if (picture.isNull() || renderer_.hasPyramid()) return;
        loader().buildPyramid(picture, [this, key = picture.cacheKey()](std::vector<QImage> levels) {
            if (renderer_.image().cacheKey() != key) return;
            renderer_.setPyramid(std::move(levels));
            window_.update();
        });
    });
}

void MapPictureHost::settleLoad(bool putBack) {
    if (loader_ && loader_->busy() && loadDone_) {
        // A load the user has not waited for is dropped; the previous picture is read back at once.
        loader_->cancel();
        loadDone_ = nullptr;
        decoded_ = QImage();
        if (!putBack) released_.reset();
        putBackPrevious([](const std::string&) {});
    }
    if (loader_) loader_->finishNow();  // the putting back, or the smaller copies
    if (pyramidPending_) {
        pyramidPending_ = false;
        const QImage picture = renderer_.image();
        // (Not for a picture about to be cleared.)
        if (putBack && !picture.isNull() && !renderer_.hasPyramid())
            renderer_.setPyramid(mapview::PictureRenderer::pyramidOf(picture));
    }
}

void MapPictureHost::waitForLoad() {
    while (loader_ && loader_->busy()) loader_->finishNow();
    settleLoad(true);
}

}  // namespace brelvo::app
