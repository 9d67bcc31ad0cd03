// The 24-bit bottom-up bitmap: its row stride, its memory, and the copy of a picture into it.
#include "mapview/dib_section.hpp"

#include <cstring>
#include <limits>
#include <new>

#include "common/failure.hpp"

namespace brelvo::mapview {

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// (3 x width + 3) with the two lowest bits cleared, computed in 32-bit signed range as the header stores it.
std::int32_t strideFor(std::int32_t width) {
    const std::int64_t padded = 3 * static_cast<std::int64_t>(width) + 3;
    if (padded > kInt32Max) throw common::overflow();
    return static_cast<std::int32_t>(padded & ~std::int64_t{3});
}

}  // namespace

bool cDIBSection::Create(std::int32_t lWidth, std::int32_t lHeight) {
    release();
    return CreateDIB(lWidth, lHeight);
}

bool cDIBSection::CreateDIB(std::int32_t lWidth, std::int32_t lHeight) {
    const std::int32_t stride = strideFor(lWidth);
    // A negative height would mean top-down rows; this section is bottom-up only.
    if (lWidth <= 0 || lHeight <= 0) return false;
    const std::int64_t size = static_cast<std::int64_t>(stride) * lHeight;
    if (size > kInt32Max) throw common::overflow();
    try {
        bits_.assign(static_cast<std::size_t>(size), 0);  // zero: black pixels and zero pad bytes
    } catch (const std::bad_alloc&) {
        std::vector<std::uint8_t>().swap(bits_);
        return false;
    }
    width_ = lWidth;
    height_ = lHeight;
    stride_ = stride;
    return true;
}

void cDIBSection::CreateFromPicture(const QImage& picThis) {
    if (Create(picThis.width(), picThis.height())) copyPicture(picThis);
}

// The picture's row y lies in memory row height - 1 - y.
void cDIBSection::copyPicture(const QImage& picture) {
    const QImage rows = picture.convertToFormat(QImage::Format_BGR888);
    if (rows.isNull()) return;  // out of memory: the section stays black
    const auto rowBytes = static_cast<std::size_t>(3 * static_cast<std::int64_t>(width_));
    for (std::int32_t y = 0; y < height_; ++y) {
        std::memcpy(bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_, rows.constScanLine(y),
                    rowBytes);
    }
}

void cDIBSection::release() {
    std::vector<std::uint8_t>().swap(bits_);  // clear() alone would keep the memory
    width_ = 0;
    height_ = 0;
    stride_ = 0;
}

}  // namespace brelvo::mapview
