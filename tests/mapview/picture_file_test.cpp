// Reading map picture files: missing and damaged files, raster pictures, and metafiles recognised by
// their name or by their first bytes.
#include "mapview/picture_file.hpp"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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
    const PictureFile missing = readPictureFile((folder / "absent.png").string());
    EXPECT_TRUE(missing.image.isNull());
    EXPECT_EQ(missing.error, "File not found");
    const PictureFile folderItself = readPictureFile(folder.string());
    EXPECT_EQ(folderItself.error, "File not found");
}

TEST_F(PictureFileTest, BytesThatAreNoPictureAreInvalid) {
    const PictureFile text = readPictureFile(write("notes.bmp", "These are not the pixels of a map."));
    EXPECT_TRUE(text.image.isNull());
    EXPECT_EQ(text.error, "Invalid picture");
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
    const PictureFile read = readPictureFile((folder / "map.png").string());
    EXPECT_EQ(read.error, "");
    ASSERT_EQ(read.image.size(), QSize(3, 2));
    EXPECT_EQ(read.image.pixelColor(0, 0), QColor(0, 0, 255));
    EXPECT_EQ(read.image.pixelColor(2, 1), QColor(10, 200, 30));
}

TEST_F(PictureFileTest, MetafileIsRecognisedByItsFirstBytesWhateverItsName) {
    const PictureFile read = readPictureFile(write("scan.pic", redMetafile()));
    EXPECT_EQ(read.error, "");
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
    const PictureFile read = readPictureFile((folder / "map.WMF").string());
    EXPECT_TRUE(read.image.isNull());
    EXPECT_EQ(read.error, "Invalid picture");
    // The same bytes under a raster name are a picture.
    fs::copy_file(folder / "map.WMF", folder / "map.png");
    EXPECT_EQ(readPictureFile((folder / "map.png").string()).image.size(), QSize(4, 4));
}

}  // namespace
}  // namespace brelvo::mapview
