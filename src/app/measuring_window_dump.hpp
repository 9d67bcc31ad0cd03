// The measuring window's dump for the script runner: the Form1 object (what a user sees, keyed by
// control name) and the measuring document's state ("MeasureState").
#pragma once

namespace brelvo::app {

class JsonWriter;
class MainWindow;

void dumpMeasuringWindow(const MainWindow& window, JsonWriter& json);

}  // namespace brelvo::app
