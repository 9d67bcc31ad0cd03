// Pixel checks of the map picture renderer: placement, zoom, clipping and the zoomed-out pyramid.
#include "mapview/picture_renderer.hpp"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <cmath>

namespace brelvo::mapview {
namespace {

constexpr QRgb kSentinel = 0xFF405060u;  // device background: any pixel still this colour was not painted

QImage device(int w, int h) {
    QImage d(w, h, QImage::Format_ARGB32_Premultiplied);
    d.fill(kSentinel);
    return d;
}

void paintInto(QImage& dev, const PictureRenderer& r, const QRectF& target, const QRect& clip) {
    QPainter p(&dev);
    r.paint(p, target, clip);
}

// Every picture pixel a different colour, so a probe tells exactly which pixel it shows.
QRgb distinct(int x, int y) {
    return qRgb(x * 3 % 256, y * 5 % 256, (x + y) % 256);
}

QImage distinctPicture(int w, int h) {
    QImage pic(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) pic.setPixel(x, y, distinct(x, y));
    }
    return pic;
}

// Compares every device pixel: inside `painted` it must show the picture pixel under its centre,
// elsewhere the untouched background. Picture pixels are (centre - origin) / zoom, zoom in device pixels.
void expectNearestPixels(const QImage& dev, const QRect& painted, double originX, double originY,
                         double zoom) {
    for (int y = 0; y < dev.height(); ++y) {
        for (int x = 0; x < dev.width(); ++x) {
            QRgb want = kSentinel;
            if (painted.contains(x, y)) {
                want = distinct(static_cast<int>(std::floor((x + 0.5 - originX) / zoom)),
                                static_cast<int>(std::floor((y + 0.5 - originY) / zoom)));
            }
            ASSERT_EQ(dev.pixel(x, y), want) << "device pixel " << x << "," << y;
        }
    }
}

TEST(PictureRenderer, QuadrantsAtNaturalSizeLandOnTheirDevicePixels) {
    QImage pic(4, 4, QImage::Format_RGB32);
    const QRgb quadrant[2][2] = {{qRgb(255, 0, 0), qRgb(0, 255, 0)}, {qRgb(0, 0, 255), qRgb(255, 255, 255)}};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) pic.setPixel(x, y, quadrant[y / 2][x / 2]);
    }
    PictureRenderer r;
    r.setImage(pic);
    EXPECT_EQ(r.size(), QSize(4, 4));

    QImage dev = device(10, 10);
    paintInto(dev, r, QRectF(3, 2, 4, 4), dev.rect());
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 3 && x < 7 && y >= 2 && y < 6;
            const QRgb want = inside ? quadrant[(y - 2) / 2][(x - 3) / 2] : kSentinel;
            ASSERT_EQ(dev.pixel(x, y), want) << "device pixel " << x << "," << y;
        }
    }
}

TEST(PictureRenderer, TenfoldZoomShowsThePicturePixelUnderEachDevicePixelInsideTheClipOnly) {
    PictureRenderer r;
    r.setImage(distinctPicture(16, 16));
    QImage dev = device(40, 30);
    // Most of the 160 x 160 target lies above, left of and beyond the small clip.
    const QRectF target(-37.25, -52.75, 160, 160);
    const QRect clip(5, 5, 20, 10);
    paintInto(dev, r, target, clip);
    expectNearestPixels(dev, clip, target.left(), target.top(), 10);
}

TEST(PictureRenderer, FarZoomPaintsTheVisiblePartOfAHugeTarget) {
    // 4000x: the target is 256,000 device pixels wide, far beyond what one draw call can address.
    PictureRenderer r;
    r.setImage(distinctPicture(64, 64));
    QImage dev = device(64, 48);
    // The boundaries between picture pixels 40|41 and 21|22 fall at device x 30 and y 20.
    const QRectF target(-41.0 * 4000 + 30.25, -22.0 * 4000 + 20.25, 64 * 4000, 64 * 4000);
    paintInto(dev, r, target, dev.rect());
    expectNearestPixels(dev, dev.rect(), target.left(), target.top(), 4000);
    EXPECT_EQ(dev.pixel(0, 0), distinct(40, 21));
    EXPECT_EQ(dev.pixel(63, 47), distinct(41, 22));
}

TEST(PictureRenderer, PictureOutsideTheClipPaintsNothing) {
    PictureRenderer r;
    r.setImage(distinctPicture(8, 8));
    QImage dev = device(100, 100);
    const QImage before = dev;
    paintInto(dev, r, QRectF(50, 50, 20, 20), QRect(0, 0, 40, 40));    // beside the clip
    paintInto(dev, r, QRectF(-300, 10, 250, 80), dev.rect());          // off the device's left
    paintInto(dev, r, QRectF(39.6, 10, 20, 20), QRect(0, 0, 40, 40));  // covers no pixel centre
    EXPECT_EQ(dev, before);
}

TEST(PictureRenderer, EmptyRendererPaintsNothing) {
    PictureRenderer r;
    EXPECT_TRUE(r.isNull());
    EXPECT_EQ(r.size(), QSize());
    EXPECT_TRUE(r.image().isNull());
    QImage dev = device(20, 20);
    const QImage before = dev;
    paintInto(dev, r, QRectF(0, 0, 20, 20), dev.rect());

    r.setImage(distinctPicture(4, 4));
    EXPECT_FALSE(r.isNull());
    r.clear();
    EXPECT_TRUE(r.isNull());
    paintInto(dev, r, QRectF(0, 0, 20, 20), dev.rect());
    r.setImage(QImage());
    EXPECT_TRUE(r.isNull());
    paintInto(dev, r, QRectF(0, 0, 20, 20), dev.rect());
    EXPECT_EQ(dev, before);
}

TEST(PictureRenderer, OneEighthZoomKeepsAOnePixelLineDarkerThanTheBackground) {
    // Column 16 is where sampling every eighth pixel would miss it; the box-filtered level averages it in:
    // 0 and 255 give 128, then 192, then 224 (each mean rounded half up).
    QImage pic(64, 64, QImage::Format_RGB32);
    pic.fill(qRgb(255, 255, 255));
    for (int y = 0; y < 64; ++y) pic.setPixel(16, y, qRgb(0, 0, 0));
    PictureRenderer r;
    r.setImage(pic);
    QImage dev = device(8, 8);
    paintInto(dev, r, QRectF(0, 0, 8, 8), dev.rect());
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const QRgb want = x == 2 ? qRgb(224, 224, 224) : qRgb(255, 255, 255);
            ASSERT_EQ(dev.pixel(x, y), want) << "device pixel " << x << "," << y;
        }
    }
}

TEST(PictureRenderer, OddSizedPictureKeepsItsLastColumnWhenZoomedOut) {
    // 11 columns: the last is red. Halving pairs column 10 with itself (red), then pairs that with blue
    // columns 8-9, giving (128, 0, 128) at level pixel 2: device pixel 2 of the 2.75-wide target.
    QImage pic(11, 11, QImage::Format_RGB32);
    pic.fill(qRgb(0, 0, 255));
    for (int y = 0; y < 11; ++y) pic.setPixel(10, y, qRgb(255, 0, 0));
    PictureRenderer r;
    r.setImage(pic);
    QImage dev = device(4, 4);
    paintInto(dev, r, QRectF(0, 0, 2.75, 2.75), dev.rect());
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            QRgb want = kSentinel;
            if (x < 3 && y < 3) want = x == 2 ? qRgb(128, 0, 128) : qRgb(0, 0, 255);
            ASSERT_EQ(dev.pixel(x, y), want) << "device pixel " << x << "," << y;
        }
    }
}

TEST(PictureRenderer, SmoothlyScaledPicturePaintedInStripsMatchesOnePaint) {
    // The view repaints damaged strips separately; the strips must join without a seam, both shrunk and
    // enlarged less than 2x (where filtering blends neighbouring pixels).
    PictureRenderer r;
    r.setImage(distinctPicture(90, 70));
    for (const double zoom : {0.7, 1.5}) {
        SCOPED_TRACE(zoom);
        const QRectF target(1.3, 2.6, 90 * zoom, 70 * zoom);
        QImage whole = device(70, 55);
        paintInto(whole, r, target, whole.rect());
        QImage strips = device(70, 55);
        // At 1.5x the pixel centres next to x 33 and y 24 sample across the strip borders.
        paintInto(strips, r, target, QRect(0, 0, 70, 24));
        paintInto(strips, r, target, QRect(0, 24, 33, 31));
        paintInto(strips, r, target, QRect(33, 24, 37, 31));
        EXPECT_EQ(strips, whole);
        EXPECT_NE(whole.pixel(30, 30), kSentinel);
    }
}

TEST(PictureRenderer, GreyPaletteIsHeldAsGreyLevels) {
    QImage pic(2, 1, QImage::Format_Indexed8);
    pic.setColorTable({qRgb(30, 30, 30), qRgb(200, 200, 200)});
    pic.setPixel(0, 0, 1);
    pic.setPixel(1, 0, 0);
    PictureRenderer r;
    r.setImage(std::move(pic));
    EXPECT_EQ(r.image().format(), QImage::Format_Grayscale8);
    QImage dev = device(2, 1);
    paintInto(dev, r, QRectF(0, 0, 2, 1), dev.rect());
    EXPECT_EQ(dev.pixel(0, 0), qRgb(200, 200, 200));
    EXPECT_EQ(dev.pixel(1, 0), qRgb(30, 30, 30));

    // A 1-bit scan with a grey palette.
    QImage bits(3, 1, QImage::Format_Mono);
    bits.setColorTable({qRgb(10, 10, 10), qRgb(250, 250, 250)});
    bits.setPixel(0, 0, 1);
    bits.setPixel(1, 0, 0);
    bits.setPixel(2, 0, 1);
    r.setImage(std::move(bits));
    EXPECT_EQ(r.image().format(), QImage::Format_Grayscale8);
    QImage dev3 = device(3, 1);
    paintInto(dev3, r, QRectF(0, 0, 3, 1), dev3.rect());
    EXPECT_EQ(dev3.pixel(0, 0), qRgb(250, 250, 250));
    EXPECT_EQ(dev3.pixel(1, 0), qRgb(10, 10, 10));
    EXPECT_EQ(dev3.pixel(2, 0), qRgb(250, 250, 250));
}

TEST(PictureRenderer, AnEighthSizeCopyStandsInForTheSmallerCopiesUntilTheyCome) {
    QImage white(64, 48, QImage::Format_RGB32);
    white.fill(qRgb(255, 255, 255));
    QImage red(8, 6, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    PictureRenderer r;
    r.setImageDeferred(white, red);
    EXPECT_FALSE(r.hasPyramid());
    // At an eighth the stand-in shows; at a half (no level of its own yet) the picture itself.
    QImage eighth = device(8, 6), half = device(32, 24);
    paintInto(eighth, r, QRectF(0, 0, 8, 6), QRect(0, 0, 8, 6));
    paintInto(half, r, QRectF(0, 0, 32, 24), QRect(0, 0, 32, 24));
    EXPECT_EQ(eighth.pixel(3, 2), qRgb(255, 0, 0));
    EXPECT_EQ(half.pixel(10, 10), qRgb(255, 255, 255));

    // Copies of another picture's size are refused; the picture's own replace the stand-in.
    r.setPyramid(PictureRenderer::pyramidOf(QImage(32, 48, QImage::Format_RGB32)));
    EXPECT_FALSE(r.hasPyramid());
    r.setPyramid(PictureRenderer::pyramidOf(white));
    EXPECT_TRUE(r.hasPyramid());
    paintInto(eighth, r, QRectF(0, 0, 8, 6), QRect(0, 0, 8, 6));
    EXPECT_EQ(eighth.pixel(3, 2), qRgb(255, 255, 255));

    // A stand-in of the wrong size is never used.
    r.setImageDeferred(white, QImage(7, 6, QImage::Format_RGB32));
    QImage again = device(8, 6);
    paintInto(again, r, QRectF(0, 0, 8, 6), QRect(0, 0, 8, 6));
    EXPECT_EQ(again.pixel(3, 2), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace brelvo::mapview
