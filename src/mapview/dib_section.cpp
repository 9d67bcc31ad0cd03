// The 24-bit bottom-up bitmap: its row stride, its memory, and block copies into it from pictures.
#include "mapview/dib_section.hpp"

#include <QRect>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <new>

#include "common/failure.hpp"

namespace brelvo::mapview {

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// Handles are never reused, so a caller holding an old one can tell it is stale.
std::atomic<std::uintptr_t> lastHandle{0};

// (3 x width + 3) with the two lowest bits cleared, computed in 32-bit signed range as the header stores it.
std::int32_t strideFor(std::int32_t width) {
    const std::int64_t padded = 3 * static_cast<std::int64_t>(width) + 3;
    if (padded > kInt32Max) throw common::overflow();
    return static_cast<std::int32_t>(padded & ~std::int64_t{3});
}

// One byte of a three-operand raster operation with the pattern all ones (a white brush): only the upper
// half of the truth table, indexed by source and destination bits, can apply.
std::uint8_t combine(std::uint8_t table, std::uint8_t s, std::uint8_t d) {
    unsigned r = 0;
    if (table & 0x10) r |= ~s & ~d & 0xFFu;
    if (table & 0x20) r |= ~s & d & 0xFFu;
    if (table & 0x40) r |= s & ~d & 0xFFu;
    if (table & 0x80) r |= s & d;
    return static_cast<std::uint8_t>(r);
}

// Operations such as blackness or destination inversion do not read the source, so they reach the whole
// block even where the source picture ends.
bool readsSource(std::uint8_t table) {
    return ((table >> 4) & 0x3) != ((table >> 6) & 0x3);
}

}  // namespace

cDIBSection::~cDIBSection() {
    ClearUp();
}

bool cDIBSection::Create(std::int32_t lWidth, std::int32_t lHeight) {
    ClearUp();
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
    handle_ = ++lastHandle;
    return true;
}

void cDIBSection::CreateFromPicture(const QImage& picThis) {
    if (Create(picThis.width(), picThis.height())) LoadPictureBlt(picThis, 0, 0, -1, -1, kSrcCopy);
}

void cDIBSection::LoadPictureBlt(const QImage& source, std::int32_t lSrcLeft, std::int32_t lSrcTop,
                                 std::int32_t lSrcWidth, std::int32_t lSrcHeight, std::uint32_t eRop) {
    if (bits_.empty()) return;
    const auto table = static_cast<std::uint8_t>((eRop >> 16) & 0xFFu);
    // The block in section pixels, clipped to the section: [0, w) x [0, h).
    const std::int64_t w = lSrcWidth < 0 ? width_ : std::min<std::int64_t>(lSrcWidth, width_);
    const std::int64_t h = lSrcHeight < 0 ? height_ : std::min<std::int64_t>(lSrcHeight, height_);
    // Section pixel (x, y) takes source pixel (lSrcLeft + x, lSrcTop + y); the picture's row y lies in
    // memory row height - 1 - y. Bounds in 64 bits: left + width may leave 32-bit range.
    std::int64_t x0 = 0, y0 = 0, x1 = w, y1 = h;
    if (readsSource(table)) {
        if (source.isNull()) return;
        x0 = std::max<std::int64_t>(x0, -std::int64_t{lSrcLeft});
        y0 = std::max<std::int64_t>(y0, -std::int64_t{lSrcTop});
        x1 = std::min<std::int64_t>(x1, std::int64_t{source.width()} - lSrcLeft);
        y1 = std::min<std::int64_t>(y1, std::int64_t{source.height()} - lSrcTop);
    }
    if (x0 >= x1 || y0 >= y1) return;
    const auto rowBytes = static_cast<std::size_t>(3 * (x1 - x0));
    auto destRow = [&](std::int64_t y) { return bits_.data() + (height_ - 1 - y) * stride_ + 3 * x0; };

    if (!readsSource(table)) {
        for (std::int64_t y = y0; y < y1; ++y) {
            std::uint8_t* d = destRow(y);
            for (std::size_t i = 0; i < rowBytes; ++i) d[i] = combine(table, 0, d[i]);
        }
        return;
    }
    // Only the block is converted, so a small copy out of a large picture stays small.
    const QRect from(static_cast<int>(lSrcLeft + x0), static_cast<int>(lSrcTop + y0),
                     static_cast<int>(x1 - x0), static_cast<int>(y1 - y0));
    const QImage block = source.copy(from).convertToFormat(QImage::Format_BGR888);
    if (block.isNull()) return;  // out of memory: the section stays as it was
    for (std::int64_t y = y0; y < y1; ++y) {
        const std::uint8_t* s = block.constScanLine(static_cast<int>(y - y0));
        std::uint8_t* d = destRow(y);
        if (table == 0xCC) {  // plain source copy
            std::memcpy(d, s, rowBytes);
        } else {
            for (std::size_t i = 0; i < rowBytes; ++i) d[i] = combine(table, s[i], d[i]);
        }
    }
}

void cDIBSection::ClearUp() {
    std::vector<std::uint8_t>().swap(bits_);  // clear() alone would keep the memory
    width_ = 0;
    height_ = 0;
    stride_ = 0;
    handle_ = 0;
}

}  // namespace brelvo::mapview
