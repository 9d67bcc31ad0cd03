// A 24-bit blue-green-red bottom-up bitmap in memory, filled from a picture, ready for the JPEG writer.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

namespace brelvo::mapview {

// Raster operations of LoadPictureBlt: the usual three-operand codes, whose bits 16..23 are the truth
// table over pattern, source and destination. The section has no brush, so the pattern is taken as the
// white brush a fresh drawing surface starts with; every code is accepted, these are the common ones.
inline constexpr std::uint32_t kSrcCopy = 0x00CC0020;     // source
inline constexpr std::uint32_t kSrcPaint = 0x00EE0086;    // source OR destination
inline constexpr std::uint32_t kSrcAnd = 0x008800C6;      // source AND destination
inline constexpr std::uint32_t kSrcInvert = 0x00660046;   // source XOR destination
inline constexpr std::uint32_t kSrcErase = 0x00440328;    // source AND NOT destination
inline constexpr std::uint32_t kNotSrcCopy = 0x00330008;  // NOT source
inline constexpr std::uint32_t kDstInvert = 0x00550009;   // NOT destination
inline constexpr std::uint32_t kBlackness = 0x00000042;   // all bits 0
inline constexpr std::uint32_t kWhiteness = 0x00FF0062;   // all bits 1

// The pixels: rows of three bytes a pixel in blue, green, red order, each row padded with zero bytes to a
// multiple of 4, the picture's bottom row first in memory. The memory is the object's own; there is no
// device context behind it, pictures come in as QImage. Not copyable: the bits pointer handed out must
// stay tied to the one object that frees it.
class cDIBSection {
  public:
    cDIBSection() = default;
    ~cDIBSection();
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

    // Copies the block of lSrcWidth x lSrcHeight pixels at (lSrcLeft, lSrcTop) of the source to the
    // section's top-left corner, combined with what is there by the raster operation eRop. A negative
    // width or height means the section's. The block is clipped to the source and to the section; section
    // pixels it does not reach are left as they are. Nothing happens on an empty section.
    void LoadPictureBlt(const QImage& source, std::int32_t lSrcLeft, std::int32_t lSrcTop,
                        std::int32_t lSrcWidth = -1, std::int32_t lSrcHeight = -1,
                        std::uint32_t eRop = kSrcCopy);

    // Frees the pixels and sets every size, the handle and the bits pointer to 0. Harmless when empty.
    void ClearUp();

    std::int32_t Width() const noexcept { return width_; }
    std::int32_t Height() const noexcept { return height_; }
    // 3 x Width rounded up to a multiple of 4: width 1 gives 4, width 4 gives 12, width 5 gives 16.
    std::int32_t BytesPerScanLine() const noexcept { return stride_; }
    // BytesPerScanLine x Height: the bytes behind DIBSectionBitsPtr.
    std::int32_t ImageSize() const noexcept { return static_cast<std::int32_t>(bits_.size()); }
    // Non-zero while a section exists, and different for every section made: a stand-in for the bitmap
    // handle, by which callers can tell an empty section and a re-created one.
    std::uintptr_t hDib() const noexcept { return handle_; }
    // First byte of the bottom row; null when empty.
    const std::uint8_t* DIBSectionBitsPtr() const noexcept { return bits_.empty() ? nullptr : bits_.data(); }
    std::uint8_t* DIBSectionBitsPtr() noexcept { return bits_.empty() ? nullptr : bits_.data(); }

  private:
    bool CreateDIB(std::int32_t lWidth, std::int32_t lHeight);

    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t stride_ = 0;
    std::uintptr_t handle_ = 0;
    std::vector<std::uint8_t> bits_;
};

}  // namespace brelvo::mapview
