// Windows metafile pictures: metafiles written here record by record, drawn through libwmf, checked by pixel.
#include "mapview/wmf_picture.hpp"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "common/failure.hpp"

namespace brelvo::mapview {
namespace {

// Record functions and their parameters, which a metafile stores last parameter first.
constexpr std::uint16_t kSetWindowOrg = 0x020B;         // y, x
constexpr std::uint16_t kSetWindowExt = 0x020C;         // height, width
constexpr std::uint16_t kCreatePenIndirect = 0x02FA;    // style, width x, width y, colour low, colour high
constexpr std::uint16_t kCreateBrushIndirect = 0x02FC;  // style, colour low, colour high, hatch
constexpr std::uint16_t kSelectObject = 0x012D;         // object index
constexpr std::uint16_t kRectangle = 0x041B;            // bottom, right, top, left
constexpr std::uint16_t kPenNull = 5;
constexpr std::uint16_t kBrushSolid = 0;

struct Frame {  // placeable header: bounding box in logical units and units per inch
    std::int16_t left, top, right, bottom;
    std::uint16_t inch;
};

// Builds a metafile: records as 16-bit words, then the headers with the sizes those records need.
class Metafile {
  public:
    void record(std::uint16_t function, const std::vector<std::uint16_t>& params) {
        const auto words = static_cast<std::uint32_t>(3 + params.size());
        maxRecordWords_ = std::max(maxRecordWords_, words);
        put32(records_, words);
        put16(records_, function);
        for (std::uint16_t p : params) put16(records_, p);
    }
    // Each object created takes the lowest free slot of the object table: 0, 1, 2, ... here.
    void nullPen() { create(kCreatePenIndirect, {kPenNull, 0, 0, 0, 0}); }
    void solidBrush(std::uint32_t colorRef) {
        create(kCreateBrushIndirect, {kBrushSolid, low(colorRef), high(colorRef), 0});
    }
    void rectangle(int left, int top, int right, int bottom) {
        record(kRectangle, {u(bottom), u(right), u(top), u(left)});
    }
    void window(int x, int y, int width, int height) {
        record(kSetWindowOrg, {u(y), u(x)});
        record(kSetWindowExt, {u(height), u(width)});
    }

    QByteArray bytes(std::optional<Frame> frame) const {
        QByteArray out;
        if (frame) {
            QByteArray h;
            put32(h, 0x9AC6CDD7u);
            put16(h, 0);  // handle, always 0 in a file
            put16(h, u(frame->left));
            put16(h, u(frame->top));
            put16(h, u(frame->right));
            put16(h, u(frame->bottom));
            put16(h, frame->inch);
            put32(h, 0);                 // reserved
            std::uint16_t checksum = 0;  // XOR of the ten words before it
            for (int i = 0; i < 20; i += 2) {
                checksum ^= static_cast<std::uint16_t>(static_cast<unsigned char>(h[i]) |
                                                       (static_cast<unsigned char>(h[i + 1]) << 8));
            }
            put16(h, checksum);
            out += h;
        }
        QByteArray body = records_;
        put32(body, 3);  // end record
        put16(body, 0);
        put16(out, 1);                                                // memory metafile
        put16(out, 9);                                                // header words
        put16(out, 0x0300);                                           // Windows 3 records
        put32(out, static_cast<std::uint32_t>(9 + body.size() / 2));  // whole metafile, words
        put16(out, objects_);
        put32(out, maxRecordWords_);
        put16(out, 0);  // unused
        return out + body;
    }

  private:
    static std::uint16_t u(int v) { return static_cast<std::uint16_t>(v); }
    static std::uint16_t low(std::uint32_t v) { return static_cast<std::uint16_t>(v & 0xFFFF); }
    static std::uint16_t high(std::uint32_t v) { return static_cast<std::uint16_t>(v >> 16); }
    static void put16(QByteArray& b, std::uint16_t v) {
        b.append(static_cast<char>(v & 0xFF));
        b.append(static_cast<char>(v >> 8));
    }
    static void put32(QByteArray& b, std::uint32_t v) {
        put16(b, low(v));
        put16(b, high(v));
    }
    void create(std::uint16_t function, const std::vector<std::uint16_t>& params) {
        record(function, params);
        record(kSelectObject, {objects_});
        ++objects_;
    }

    QByteArray records_;
    std::uint16_t objects_ = 0;
    std::uint32_t maxRecordWords_ = 3;
};

constexpr std::uint32_t kWhite = 0x00FFFFFF;  // COLORREF 0x00BBGGRR
constexpr std::uint32_t kBlack = 0x00000000;

// A white page 0..pageW x 0..pageH with a black rectangle on it, both drawn without outline. libwmf still
// counts half a pen width, one unit at the least, around every shape: the drawing spans
// -0.5..pageW+0.5 x -0.5..pageH+0.5 units.
Metafile pageWithBlackBox(int pageW, int pageH, int left, int top, int right, int bottom) {
    Metafile m;
    m.window(0, 0, pageW, pageH);
    m.nullPen();
    m.solidBrush(kWhite);
    m.rectangle(0, 0, pageW, pageH);
    m.solidBrush(kBlack);
    m.rectangle(left, top, right, bottom);
    return m;
}

// 200 x 100 units at 96 units per inch, with the black box at 50..150 x 20..80.
QByteArray placeableMap() {
    return pageWithBlackBox(200, 100, 50, 20, 150, 80).bytes(Frame{0, 0, 200, 100, 96});
}

bool dark(const QImage& img, int x, int y) {
    return qGray(img.pixel(x, y)) < 64;
}
bool light(const QImage& img, int x, int y) {
    return qGray(img.pixel(x, y)) > 192;
}

// A metafile read: the picture, or the reason shown after "Invalid picture".
struct Result {
    QImage image;
    std::string error;
};
Result read(const QByteArray& bytes) {
    try {
        return {readWmfPicture(bytes), {}};
    } catch (const common::RuntimeFailure& failure) {
        EXPECT_EQ(failure.number(), 481);
        EXPECT_EQ(failure.description(), "Invalid picture");
        return {QImage(), failure.cause()};
    }
}

// Exactly one of picture and error, and a picture within the size limit.
void expectPictureXorError(const Result& r) {
    if (r.image.isNull()) {
        EXPECT_FALSE(r.error.empty());
    } else {
        EXPECT_TRUE(r.error.empty()) << r.error;
        EXPECT_LE(static_cast<unsigned>(r.image.width()), kMaxWmfSidePixels);
        EXPECT_LE(static_cast<unsigned>(r.image.height()), kMaxWmfSidePixels);
    }
}

TEST(WmfPicture, PlaceableMetafileIsDrawnAtNinetySixDpiWithItsRectangleInPlace) {
    const Result r = read(placeableMap());
    ASSERT_TRUE(r.error.empty()) << r.error;
    ASSERT_FALSE(r.image.isNull());
    // 200 x 100 units at 96 units per inch is 2.083 x 1.042 inches: 200 x 100 pixels at 96 dpi. The drawing's
    // 201 x 101 units scaled evenly come within a pixel of that (199 x 100), so the stated size is kept.
    EXPECT_EQ(r.image.size(), QSize(200, 100));
    // One unit per pixel, so the box covers pixels 50..150 x 20..80; probes stay 5 pixels off its edges.
    EXPECT_TRUE(dark(r.image, 100, 50));
    EXPECT_TRUE(dark(r.image, 55, 25));
    EXPECT_TRUE(dark(r.image, 145, 75));
    EXPECT_TRUE(light(r.image, 45, 50));
    EXPECT_TRUE(light(r.image, 155, 50));
    EXPECT_TRUE(light(r.image, 100, 15));
    EXPECT_TRUE(light(r.image, 100, 85));
    EXPECT_TRUE(light(r.image, 5, 5));
}

TEST(WmfPicture, StandardMetafileIsDrawnAtOneUnitPerPixel) {
    const Result r = read(pageWithBlackBox(120, 80, 30, 20, 90, 60).bytes(std::nullopt));
    ASSERT_TRUE(r.error.empty()) << r.error;
    // No stated size: the drawing's own 121 x 81 units, one unit per pixel.
    EXPECT_EQ(r.image.size(), QSize(121, 81));
    EXPECT_TRUE(dark(r.image, 60, 40));
    EXPECT_TRUE(light(r.image, 25, 40));
    EXPECT_TRUE(light(r.image, 95, 40));
}

TEST(WmfPicture, DrawingSmallerThanItsFrameKeepsItsProportions) {
    // Only the black box inside a 200 x 100 frame: 100 x 60 units, 101 x 61 with the half pen all round.
    // Filling the frame would stretch it 1.98 : 1.64; scaled evenly to the frame's height it is
    // 101 x 61 times 100/61, that is 165.6 x 100 pixels.
    Metafile m;
    m.window(0, 0, 200, 100);
    m.nullPen();
    m.solidBrush(kBlack);
    m.rectangle(50, 20, 150, 80);
    const Result r = read(m.bytes(Frame{0, 0, 200, 100, 96}));
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.image.size(), QSize(166, 100));
    EXPECT_TRUE(dark(r.image, 83, 50));
    EXPECT_TRUE(dark(r.image, 3, 3));
    EXPECT_TRUE(dark(r.image, 162, 96));
}

TEST(WmfPicture, OversizedOrZeroSizedPictureIsRefused) {
    // 30000 units at 96 per inch is 30000 pixels wide.
    const Result wide = read(pageWithBlackBox(30000, 100, 10, 10, 20, 20).bytes(Frame{0, 0, 30000, 100, 96}));
    EXPECT_TRUE(wide.image.isNull());
    EXPECT_EQ(wide.error, "The metafile's picture is too large: 30000 x 100 pixels, at most 20000 a side.");
    // 10 units at 1440 per inch is 0.67 pixels: nothing to show.
    const Result tiny = read(pageWithBlackBox(10, 10, 2, 2, 8, 8).bytes(Frame{0, 0, 10, 10, 1440}));
    EXPECT_TRUE(tiny.image.isNull());
    EXPECT_EQ(tiny.error, "The metafile's picture has zero size.");
}

TEST(WmfPicture, AFileWithABadLayoutIsRefusedWithItsReason) {
    const QByteArray good = placeableMap();  // 22 + 18 header bytes, then the records
    EXPECT_EQ(read(QByteArray("GIF89a, a map")).error, "Not a Windows metafile.");
    EXPECT_EQ(read(good.left(12)).error, "The metafile is cut short inside its header.");
    QByteArray noInch = good;
    noInch[14] = 0;
    noInch[15] = 0;
    EXPECT_EQ(read(noInch).error, "The metafile's header gives zero units per inch.");
    QByteArray hugeRecord = good;
    hugeRecord[22 + 14] = 0x10;  // the largest record: 2^20 words more
    EXPECT_EQ(read(hugeRecord).error, "The metafile's header states a record larger than the whole file.");
    QByteArray badSize = good;
    badSize[40] = 2;  // the first record two words long, less than its own header
    EXPECT_EQ(read(badSize).error, "The metafile's record 1 has a bad size.");
    // The first record is 10 bytes, the second 10: cut 6 bytes into the second, past its size.
    EXPECT_EQ(read(good.left(56)).error, "The metafile is cut short inside record 2.");
}

TEST(WmfPicture, EveryTruncatedCopyGivesAnError) {
    const QByteArray full = placeableMap();
    for (qsizetype n = 0; n < full.size(); ++n) {
        const Result r = read(full.left(n));
        EXPECT_TRUE(r.image.isNull()) << "cut at " << n;
        EXPECT_FALSE(r.error.empty()) << "cut at " << n;
    }
}

TEST(WmfPicture, RandomBytesGiveAnError) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 2000);
    for (int i = 0; i < 200; ++i) {
        QByteArray junk;
        for (int n = length(random); n > 0; --n) junk.append(static_cast<char>(byte(random)));
        const Result r = read(junk);
        EXPECT_TRUE(r.image.isNull());
        EXPECT_FALSE(r.error.empty());
    }
}

TEST(WmfPicture, DamagedBytesOrRecordsGiveAPictureOrAnErrorNeverACrash) {
    // Each byte of a good file overwritten in turn: headers, sizes, functions and parameters all go wrong.
    const QByteArray good = placeableMap();
    for (qsizetype at = 0; at < good.size(); ++at) {
        for (int value : {0x00, 0xFF, 0x7F, static_cast<unsigned char>(good[at]) ^ 0x55}) {
            QByteArray bad = good;
            bad[at] = static_cast<char>(value);
            expectPictureXorError(read(bad));
        }
    }
    // Well-framed records with random functions and parameters: reaches libwmf's record decoding itself.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> word(0, 0xFFFF);
    std::uniform_int_distribution<int> count(0, 12);
    for (int i = 0; i < 300; ++i) {
        Metafile m;
        m.window(0, 0, 200, 100);
        for (int r = 0; r < 8; ++r) {
            std::vector<std::uint16_t> params(static_cast<std::size_t>(count(random)));
            for (auto& p : params) p = static_cast<std::uint16_t>(word(random));
            m.record(static_cast<std::uint16_t>(word(random)), params);
        }
        expectPictureXorError(read(m.bytes(Frame{0, 0, 200, 100, 96})));
    }
}

TEST(WmfPicture, LooksLikeWmfKnowsTheTwoHeaders) {
    EXPECT_TRUE(looksLikeWmf(placeableMap().left(8)));
    EXPECT_TRUE(looksLikeWmf(pageWithBlackBox(10, 10, 2, 2, 8, 8).bytes(std::nullopt).left(8)));
    EXPECT_FALSE(looksLikeWmf(QByteArray("\x89PNG\r\n\x1a\n", 8)));
    EXPECT_FALSE(looksLikeWmf(QByteArray("BM\x36\x00\x00\x00\x00\x00", 8)));
    EXPECT_FALSE(looksLikeWmf(QByteArray()));
}

}  // namespace
}  // namespace brelvo::mapview
