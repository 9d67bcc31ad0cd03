// The program's folder: data files are read from it and every file dialog opens in it.
#pragma once

#include <string>

namespace brelvo::common {

// The folder of the running executable, without a trailing separator; the current folder when unknown.
std::string programFolder();

}  // namespace brelvo::common
