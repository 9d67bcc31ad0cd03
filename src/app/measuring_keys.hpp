// The measuring window's keys: one table from key and modifiers to what they do. The menu bar's
// shortcuts are set from it and the window's key handling dispatches through it, so a key is mapped
// once and runs its action once.
#pragma once

#include <QKeySequence>
#include <Qt>
#include <optional>
#include <span>

#include "mapview/pan_zoom.hpp"

namespace brelvo::app {

enum class MeasuringAction {
    NewProject,
    OpenProject,
    SaveProject,
    SaveProjectAs,
    PrintReport,
    Quit,
    Undo,       // the last point while tracing, else the last Clear Area/Line
    UndoPoint,  // the last point of the line being traced
    Escape,     // closes a list, cancels the scale panel or the line being traced
    ShowListing,
    Help,
    ZoomIn,
    ZoomOut,
    ZoomToMap,    // the whole picture in the view
    ZoomToBasin,  // the last basin traced or delineated in the view
    PanUp,
    PanDown,
    PanLeft,
    PanRight,
};

struct KeyBinding {
    int key;
    // Qt::ControlModifier and Qt::ShiftModifier as they must be held; a key without Ctrl works with
    // Shift too (the plus key is typed with it on many keyboards).
    Qt::KeyboardModifiers modifiers;
    MeasuringAction action;
};

// Every binding; an action's first binding is the one its menu entry shows.
std::span<const KeyBinding> measuringKeys();
// What a key does in the measuring window; nothing when it means nothing there.
std::optional<MeasuringAction> actionOfKey(int key, Qt::KeyboardModifiers modifiers);
// The menu shortcut of an action; empty when no key is bound to it.
QKeySequence shortcutOf(MeasuringAction action);
// What a turn of the mouse wheel over the map does with these modifiers held: Shift pans sideways, Ctrl
// zooms by fine steps, nothing held zooms by notches.
mapview::WheelTurn wheelTurnOf(Qt::KeyboardModifiers modifiers);
// The actions whose keys also work in the runoff window (projects, printing, quitting).
bool worksInRunoffWindow(MeasuringAction action);

}  // namespace brelvo::app
