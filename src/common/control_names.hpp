// The names of the controls of both windows (text boxes, labels, lists, check boxes, option groups), as
// the script runner, the dump and the field model know them. Code names a control only through these
// constants; the field model treats any other name as a programming error.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common::controls {

// ---- Form1: the measuring window ----
namespace form1 {
inline constexpr std::string_view kForm1 = "Form1";
// A script names a control of this window as "Form1." + name where both windows have one.
inline constexpr std::string_view kQualifier = "Form1.";
inline constexpr std::string_view kMapView = "UserControlPic1";
inline constexpr std::string_view kPicture = "Image1";
inline constexpr std::string_view kLstMenu1 = "lstMenu1";
inline constexpr std::string_view kLstMenu2 = "lstMenu2";
inline constexpr std::string_view kText1 = "Text1";
inline constexpr std::string_view kLabel1 = "Label1";
inline constexpr std::string_view kLine1 = "Line1";
inline constexpr std::string_view kShape1 = "Shape1";
inline constexpr std::string_view kShape2 = "Shape2";
inline constexpr std::string_view kImg4Way = "img4Way";
inline constexpr std::string_view kFrameScale = "frameScale";
inline constexpr std::string_view kText2 = "Text2";
inline constexpr std::string_view kUpDown1 = "UpDown1";
inline constexpr std::string_view kUpDown1Up = "UpDown1.up";
inline constexpr std::string_view kUpDown1Down = "UpDown1.down";
inline constexpr std::string_view kOption1 = "Option1";
inline constexpr std::string_view kCommand1 = "Command1";
// An element of a control array: "Label1(3)", "Option1(0)".
inline std::string indexed(std::string_view arrayName, int index) {
    return std::string(arrayName) + "(" + std::to_string(index) + ")";
}
// (end of form1)
}  // namespace form1

// ---- Form3: the runoff window ----
namespace form3 {
// (end of form3)
}  // namespace form3

}  // namespace brelvo::common::controls
