// The coordinate listing's file, dragging the listing and labels, label editing, and the help launcher.
#pragma once

#include <string>

#include "common/dialogs.hpp"
#include "measure/map_surface.hpp"
#include "measure/measure_document.hpp"

namespace brelvo::measure {

// The help text's file name in the program's folder.
inline constexpr const char* kHelpFileName = "BrelvoHelp.txt";

// The help text: kHelpFileName looked for in programFolder, then as every data file is (see
// common::findDataFile).
std::string helpTextPath(const std::string& programFolder);

// The default name of the coordinate file: "BrelixData" + measureNumber + ".txt".
std::string coordinateFileName(const MeasureState& state);

// Cuts the last coordinate line off the listing's text and gives the new length: at the nearest line
// feed among the 21 characters before the last two, else 24 characters. On the ground (`anyLength`) the
// lines hold map coordinates, which may be longer: the nearest line feed at all.
int cutLastCoordinateLine(std::string& text, bool anyLength);

// Right press on Text1: asks for a file name in the program's folder and writes the listing there
// exactly as the box holds it (CR LF line ends, one byte per character). A cancelled dialog or any
// failure ends the save without a word; the file is replaced only once the new text is complete.
// Turns the shared dialog's cancel-raises-error setting on (MeasureDocument::beginSaveThroughSharedDialog).
void SaveCoordinateText(MeasureDocument& doc, common::Dialogs& dialogs, const std::string& programFolder);

// Right press on label `index`: "Edit label:" with its caption as the default; a non-empty answer
// becomes the caption, an empty or cancelled one leaves it.
void editLabel(MeasureDocument& doc, int index, common::Dialogs& dialogs);

// What a drag moves: the coordinate text box, or one label of Label1.
struct DragTarget {
    static DragTarget text1() { return DragTarget{}; }
    static DragTarget label(int index) { return DragTarget{index}; }
    int labelIndex = -1;  // -1: Text1
};

// Left press on Text1 or a label at control-relative view units: where the pointer holds the control.
void dragPress(MeasureDocument& doc, float x, float y);
// The mouse moved with the left button down, control-relative view units: the control moves so that
// the point it was grabbed at stays under the pointer.
void dragMove(MeasureDocument& doc, DragTarget target, float x, float y);

// The desktop's text viewer, as the window layer provides it.
class TextViewer {
  public:
    virtual ~TextViewer() = default;
    // Shows the file in a viewer window; true when a viewer was started.
    virtual bool open(const std::string& path) = 0;
};

// Opens a text file in the viewer. When no viewer starts, an input box titled with the command line
// "notepad " + path shows the user where the file is ("Cant find Notepad.exe"); its answer is ignored.
void OpenInNotepad(const std::string& path, TextViewer& viewer, common::Dialogs& dialogs);

}  // namespace brelvo::measure
