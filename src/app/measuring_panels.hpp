// What the measuring window's widgets share: the panels' look over the map, the coordinate listing's
// size, and the names and buttons as the measuring logic knows them.
#pragma once

#include <QColor>
#include <QMargins>
#include <QString>
#include <string_view>

#include "app/panel_widgets.hpp"
#include "common/control_names.hpp"
#include "measure/command_controller.hpp"

namespace brelvo::app::panels {

inline constexpr int kText1WidthPixels = 560;
inline constexpr int kText1HeightPixels = 300;

// The panels over the map: a grey border with rounded corners, near-black text.
inline constexpr QRgb kPanelBorderGrey = 0x8a9099;
inline constexpr QRgb kPanelText = 0x1c2128;

inline PanelLook panelLook(QColor fill, int radius = 3) {
    return {fill, QColor(kPanelBorderGrey), radius};
}

// A label's panel lets the map show through a little.
inline PanelLabel* newPanelLabel(int whiteAlpha, QMargins padding, QWidget* parent) {
    return new PanelLabel(panelLook(QColor(255, 255, 255, whiteAlpha)), padding, QColor(kPanelText), parent);
}

inline measure::MouseButton measureButton(Qt::MouseButton button) {
    return button == Qt::LeftButton    ? measure::MouseButton::Left
           : button == Qt::RightButton ? measure::MouseButton::Right
                                       : measure::MouseButton::Middle;
}

inline QString qName(std::string_view name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace brelvo::app::panels
