// Windows metafile (WMF) map pictures, which Qt cannot read, rendered to a QImage through libwmf.
#pragma once

#include <QByteArray>
#include <QImage>

namespace brelvo::mapview {

// Largest rendered side accepted, pixels. A metafile states its own size, so a bad header must not be able
// to ask for gigabytes; a map drawn at 20000 pixels a side is already far beyond any screen.
inline constexpr unsigned kMaxWmfSidePixels = 20000;

// Renders a Windows metafile, the whole file's bytes, to a picture at its own display size: never a
// null image. Placeable metafiles are drawn at 96 pixels per inch, as Windows shows them; standard
// metafiles at one logical unit per pixel. The drawing keeps its proportions: it is scaled uniformly to
// fit the size the file states. A file that cannot be drawn throws common::RuntimeFailure "Invalid
// picture" with the reason as its cause ("The metafile is cut short inside record 3.").
QImage readWmfPicture(const QByteArray& bytes);

// True when the first bytes are a placeable metafile key (0x9AC6CDD7) or a standard metafile header.
bool looksLikeWmf(const QByteArray& head);

}  // namespace brelvo::mapview
