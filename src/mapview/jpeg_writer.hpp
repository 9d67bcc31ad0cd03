// Writes a cDIBSection as a JPEG file through libjpeg-turbo, keeping an overwritten file's times and mode.
#pragma once

#include <cstdint>
#include <string>

#include "common/failure.hpp"
#include "mapview/dib_section.hpp"

namespace brelvo::mapview::mIntelJPEGLibrary {

// Result codes that end the failure descriptions, in decimal. The encoder's own calls report -1; the
// steps of the save have codes of their own.
inline constexpr int kEncoderFailed = -1;     // the encoder could not start, or refused the bitmap or quality
inline constexpr int kFileCreateFailed = -2;  // no file can be made in the target's folder
inline constexpr int kFileWriteFailed = -3;   // the new file could not be written in full
inline constexpr int kFileReplaceFailed = -4;  // the new file could not take the target's name

// A failure of this module: common::failures::kJpegLibrary and, besides the description, the source that
// names the module (the program's file name without extension, then ".mIntelJPEGLibrary").
class JpegFailure : public common::RuntimeFailure {
  public:
    JpegFailure(std::string source, std::string description);
    const std::string& source() const noexcept { return source_; }

  private:
    std::string source_;
};

// Writes the section's picture, upright and unmirrored, to sFile as a baseline JPEG at quality lQuality
// (1 to 100; "Save Map Image" passes 90), same width and height, colour without chroma subsampling.
// Returns true; failures are thrown, never returned:
//   JpegFailure "Failed to initialise the IJL library: <code>" when the encoder cannot be set up;
//   JpegFailure "Failed to save to JPG <code>" when encoding, writing or renaming fails (an empty section
//     or a quality outside 1..100 is refused by the encoder), with the reason as its cause when a file
//     step failed;
//   common::ReplaceFailure ("Path/File access error") before any encoding when the target is a read-only file
//   or a folder.
// The file is saved by common::replaceFile: written beside the target under a temporary name, flushed and
// renamed over it only when complete, so a failure never leaves a partial file and never loses the file
// that was there. An existing target
// (a symbolic link is followed to its file) keeps its access and modification times, its permission bits
// and, as far as this user may set them, its owner and group.
bool WriteJpegFile(const cDIBSection& cDib, const std::string& sFile, std::int32_t lQuality);

}  // namespace brelvo::mapview::mIntelJPEGLibrary
