// Windows metafile (WMF) map pictures, which Qt cannot read, rendered to a QImage through libwmf in the
// metafile plugin, loaded the first time a metafile is opened.
#pragma once

#include <QByteArray>
#include <QImage>
#include <string>

namespace brelvo::mapview {

// Largest rendered side accepted, pixels. A metafile states its own size, so a bad header must not be able
// to ask for gigabytes; a map drawn at 20000 pixels a side is already far beyond any screen.
inline constexpr unsigned kMaxWmfSidePixels = 20000;

// Renders a Windows metafile, the whole file's bytes, to a picture at its own display size: never a
// null image. Placeable metafiles are drawn at 96 pixels per inch, as Windows shows them; standard
// metafiles at one logical unit per pixel. The drawing keeps its proportions: it is scaled uniformly to
// fit the size the file states. A file that cannot be drawn throws common::RuntimeFailure "Invalid
// picture" with the reason as its cause ("The metafile is cut short inside record 3."), as does a
// program without its metafile plugin.
QImage readWmfPicture(const QByteArray& bytes);

// The plugin's file name and its one function: draws the metafile `bytes` into `picture` (true), or
// says why it cannot in `cause` (false).
inline constexpr const char* kWmfPluginFile = "libbrelvo_wmf.so";
inline constexpr const char* kWmfPluginEntry = "brelvo_read_wmf_v1";
using WmfPluginEntry = bool (*)(const QByteArray* bytes, QImage* picture, std::string* cause) noexcept;

// True when the first bytes are a placeable metafile key (0x9AC6CDD7) or a standard metafile header.
bool looksLikeWmf(const QByteArray& head);

}  // namespace brelvo::mapview
