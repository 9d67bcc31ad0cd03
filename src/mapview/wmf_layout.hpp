// The layout of a Windows metafile, checked before the metafile reader sees a byte.
#pragma once

#include <QByteArray>
#include <string>

namespace brelvo::mapview {

// Checks the headers and walks the records without interpreting them: every record must lie inside the
// file and the last one must be the end record. libwmf then never runs off the end of the bytes, and a
// file cut short is reported as such instead of as whatever libwmf makes of the missing tail. The reason
// the file is refused; empty when its layout is sound. `placeable`: whether it has a placeable header.
std::string checkWmfLayout(const QByteArray& bytes, bool& placeable);

}  // namespace brelvo::mapview
