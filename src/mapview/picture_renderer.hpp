// Paints the map picture scaled into the view, touching only the source pixels that show on screen.
#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <memory>
#include <vector>

class QPainter;

namespace brelvo::mapview {

// A picture too big to hold decoded (a big georeferenced raster): read window by window at the
// resolution it is shown at.
class WindowedPicture {
  public:
    virtual ~WindowedPicture() = default;
    virtual QSize size() const = 0;  // natural size, pixels
    // The picture's `window` (natural pixels, inside the picture) resampled to `out` pixels; a null
    // image when it cannot be read.
    virtual QImage read(const QRect& window, const QSize& out) = 0;
};

// Holds the decoded picture in a format the raster engine paints fast, plus a pyramid of half-size
// copies (a 2x2 box filter each, one third of the picture's memory in all) for drawing zoomed out.
// Painting never builds a scaled copy of the picture: the cost follows the painted area only.
class PictureRenderer {
  public:
    // Takes the decoded picture. Pass it with std::move: a picture shared with the caller is copied when
    // it has to change format. Grey pictures (grey formats, grey palettes, 1-bit) are held as 8-bit grey,
    // pictures with alpha as premultiplied ARGB, all others as RGB32.
    void setImage(QImage image);
    // Takes a decoded picture already in paint format (32-bit RGB, as the JPEG reader gives it) without
    // its smaller copies, so that it shows at once: `coarse` (an eighth-size copy, or null) stands in
    // for them, zoomed out far enough, until setPyramid brings them.
    void setImageDeferred(QImage image, QImage coarse);
    // The smaller copies of the picture held now, as pyramidOf made them; ignored when they do not
    // belong to it.
    void setPyramid(std::vector<QImage> levels);
    // Lets the smaller copies go, the picture kept (painting takes it, as before setPyramid): for a
    // picture held only to be shown again if the next one fails to load.
    void dropPyramid();
    // Whether all the smaller copies are held.
    bool hasPyramid() const;
    // The half-size copies of a picture in paint format (level 1 down to a single pixel), as setImage
    // builds them; reads `picture` only, so it may run on any thread.
    static std::vector<QImage> pyramidOf(const QImage& picture);
    // Shows a picture read window by window instead: only the part shown is ever held, at the
    // resolution shown (the last window read is kept and drawn again until the view moves off it).
    void setWindowed(std::unique_ptr<WindowedPicture> picture);
    void clear();
    bool isNull() const;
    QSize size() const;           // natural size, pixels
    const QImage& image() const;  // the decoded picture; null for a windowed one
    bool windowed() const { return windowed_ != nullptr; }
    // The window of a windowed picture held now, and the natural pixels it covers.
    const QImage& windowImage() const { return window_; }
    QRect windowRect() const { return windowRect_; }

    // Paints the picture drawn scaled into `target` (device pixels; may be far larger than the device or
    // partly off it), restricted to `clip` (device pixels). A device pixel is painted when its centre lies
    // inside both. The painter's coordinates are taken as device pixels. A windowed picture reads, when
    // the window it holds does not cover the clip at this scale, the part under `view` (the whole
    // visible area, so that the next clips need no read; the clip when empty).
    void paint(QPainter& painter, const QRectF& target, const QRect& clip, const QRect& view = QRect()) const;

  private:
    void paintWindowed(QPainter& painter, const QRectF& target, const QRect& painted,
                       const QRect& view) const;

    // levels_[0] is the picture; levels_[k] has 2^k picture pixels to a side of each of its pixels (a
    // null level is not built yet: painting takes the next finer one).
    std::vector<QImage> levels_;
    bool complete_ = true;  // every level built (or no picture)
    std::unique_ptr<WindowedPicture> windowed_;
    // The window last read: its image, the natural pixels it covers and the device pixels per natural
    // pixel it was read for. Painting keeps them as a cache.
    mutable QImage window_;
    mutable QRect windowRect_;
    mutable QSizeF windowScale_;
};

}  // namespace brelvo::mapview
