// The bitmap section's stride and bottom-up layout, and JPEG files written from it and read back with QImage.
#include "mapview/dib_section.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSize>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <ctime>
#include <string>

#include "common/failure.hpp"
#include "mapview/jpeg_writer.hpp"

namespace brelvo::mapview {
namespace {

// A picture whose every pixel differs, so that any shift, flip or channel swap shows.
QImage distinctPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(10 + 20 * x, 100 + 30 * y, 250 - 9 * x - 40 * y));
    }
    return image;
}

// The three bytes of picture pixel (x, y) in the section, as red, green, blue.
QRgb sectionPixel(const cDIBSection& dib, int x, int y) {
    const std::uint8_t* p = dib.DIBSectionBitsPtr() + (dib.Height() - 1 - y) * dib.BytesPerScanLine() + 3 * x;
    return qRgb(p[2], p[1], p[0]);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The failure WriteJpegFile throws for these arguments; number 0 when it throws none.
struct Caught {
    int number = 0;
    std::string source;
    std::string description;
};
Caught writeAndCatch(const cDIBSection& dib, const std::string& file) {
    Caught caught;
    try {
        mIntelJPEGLibrary::WriteJpegFile(dib, file, 90);
    } catch (const mIntelJPEGLibrary::JpegFailure& failure) {
        caught = {failure.number(), failure.source(), failure.description()};
    }
    return caught;
}

TEST(DibSection, RowsArePaddedToFourBytes) {
    const int expectedStride[] = {4, 8, 12, 12, 16};
    for (int width = 1; width <= 5; ++width) {
        cDIBSection dib;
        ASSERT_TRUE(dib.Create(width, 3));
        EXPECT_EQ(dib.Width(), width);
        EXPECT_EQ(dib.Height(), 3);
        EXPECT_EQ(dib.BytesPerScanLine(), expectedStride[width - 1]) << "width " << width;
        EXPECT_EQ(dib.ImageSize(), 3 * expectedStride[width - 1]) << "width " << width;
    }
    // 3 x width + 3 beyond 32-bit signed range is an overflow, and no section is left behind.
    cDIBSection wide;
    try {
        wide.Create(800'000'000, 1);
        ADD_FAILURE() << "no overflow";
    } catch (const common::RuntimeFailure& failure) {
        EXPECT_EQ(failure.number(), 6);
    }
    EXPECT_EQ(wide.DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(wide.Width(), 0);
}

TEST(DibSection, PictureIsStoredBottomUpInBlueGreenRed) {
    const QImage picture = distinctPicture(5, 3);
    cDIBSection dib;
    dib.CreateFromPicture(picture);
    ASSERT_EQ(dib.Width(), 5);
    ASSERT_EQ(dib.Height(), 3);
    ASSERT_EQ(dib.BytesPerScanLine(), 16);
    const std::uint8_t* bits = dib.DIBSectionBitsPtr();
    // Picture pixel (0, 0) is (10, 100, 250): the first pixel of the last row in memory, blue first.
    EXPECT_EQ(bits[32], 250);
    EXPECT_EQ(bits[33], 100);
    EXPECT_EQ(bits[34], 10);
    // Picture pixel (4, 2) is (90, 160, 134): the last pixel of the first row in memory.
    EXPECT_EQ(bits[12], 134);
    EXPECT_EQ(bits[13], 160);
    EXPECT_EQ(bits[14], 90);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) EXPECT_EQ(sectionPixel(dib, x, y), picture.pixel(x, y)) << x << "," << y;
        EXPECT_EQ(bits[16 * y + 15], 0) << "pad byte of memory row " << y;
    }
}

TEST(DibSection, ASecondSectionReplacesTheFirstAndANullPictureLeavesItEmpty) {
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(5, 4));
    ASSERT_TRUE(dib.Create(3, 2));
    EXPECT_EQ(dib.Width(), 3);
    EXPECT_EQ(dib.Height(), 2);
    EXPECT_EQ(dib.ImageSize(), 2 * 12);

    dib.CreateFromPicture(QImage());  // no picture: the section is released, no error
    EXPECT_EQ(dib.Width(), 0);
    EXPECT_EQ(dib.Height(), 0);
    EXPECT_EQ(dib.BytesPerScanLine(), 0);
    EXPECT_EQ(dib.ImageSize(), 0);
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
}

// Four colour blocks: a left-right mirror swaps red and green, an upside-down picture red and blue.
TEST(JpegWriter, PictureIsWrittenUprightAndUnmirroredAtTheGivenQuality) {
    QImage picture(5, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool right = x >= 2;
            const bool bottom = y >= 2;
            picture.setPixel(x, y,
                             bottom ? (right ? qRgb(255, 255, 0) : qRgb(0, 0, 255))
                                    : (right ? qRgb(0, 255, 0) : qRgb(255, 0, 0)));
        }
    }
    cDIBSection dib;
    dib.CreateFromPicture(picture);
    ASSERT_EQ(dib.BytesPerScanLine(), 16);  // one pad byte a row, which the encoder must skip

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("map.jpg");
    EXPECT_TRUE(mIntelJPEGLibrary::WriteJpegFile(dib, path.toStdString(), 90));

    const QImage back(path, "JPG");
    ASSERT_FALSE(back.isNull());
    ASSERT_EQ(back.width(), 5);
    ASSERT_EQ(back.height(), 4);
    // JPEG is lossy and these blocks meet at hard edges, so each channel of a corner may be off by up to
    // 24 of 255 (13 seen); a mirrored or upside-down picture would be off by 255 in some channel.
    const struct {
        int x, y;
        QRgb colour;
    } corners[] = {
        {0, 0, qRgb(255, 0, 0)}, {4, 0, qRgb(0, 255, 0)}, {0, 3, qRgb(0, 0, 255)}, {4, 3, qRgb(255, 255, 0)}};
    for (const auto& c : corners) {
        const QRgb got = back.pixel(c.x, c.y);
        EXPECT_NEAR(qRed(got), qRed(c.colour), 24) << c.x << "," << c.y;
        EXPECT_NEAR(qGreen(got), qGreen(c.colour), 24) << c.x << "," << c.y;
        EXPECT_NEAR(qBlue(got), qBlue(c.colour), 24) << c.x << "," << c.y;
    }

    // Quality 90 scales the standard luminance table by 20%: its first entry, 16, becomes 3 (quality 75,
    // the usual default, would give 8).
    const QByteArray bytes = readAll(path);
    const qsizetype dqt = bytes.indexOf(QByteArray("\xFF\xDB", 2));
    ASSERT_GE(dqt, 0);
    ASSERT_GT(bytes.size(), dqt + 5);
    EXPECT_EQ(static_cast<unsigned char>(bytes[dqt + 4]), 0x00);  // 8-bit table number 0
    EXPECT_EQ(static_cast<unsigned char>(bytes[dqt + 5]), 3);
}

TEST(JpegWriter, OverwrittenFileKeepsItsTimesAndPermissionsAndANewFileGetsCurrentOnes) {
    cDIBSection dib;
    dib.CreateFromPicture(distinctPicture(5, 3));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string old = dir.filePath("old.jpg").toStdString();
    {
        QFile file(QString::fromStdString(old));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("an older picture");
    }
    ASSERT_EQ(::chmod(old.c_str(), 0640), 0);
    const struct timespec times[2] = {{978'307'200, 250'000'000},
                                      {1'012'608'000, 123'456'789}};  // 2001, 2002
    ASSERT_EQ(::utimensat(AT_FDCWD, old.c_str(), times, 0), 0);

    EXPECT_TRUE(mIntelJPEGLibrary::WriteJpegFile(dib, old, 90));
    struct stat after {};
    ASSERT_EQ(::stat(old.c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, 1'012'608'000);
    EXPECT_EQ(after.st_mtim.tv_nsec, 123'456'789);
    EXPECT_EQ(after.st_atim.tv_sec, 978'307'200);
    EXPECT_EQ(after.st_atim.tv_nsec, 250'000'000);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_TRUE(QImage(QString::fromStdString(old), "JPG").size() == QSize(5, 3));  // the new picture
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);    // no temporary left

    // A new file is stamped now and gets the umask's permissions, not a temporary file's private ones.
    const mode_t previousMask = ::umask(022);
    const std::string fresh = dir.filePath("new.jpg").toStdString();
    const std::time_t before = std::time(nullptr);
    const bool written = mIntelJPEGLibrary::WriteJpegFile(dib, fresh, 90);
    ::umask(previousMask);
    EXPECT_TRUE(written);
    struct stat created {};
    ASSERT_EQ(::stat(fresh.c_str(), &created), 0);
    EXPECT_EQ(created.st_mode & 07777, 0644u);
    EXPECT_GE(created.st_mtim.tv_sec, before);
}

TEST(JpegWriter, LinkToAnOlderPictureIsWrittenThroughAndAFolderIsRefused) {
    cDIBSection dib;
    dib.CreateFromPicture(distinctPicture(5, 3));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString real = dir.filePath("real.jpg");
    {
        QFile file(real);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("an older picture");
    }
    ASSERT_TRUE(QFile::link(real, dir.filePath("link.jpg")));
    EXPECT_TRUE(mIntelJPEGLibrary::WriteJpegFile(dib, dir.filePath("link.jpg").toStdString(), 90));
    EXPECT_TRUE(QFileInfo(dir.filePath("link.jpg")).isSymLink());
    EXPECT_TRUE(QImage(real, "JPG").size() == QSize(5, 3));

    // A folder by the name is not replaced: the run's access error, before any file is written.
    ASSERT_TRUE(QDir(dir.path()).mkdir("map.jpg"));
    int number = 0;
    try {
        mIntelJPEGLibrary::WriteJpegFile(dib, dir.filePath("map.jpg").toStdString(), 90);
    } catch (const common::RuntimeFailure& failure) {
        number = failure.number();
    }
    EXPECT_EQ(number, 75);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"link.jpg", "map.jpg", "real.jpg"}));
}

TEST(JpegWriter, UnwritableFolderRaises26001AndWritesNothing) {
    cDIBSection dib;
    dib.CreateFromPicture(distinctPicture(5, 3));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A folder that is not there cannot be written into, whoever runs the test (permission bits would not
    // stop root).
    const Caught caught = writeAndCatch(dib, dir.filePath("no such folder/map.jpg").toStdString());
    EXPECT_EQ(caught.number, 26001);
    EXPECT_EQ(caught.source, "dib_section_tests.mIntelJPEGLibrary");
    EXPECT_EQ(caught.description, "Failed to save to JPG -2");
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST(JpegWriter, FailedWriteLeavesTheExistingFileAsItWas) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("map.jpg");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the picture saved last time");
    }
    cDIBSection empty;  // nothing to encode: the encoder refuses
    const Caught caught = writeAndCatch(empty, path.toStdString());
    EXPECT_EQ(caught.number, 26001);
    EXPECT_EQ(caught.description, "Failed to save to JPG -1");
    EXPECT_EQ(readAll(path), QByteArray("the picture saved last time"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

}  // namespace
}  // namespace brelvo::mapview
