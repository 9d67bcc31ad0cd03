// Paints the map picture scaled into the view, touching only the source pixels that show on screen.
#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <vector>

class QPainter;

namespace brelvo::mapview {

// Holds the decoded picture in a format the raster engine paints fast, plus a pyramid of half-size
// copies (a 2x2 box filter each, one third of the picture's memory in all) for drawing zoomed out.
// Painting never builds a scaled copy of the picture: the cost follows the painted area only.
class PictureRenderer {
  public:
    // Takes the decoded picture. Pass it with std::move: a picture shared with the caller is copied when
    // it has to change format. Grey pictures (grey formats, grey palettes, 1-bit) are held as 8-bit grey,
    // pictures with alpha as premultiplied ARGB, all others as RGB32.
    void setImage(QImage image);
    void clear();
    bool isNull() const;
    QSize size() const;  // natural size, pixels
    const QImage& image() const;

    // Paints the picture drawn scaled into `target` (device pixels; may be far larger than the device or
    // partly off it), restricted to `clip` (device pixels). A device pixel is painted when its centre lies
    // inside both. The painter's coordinates are taken as device pixels.
    void paint(QPainter& painter, const QRectF& target, const QRect& clip) const;

  private:
    // levels_[0] is the picture; levels_[k] has 2^k picture pixels to a side of each of its pixels.
    std::vector<QImage> levels_;
};

}  // namespace brelvo::mapview
