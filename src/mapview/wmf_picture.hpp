// Windows metafile (WMF) map pictures, which Qt cannot read, rendered to a QImage through libwmf.
#pragma once

#include <QByteArray>
#include <QImage>
#include <string>

namespace brelvo::mapview {

// Largest rendered side accepted, pixels. A metafile states its own size, so a bad header must not be able
// to ask for gigabytes; a map drawn at 20000 pixels a side is already far beyond any screen.
inline constexpr unsigned kMaxWmfSidePixels = 20000;

// Renders a Windows metafile to a picture at its own display size; an error text when it cannot.
// Exactly one of the two is set: a non-null image with an empty error, or a null image with an error.
struct WmfResult {
    QImage image;
    std::string error;
};

// The whole file's bytes. Placeable metafiles are drawn at 96 pixels per inch, as Windows shows them;
// standard metafiles at one logical unit per pixel. The drawing keeps its proportions: it is scaled
// uniformly to fit the size the file states.
WmfResult readWmfPicture(const QByteArray& bytes);

// True when the first bytes are a placeable metafile key (0x9AC6CDD7) or a standard metafile header.
bool looksLikeWmf(const QByteArray& head);

}  // namespace brelvo::mapview
