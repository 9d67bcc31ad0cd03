// Printing on the default printer. Qt's printing support lives in a plugin (libbrelvo_print.so) that is
// loaded the first time something is printed, so that starting the program does not load it.
#pragma once

#include <functional>

class QPagedPaintDevice;
class QWidget;

namespace brelvo::app {

// What is printed: the pages painted on the printer, with the print dialog first when it has a parent.
struct PrintJob {
    QWidget* dialogParent = nullptr;  // nullptr: printed without asking
    bool landscape = false;
    std::function<void(QPagedPaintDevice&)> paint;
};

// The plugin's file name and its one function, which answers 0 when there is no default printer
// (nothing printed), 1 when the pages were printed and 2 when the print dialog was cancelled. An
// exception of `paint` passes through it.
inline constexpr const char* kPrintPluginFile = "libbrelvo_print.so";
inline constexpr const char* kPrintPluginEntry = "brelvo_print_v1";
using PrintPluginEntry = int (*)(PrintJob* job);

enum class Printed { noPrinter, printed, cancelled };

// Prints the job through the plugin; noPrinter as well when the plugin cannot be loaded (the caller
// then offers a PDF file instead, as it does without a printer).
Printed printPages(PrintJob job);

}  // namespace brelvo::app
