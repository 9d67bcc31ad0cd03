// The names of the controls of both windows (text boxes, labels, lists, check boxes, option groups), as
// the script runner, the dump and the field model know them. Code names a control only through these
// constants; the field model treats any other name as a programming error.
#pragma once

#include <string_view>

namespace brelvo::common::controls {

// ---- Form1: the measuring window ----
namespace form1 {
// (end of form1)
}  // namespace form1

// ---- Form3: the runoff window ----
namespace form3 {
// (end of form3)
}  // namespace form3

}  // namespace brelvo::common::controls
