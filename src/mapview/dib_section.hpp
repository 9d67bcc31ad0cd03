// A 24-bit blue-green-red bottom-up bitmap in memory, filled from a picture, ready for the JPEG writer.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

namespace brelvo::mapview {

// The pixels: rows of three bytes a pixel in blue, green, red order, each row padded with zero bytes to a
// multiple of 4, the picture's bottom row first in memory. The memory is the object's own; there is no
// device context behind it, pictures come in as QImage. Not copyable: the bits pointer handed out must
// stay tied to the one object that frees it.
class cDIBSection {
  public:
    cDIBSection() = default;
    cDIBSection(const cDIBSection&) = delete;
    cDIBSection& operator=(const cDIBSection&) = delete;

    // Releases any previous section, then makes a zero-filled (black) one of lWidth x lHeight pixels.
    // False, leaving the section empty, when a side is not positive or the memory cannot be had.
    // Throws common::overflow() (6) when 3 x lWidth + 3 or the image size leaves 32-bit signed range.
    bool Create(std::int32_t lWidth, std::int32_t lHeight);

    // A section of the picture's size holding a plain copy of it. A null picture, or one the memory
    // cannot hold, leaves the section empty without an error; a width beyond 32-bit rows raises the
    // overflow of Create. Alpha is dropped.
    void CreateFromPicture(const QImage& picThis);

    std::int32_t Width() const noexcept { return width_; }
    std::int32_t Height() const noexcept { return height_; }
    // 3 x Width rounded up to a multiple of 4: width 1 gives 4, width 4 gives 12, width 5 gives 16.
    std::int32_t BytesPerScanLine() const noexcept { return stride_; }
    // BytesPerScanLine x Height: the bytes behind DIBSectionBitsPtr.
    std::int32_t ImageSize() const noexcept { return static_cast<std::int32_t>(bits_.size()); }
    // First byte of the bottom row; null when empty.
    const std::uint8_t* DIBSectionBitsPtr() const noexcept { return bits_.empty() ? nullptr : bits_.data(); }
    std::uint8_t* DIBSectionBitsPtr() noexcept { return bits_.empty() ? nullptr : bits_.data(); }

  private:
    void release();
    bool CreateDIB(std::int32_t lWidth, std::int32_t lHeight);
    void copyPicture(const QImage& picture);

    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t stride_ = 0;
    std::vector<std::uint8_t> bits_;
};

}  // namespace brelvo::mapview
