// Reading a map picture file: the format is recognised by its name and first bytes, Windows metafiles
// go through the metafile reader and every other picture through Qt's image readers, within size limits
// that keep a damaged or hostile file from exhausting memory.
#pragma once

#include <QImage>
#include <string>

namespace brelvo::mapview {

// Large scanned maps are normal; a bad header must still not ask for more than this (MiB).
inline constexpr int kPictureAllocationLimitMiB = 4096;
// Metafiles are drawing records, so one far past this size is no map picture (bytes).
inline constexpr long long kMetafileLimitBytes = 256LL * 1024 * 1024;

// The picture in the file, never a null image. A file whose name ends in ".wmf" (any case) or whose
// first bytes are a metafile header is read as a metafile; anything else as a raster picture, turned as
// its orientation tag says. A missing file throws common::RuntimeFailure "File not found"; a file that is
// no picture "Invalid picture", with the reason as its cause where the reader knows it (metafiles).
QImage readPictureFile(const std::string& path);

}  // namespace brelvo::mapview
