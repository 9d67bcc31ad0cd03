// Map picture painting: paint-format conversion, the half-size pyramid and the visible-part drawing.
#include "mapview/picture_renderer.hpp"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace brelvo::mapview {

namespace {

// Rounded mean of four 8-bit samples.
inline std::uint8_t average4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return static_cast<std::uint8_t>((a + b + c + d + 2) >> 2);
}

// Rounded mean of four 32-bit pixels, per 8-bit channel: two channels at a time in 16-bit lanes, where four
// samples plus the rounding term (at most 1022) cannot carry into the next lane.
inline std::uint32_t average4(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    constexpr std::uint32_t lanes = 0x00FF00FFu;
    constexpr std::uint32_t half = 0x00020002u;
    const std::uint32_t rb = (a & lanes) + (b & lanes) + (c & lanes) + (d & lanes) + half;
    const std::uint32_t ag =
        ((a >> 8) & lanes) + ((b >> 8) & lanes) + ((c >> 8) & lanes) + ((d >> 8) & lanes) + half;
    return ((rb >> 2) & lanes) | (((ag >> 2) & lanes) << 8);
}

// One pyramid step: each output pixel is the mean of a 2x2 block. An odd last row or column pairs with
// itself, so the output is ceil(w/2) x ceil(h/2) and keeps the picture's full extent.
template <typename Pixel>
QImage halve(const QImage& src) {
    const int w = src.width();
    const int h = src.height();
    QImage dst((w + 1) / 2, (h + 1) / 2, src.format());
    if (dst.isNull()) return dst;  // out of memory: the pyramid simply ends here
    const int pairs = w / 2;
    for (int y = 0; y < dst.height(); ++y) {
        const auto* r0 = reinterpret_cast<const Pixel*>(src.constScanLine(2 * y));
        const auto* r1 = reinterpret_cast<const Pixel*>(src.constScanLine(std::min(2 * y + 1, h - 1)));
        auto* out = reinterpret_cast<Pixel*>(dst.scanLine(y));
        for (int x = 0; x < pairs; ++x) {
            out[x] = average4(r0[2 * x], r0[2 * x + 1], r1[2 * x], r1[2 * x + 1]);
        }
        if (w % 2 != 0) out[pairs] = average4(r0[w - 1], r0[w - 1], r1[w - 1], r1[w - 1]);
    }
    return dst;
}

// Mono and palette pictures whose colours are all grey; looks at the colour table only.
bool greyPalette(const QImage& image) {
    switch (image.format()) {
        case QImage::Format_Mono:
        case QImage::Format_MonoLSB:
        case QImage::Format_Indexed8:
            return !image.hasAlphaChannel() && image.allGray();
        default:
            return false;
    }
}

// Brings the picture to a format the raster engine draws without per-paint conversion. Grey stays one byte
// a pixel (a quarter of RGB32). Qt converts in place where the pixel size allows; otherwise the old and the
// new copy coexist only during the conversion.
QImage toPaintFormat(QImage image) {
    switch (image.format()) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32_Premultiplied:
        case QImage::Format_Grayscale8:
            return image;
        default:
            break;
    }
    if (greyPalette(image)) {
        // Bits to palette bytes directly: Qt's route from 1-bit to grey would pass through 32-bit pixels.
        if (image.format() != QImage::Format_Indexed8) image.convertTo(QImage::Format_Indexed8);
        // Palette indices become grey levels in place: same bytes, no second copy.
        std::uint8_t grey[256] = {};
        const QList<QRgb> table = image.colorTable();
        for (int i = 0; i < std::min<int>(256, static_cast<int>(table.size())); ++i) {
            grey[i] = static_cast<std::uint8_t>(qGray(table[i]));
        }
        for (int y = 0; y < image.height(); ++y) {
            std::uint8_t* line = image.scanLine(y);
            for (int x = 0; x < image.width(); ++x) line[x] = grey[line[x]];
        }
        image.reinterpretAsFormat(QImage::Format_Grayscale8);
        return image;
    }
    if (image.format() == QImage::Format_Grayscale16) {
        image.convertTo(QImage::Format_Grayscale8);
    } else {
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    }
    return image;
}

QImage halveAny(const QImage& src) {
    return src.depth() == 8 ? halve<std::uint8_t>(src) : halve<std::uint32_t>(src);
}

// The device pixels `painted` of a nearest-pixel enlargement: each shows the source pixel under its centre.
// Done here rather than by QPainter, whose 16.16 fixed-point step drifts at high zoom (at 100x by a device
// pixel across a 1920-pixel view, at 4000x by dozens). `origin` is the source's top-left in device pixels,
// lx and ly are device pixels per source pixel.
QImage enlarged(const QImage& source, QPointF origin, double lx, double ly, const QRect& painted) {
    QImage out(painted.size(), source.format());
    if (out.isNull()) return out;
    const auto sourceIndex = [](double device, double start, double scale, int limit) {
        return static_cast<int>(std::clamp(std::floor((device + 0.5 - start) / scale), 0.0, limit - 1.0));
    };
    const int bytes = source.depth() / 8;
    std::vector<int> columns(static_cast<std::size_t>(painted.width()));
    for (int x = 0; x < painted.width(); ++x) {
        columns[static_cast<std::size_t>(x)] =
            sourceIndex(painted.left() + x, origin.x(), lx, source.width());
    }
    int previous = -1;
    for (int y = 0; y < painted.height(); ++y) {
        const int row = sourceIndex(painted.top() + y, origin.y(), ly, source.height());
        uchar* line = out.scanLine(y);
        if (row == previous) {
            // Enlarged at least 2x: most rows repeat the one above.
            std::memcpy(line, out.constScanLine(y - 1), static_cast<std::size_t>(painted.width()) * bytes);
            continue;
        }
        previous = row;
        if (bytes == 1) {
            const uchar* in = source.constScanLine(row);
            for (int x = 0; x < painted.width(); ++x) line[x] = in[columns[static_cast<std::size_t>(x)]];
        } else {
            const auto* in = reinterpret_cast<const std::uint32_t*>(source.constScanLine(row));
            auto* px = reinterpret_cast<std::uint32_t*>(line);
            for (int x = 0; x < painted.width(); ++x) px[x] = in[columns[static_cast<std::size_t>(x)]];
        }
    }
    return out;
}

}  // namespace

void PictureRenderer::setImage(QImage image) {
    clear();
    image = toPaintFormat(std::move(image));
    if (image.isNull()) return;
    std::vector<QImage> smaller = pyramidOf(image);
    levels_.push_back(std::move(image));
    for (QImage& level : smaller) levels_.push_back(std::move(level));
}

std::vector<QImage> PictureRenderer::pyramidOf(const QImage& picture) {
    std::vector<QImage> levels;
    // Down to a single pixel: the small levels cost next to nothing and keep far zoom-outs cheap.
    const QImage* last = &picture;
    while (!last->isNull() && (last->width() > 1 || last->height() > 1)) {
        QImage next = halveAny(*last);
        if (next.isNull()) break;
        levels.push_back(std::move(next));
        last = &levels.back();
    }
    return levels;
}

void PictureRenderer::setImageDeferred(QImage image, QImage coarse) {
    clear();
    image = toPaintFormat(std::move(image));
    if (image.isNull()) return;
    // The eighth-size copy stands in as level 3 when it has that level's size exactly.
    const QSize third((image.width() + 7) / 8, (image.height() + 7) / 8);
    const bool fits = !coarse.isNull() && coarse.size() == third && coarse.format() == image.format() &&
                      (image.width() > 1 || image.height() > 1);
    levels_.push_back(std::move(image));
    if (fits) {
        levels_.resize(4);
        levels_[3] = std::move(coarse);
    }
    complete_ = false;
}

void PictureRenderer::setPyramid(std::vector<QImage> levels) {
    if (levels_.empty() || complete_) return;
    QSize expected = levels_.front().size();
    for (const QImage& level : levels) {
        expected = QSize((expected.width() + 1) / 2, (expected.height() + 1) / 2);
        if (level.size() != expected || level.format() != levels_.front().format()) return;
    }
    levels_.resize(1);
    for (QImage& level : levels) levels_.push_back(std::move(level));
    complete_ = true;
}

void PictureRenderer::dropPyramid() {
    if (levels_.size() < 2) return;
    levels_.resize(1);
    levels_.shrink_to_fit();
    complete_ = false;
}

bool PictureRenderer::hasPyramid() const {
    return complete_;
}

void PictureRenderer::setWindowed(std::unique_ptr<WindowedPicture> picture) {
    clear();
    windowed_ = std::move(picture);
}

void PictureRenderer::clear() {
    levels_.clear();
    complete_ = true;
    windowed_.reset();
    window_ = QImage();
    windowRect_ = QRect();
    windowScale_ = QSizeF();
}

bool PictureRenderer::isNull() const {
    return levels_.empty() && windowed_ == nullptr;
}

QSize PictureRenderer::size() const {
    if (windowed_ != nullptr) return windowed_->size();
    return levels_.empty() ? QSize() : levels_.front().size();
}

const QImage& PictureRenderer::image() const {
    static const QImage none;
    return levels_.empty() ? none : levels_.front();
}

void PictureRenderer::paint(QPainter& painter, const QRectF& target, const QRect& clip,
                            const QRect& view) const {
    if (isNull() || clip.isEmpty() || size().isEmpty()) return;
    if (!std::isfinite(target.left()) || !std::isfinite(target.top()) || !std::isfinite(target.width()) ||
        !std::isfinite(target.height()) || target.width() <= 0 || target.height() <= 0) {
        return;
    }

    // Device pixels to paint: centres inside the picture and inside the clip. Bounded by the clip, so the
    // casts cannot overflow however far the target reaches.
    const double px0 = std::max<double>(clip.left(), std::ceil(target.left() - 0.5));
    const double py0 = std::max<double>(clip.top(), std::ceil(target.top() - 0.5));
    const double px1 = std::min<double>(clip.left() + clip.width(), std::ceil(target.right() - 0.5));
    const double py1 = std::min<double>(clip.top() + clip.height(), std::ceil(target.bottom() - 0.5));
    if (px1 <= px0 || py1 <= py0) return;
    const QRect painted(static_cast<int>(px0), static_cast<int>(py0), static_cast<int>(px1 - px0),
                        static_cast<int>(py1 - py0));
    if (windowed_ != nullptr) {
        paintWindowed(painter, target, painted, view);
        return;
    }

    // Device pixels per picture pixel.
    const QImage& picture = levels_.front();
    const double sx = target.width() / picture.width();
    const double sy = target.height() / picture.height();

    // Zoomed out, the coarsest level still at or above the needed resolution: its box filter has already
    // averaged every picture pixel in, so thin lines fade instead of dropping out between samples.
    int level = 0;
    const double needed = std::max(sx, sy);
    if (needed < 1) {
        const double halvings = std::floor(std::log2(1 / needed) + 1e-9);
        level = static_cast<int>(std::min<double>(halvings, static_cast<double>(levels_.size() - 1)));
    }
    while (level > 0 && levels_[static_cast<std::size_t>(level)].isNull()) --level;
    const QImage& source = levels_[static_cast<std::size_t>(level)];
    const double step = std::ldexp(1.0, level);  // picture pixels per level pixel
    const double lx = sx * step;                 // device pixels per level pixel
    const double ly = sy * step;

    // Enlarged 2x and more: nearest pixels, so that the scanned pixels stay crisp for picking points.
    if (lx >= 2 && ly >= 2) {
        painter.drawImage(painted.topLeft(), enlarged(source, target.topLeft(), lx, ly, painted));
        return;
    }

    // Smooth filtering blends across at most one neighbouring level pixel: keep that neighbour in the
    // source so that pictures painted in several clips join without seams. Exact 1:1 stays unfiltered.
    const bool smooth = !(lx == 1 && ly == 1);
    const int margin = smooth ? 1 : 0;

    // Whole level pixels covering the painted device pixels.
    const auto within = [](double v, int limit) {
        return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(limit)));
    };
    const int sx0 = within(std::floor((px0 - target.left()) / lx) - margin, source.width());
    const int sy0 = within(std::floor((py0 - target.top()) / ly) - margin, source.height());
    const int sx1 = within(std::ceil((px1 - target.left()) / lx) + margin, source.width());
    const int sy1 = within(std::ceil((py1 - target.top()) / ly) + margin, source.height());
    if (sx1 <= sx0 || sy1 <= sy0) return;

    // Where those level pixels land: a little beyond the painted pixels, which the clip trims away. Below
    // 2x Qt's 16.16 fixed-point stepping drifts by under a tenth of a device pixel across a 1920-pixel view.
    const QRectF from(sx0, sy0, sx1 - sx0, sy1 - sy0);
    const QRectF to(target.left() + sx0 * lx, target.top() + sy0 * ly, (sx1 - sx0) * lx, (sy1 - sy0) * ly);

    painter.save();
    painter.setClipRect(painted, Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.drawImage(to, source, from);
    painter.restore();
}

void PictureRenderer::paintWindowed(QPainter& painter, const QRectF& target, const QRect& painted,
                                    const QRect& view) const {
    const QSize natural = windowed_->size();
    const double sx = target.width() / natural.width();  // device pixels per natural pixel
    const double sy = target.height() / natural.height();
    // The natural pixels under some device pixels, with one more on each side for the smooth filter.
    const auto cover = [&](const QRect& device) {
        const auto edge = [](double v, int limit) {
            return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(limit)));
        };
        const int x0 = edge(std::floor((device.left() - target.left()) / sx) - 1, natural.width());
        const int y0 = edge(std::floor((device.top() - target.top()) / sy) - 1, natural.height());
        const int x1 =
            edge(std::ceil((device.left() + device.width() - target.left()) / sx) + 1, natural.width());
        const int y1 =
            edge(std::ceil((device.top() + device.height() - target.top()) / sy) + 1, natural.height());
        return QRect(x0, y0, x1 - x0, y1 - y0);
    };
    const QRect needed = cover(painted);
    if (needed.isEmpty()) return;
    if (window_.isNull() || windowScale_ != QSizeF(sx, sy) || !windowRect_.contains(needed)) {
        // A new window: all that the view shows of the picture, at the resolution shown (the natural
        // pixels themselves when enlarged).
        QRect area = painted;
        if (!view.isEmpty()) area = area.united(QRectF(view).intersected(target).toAlignedRect());
        const QRect wanted = cover(area);
        const QSize out(std::clamp(static_cast<int>(std::ceil(wanted.width() * sx)), 1, wanted.width()),
                        std::clamp(static_cast<int>(std::ceil(wanted.height() * sy)), 1, wanted.height()));
        window_ = windowed_->read(wanted, out);
        windowRect_ = window_.isNull() ? QRect() : wanted;
        windowScale_ = QSizeF(sx, sy);
        if (window_.isNull()) return;
    }

    // Where the held window lands, and device pixels per window pixel.
    const QRectF lands(target.left() + windowRect_.x() * sx, target.top() + windowRect_.y() * sy,
                       windowRect_.width() * sx, windowRect_.height() * sy);
    const double lx = lands.width() / window_.width();
    const double ly = lands.height() / window_.height();
    if (lx >= 2 && ly >= 2) {
        painter.drawImage(painted.topLeft(), enlarged(window_, lands.topLeft(), lx, ly, painted));
        return;
    }
    painter.save();
    painter.setClipRect(painted, Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !(lx == 1 && ly == 1));
    painter.drawImage(lands, window_);
    painter.restore();
}

}  // namespace brelvo::mapview
