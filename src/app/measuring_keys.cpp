#include "app/measuring_keys.hpp"

#include <array>

namespace brelvo::app {

namespace {

using A = MeasuringAction;
constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
const Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

// One binding a line (the formatter would set twenty in columns).
// clang-format off
const std::array<KeyBinding, 20> kKeys{{
    {Qt::Key_N, kCtrl, A::NewProject},
    {Qt::Key_O, kCtrl, A::OpenProject},
    {Qt::Key_S, kCtrl, A::SaveProject},
    {Qt::Key_S, kCtrlShift, A::SaveProjectAs},
    {Qt::Key_P, kCtrl, A::PrintReport},
    {Qt::Key_Q, kCtrl, A::Quit},
    {Qt::Key_Z, kCtrl, A::Undo},
    {Qt::Key_Backspace, kNone, A::UndoPoint},
    {Qt::Key_Escape, kNone, A::Escape},
    {Qt::Key_L, kCtrl, A::ShowListing},
    {Qt::Key_F1, kNone, A::Help},
    {Qt::Key_Plus, kNone, A::ZoomIn},
    {Qt::Key_Equal, kNone, A::ZoomIn},
    {Qt::Key_Minus, kNone, A::ZoomOut},
    {Qt::Key_0, kCtrl, A::ZoomToMap},
    {Qt::Key_B, kCtrl, A::ZoomToBasin},
    {Qt::Key_Up, kNone, A::PanUp},
    {Qt::Key_Down, kNone, A::PanDown},
    {Qt::Key_Left, kNone, A::PanLeft},
    {Qt::Key_Right, kNone, A::PanRight},
}};
// clang-format on

bool matches(const KeyBinding& binding, int key, Qt::KeyboardModifiers modifiers) {
    if (binding.key != key) return false;
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (ctrl != static_cast<bool>(binding.modifiers & Qt::ControlModifier)) return false;
    if (!ctrl) return true;
    return static_cast<bool>(modifiers & Qt::ShiftModifier) ==
           static_cast<bool>(binding.modifiers & Qt::ShiftModifier);
}

}  // namespace

std::span<const KeyBinding> measuringKeys() {
    return kKeys;
}

std::optional<MeasuringAction> actionOfKey(int key, Qt::KeyboardModifiers modifiers) {
    for (const auto& binding : kKeys)
        if (matches(binding, key, modifiers)) return binding.action;
    return std::nullopt;
}

QKeySequence shortcutOf(MeasuringAction action) {
    for (const auto& binding : kKeys)
        if (binding.action == action) return QKeySequence(binding.modifiers | Qt::Key(binding.key));
    return {};
}

mapview::WheelTurn wheelTurnOf(Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::ShiftModifier) return mapview::WheelTurn::Pan;
    if (modifiers & Qt::ControlModifier) return mapview::WheelTurn::FineZoom;
    return mapview::WheelTurn::Zoom;
}

bool worksInRunoffWindow(MeasuringAction action) {
    switch (action) {
        case A::NewProject:
        case A::OpenProject:
        case A::SaveProject:
        case A::SaveProjectAs:
        case A::PrintReport:
        case A::Quit:
            return true;
        default:
            return false;
    }
}

}  // namespace brelvo::app
