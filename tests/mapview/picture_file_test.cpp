// Reading map picture files: missing and damaged files, raster pictures, and metafiles recognised by
// their name or by their first bytes.
#include "mapview/picture_file.hpp"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/failure.hpp"
#include "mapview/jpeg_reader.hpp"

namespace brelvo::mapview {
namespace {

namespace fs = std::filesystem;

void put16(QByteArray& b, std::uint16_t v) {
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>(v >> 8));
}

void put32(QByteArray& b, std::uint32_t v) {
    put16(b, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(b, static_cast<std::uint16_t>(v >> 16));
}

// A placeable metafile 96 x 48 units at 96 units per inch, filled with one pure red rectangle.
QByteArray redMetafile() {
    QByteArray records;
    auto record = [&records](std::uint16_t function, const std::vector<std::uint16_t>& params) {
        put32(records, static_cast<std::uint32_t>(3 + params.size()));
        put16(records, function);
        for (const std::uint16_t p : params) put16(records, p);
    };
    record(0x020B, {0, 0});             // window origin
    record(0x020C, {48, 96});           // window extent: height, width
    record(0x02FA, {5, 0, 0, 0, 0});    // null pen
    record(0x012D, {0});                // select it
    record(0x02FC, {0, 0x00FF, 0, 0});  // solid red brush (colour 0x000000FF)
    record(0x012D, {1});
    record(0x041B, {48, 96, 0, 0});  // rectangle: bottom, right, top, left
    put32(records, 3);               // end record
    put16(records, 0);

    QByteArray h;
    put32(h, 0x9AC6CDD7u);
    for (const std::uint16_t w : {0, 0, 0, 96, 48, 96}) put16(h, w);  // handle, box, units per inch
    put32(h, 0);
    std::uint16_t checksum = 0;
    for (int i = 0; i < 20; i += 2) {
        checksum ^= static_cast<std::uint16_t>(static_cast<unsigned char>(h[i]) |
                                               (static_cast<unsigned char>(h[i + 1]) << 8));
    }
    put16(h, checksum);
    put16(h, 1);
    put16(h, 9);
    put16(h, 0x0300);
    put32(h, static_cast<std::uint32_t>(9 + records.size() / 2));
    put16(h, 2);  // objects
    put32(h, 8);  // largest record, words
    put16(h, 0);
    return h + records;
}

// A picture file as the window takes it: the picture, or the failure's number and text as shown.
struct Shown {
    QImage image;
    int number = 0;
    std::string shown;
};
Shown load(const std::string& path) {
    try {
        return {readPictureFile(path), 0, {}};
    } catch (const common::RuntimeFailure& failure) {
        return {QImage(), failure.number(), common::failureText(failure)};
    }
}

class PictureFileTest : public ::testing::Test {
  protected:
    PictureFileTest() {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = fs::path(::testing::TempDir()) / ("brelvo_picture_file_" + test);
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    ~PictureFileTest() override { fs::remove_all(folder); }

    std::string write(const std::string& name, const QByteArray& bytes) const {
        const std::string path = (folder / name).string();
        QFile out(QString::fromStdString(path));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    }

    fs::path folder;
};

TEST_F(PictureFileTest, MissingFileAndFolderAreNotFound) {
    const Shown missing = load((folder / "absent.png").string());
    EXPECT_TRUE(missing.image.isNull());
    EXPECT_EQ(missing.number, 53);
    EXPECT_EQ(missing.shown, "File not found");
    const Shown folderItself = load(folder.string());
    EXPECT_EQ(folderItself.shown, "File not found");
}

TEST_F(PictureFileTest, BytesThatAreNoPictureAreInvalid) {
    const Shown text = load(write("notes.bmp", "These are not the pixels of a map."));
    EXPECT_TRUE(text.image.isNull());
    EXPECT_EQ(text.number, 481);
    EXPECT_EQ(text.shown, "Invalid picture");
}

TEST_F(PictureFileTest, RasterPictureIsReadWithItsPixels) {
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(QColor(0, 0, 255));
    picture.setPixelColor(2, 1, QColor(10, 200, 30));
    {
        QFile file(QString::fromStdString((folder / "map.png").string()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(picture.save(&file, "PNG"));
    }
    const Shown read = load((folder / "map.png").string());
    EXPECT_EQ(read.shown, "");
    ASSERT_EQ(read.image.size(), QSize(3, 2));
    EXPECT_EQ(read.image.pixelColor(0, 0), QColor(0, 0, 255));
    EXPECT_EQ(read.image.pixelColor(2, 1), QColor(10, 200, 30));
}

TEST_F(PictureFileTest, MetafileIsRecognisedByItsFirstBytesWhateverItsName) {
    const Shown read = load(write("scan.pic", redMetafile()));
    EXPECT_EQ(read.shown, "");
    ASSERT_EQ(read.image.size(), QSize(96, 48));
    EXPECT_EQ(read.image.pixelColor(48, 24), QColor(255, 0, 0));
}

TEST_F(PictureFileTest, NameEndingInWmfIsReadAsAMetafileOnly) {
    // A good PNG named .WMF goes to the metafile reader, which refuses it.
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QFile file(QString::fromStdString((folder / "map.WMF").string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(picture.save(&file, "PNG"));
    file.close();
    const Shown read = load((folder / "map.WMF").string());
    EXPECT_TRUE(read.image.isNull());
    EXPECT_EQ(read.shown, "Invalid picture\nNot a Windows metafile.");
    // The same bytes under a raster name are a picture.
    fs::copy_file(folder / "map.WMF", folder / "map.png");
    EXPECT_EQ(load((folder / "map.png").string()).image.size(), QSize(4, 4));
}

TEST_F(PictureFileTest, AMetafileThatCannotBeDrawnSaysWhyOnTheLineAfterInvalidPicture) {
    // 40 header bytes, then records of 10, 10 and 16 bytes: cut 4 bytes into the third.
    const Shown cut = load(write("cut.wmf", redMetafile().left(72)));
    EXPECT_EQ(cut.number, 481);
    EXPECT_EQ(cut.shown, "Invalid picture\nThe metafile is cut short inside record 3.");
    QByteArray noEnd = redMetafile();
    noEnd.chop(6);
    EXPECT_EQ(load(write("no_end.wmf", noEnd)).shown,
              "Invalid picture\nThe metafile is cut short: its end record is missing.");
    // Far past any map drawing: refused by its size before a byte is read (the file is sparse).
    const std::string huge = write("huge.wmf", redMetafile());
    fs::resize_file(huge, (256u << 20) + 1);
    EXPECT_EQ(load(huge).shown,
              "Invalid picture\nThe metafile is larger than 256 MiB, too large for a map picture.");
}

// A colour picture with smooth and sharp detail, so that every decoding step (upsampling, the inverse
// transform, rounding) shows in the pixels.
QImage detailedPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>((noise >> 16) % 40);
            picture.setPixelColor(x, y,
                                  QColor((x * 5 + grain) % 256, (y * 7) % 256, ((x + y) % 9 < 4 ? 230 : 20)));
        }
    }
    return picture;
}

QByteArray encoded(const QImage& picture, const char* format, int quality = 85) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(picture.save(&buffer, format, quality));
    return bytes;
}

// Qt's own reading of a file, orientation applied, as the program read every raster picture before.
QImage qtReading(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(true);
    return reader.read();
}

TEST_F(PictureFileTest, ColourJpegIsDecodedDirectlyToQtsPixels) {
    const std::string path = write("map.jpg", encoded(detailedPicture(77, 51), "JPG"));
    const std::optional<QImage> direct = decodeJpegDirect(path, 1LL << 30);
    ASSERT_TRUE(direct.has_value());
    const QImage qt = qtReading(path);
    ASSERT_EQ(qt.format(), QImage::Format_RGB32);
    EXPECT_EQ(direct->format(), QImage::Format_RGB32);
    ASSERT_EQ(direct->size(), QSize(77, 51));
    EXPECT_TRUE(*direct == qt);  // every pixel, bit for bit
    EXPECT_EQ(direct->pixel(0, 0) >> 24, 0xFFu);

    const Shown read = load(path);
    EXPECT_EQ(read.shown, "");
    EXPECT_TRUE(read.image == qt);
    // The picture keeps its pixels after a copy is changed (the buffer is the image's own).
    QImage copy = read.image;
    copy.setPixel(0, 0, 0xFF000000u);
    EXPECT_TRUE(read.image == qt);
}

TEST_F(PictureFileTest, JpegsTheDirectPathDeclinesAreReadAsBefore) {
    const QByteArray colour = encoded(detailedPicture(40, 30), "JPG");

    // Grey pictures stay grey.
    const std::string grey =
        write("grey.jpg", encoded(detailedPicture(40, 30).convertToFormat(QImage::Format_Grayscale8), "JPG"));
    EXPECT_FALSE(decodeJpegDirect(grey, 1LL << 30).has_value());
    EXPECT_EQ(load(grey).image.format(), QImage::Format_Grayscale8);
    EXPECT_TRUE(load(grey).image == qtReading(grey));

    // An orientation tag of 6 (turned a quarter clockwise): the picture is read turned.
    QByteArray exif("\xFF\xE1", 2);
    QByteArray tiff("II*\0", 4);
    put32(tiff, 8);
    put16(tiff, 1);
    put16(tiff, 0x0112);
    put16(tiff, 3);
    put32(tiff, 1);
    put16(tiff, 6);
    put16(tiff, 0);
    put32(tiff, 0);
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
    exif.append(static_cast<char>((body.size() + 2) >> 8));
    exif.append(static_cast<char>((body.size() + 2) & 0xFF));
    const std::string turned = write("turned.jpg", colour.left(2) + exif + body + colour.mid(2));
    EXPECT_FALSE(decodeJpegDirect(turned, 1LL << 30).has_value());
    EXPECT_EQ(load(turned).image.size(), QSize(30, 40));
    // The same tag saying "as stored" keeps the direct path.
    QByteArray upright = colour.left(2) + exif + body + colour.mid(2);
    upright[2 + 4 + 6 + 8 + 2 + 8] = 1;
    const std::string plain = write("upright.jpg", upright);
    ASSERT_TRUE(decodeJpegDirect(plain, 1LL << 30).has_value());
    EXPECT_EQ(decodeJpegDirect(plain, 1LL << 30)->size(), QSize(40, 30));

    // Damaged: whatever Qt's reader makes of it, the program shows the same.
    const std::string cut = write("cut.jpg", colour.left(colour.size() / 2));
    EXPECT_FALSE(decodeJpegDirect(cut, 1LL << 30).has_value());
    const QImage qtCut = qtReading(cut);
    EXPECT_TRUE(load(cut).image == qtCut);
    const std::string header = write("header.jpg", colour.left(40));
    EXPECT_FALSE(decodeJpegDirect(header, 1LL << 30).has_value());
    EXPECT_EQ(load(header).shown, "Invalid picture");

    // Past the size limit, and no JPEG at all.
    const std::string fits = write("fits.jpg", colour);
    EXPECT_FALSE(decodeJpegDirect(fits, 40 * 30 * 4 - 1).has_value());
    EXPECT_TRUE(decodeJpegDirect(fits, 40 * 30 * 4).has_value());
    EXPECT_FALSE(
        decodeJpegDirect(write("map.png", encoded(detailedPicture(4, 4), "PNG")), 1LL << 30).has_value());
}

}  // namespace
}  // namespace brelvo::mapview
