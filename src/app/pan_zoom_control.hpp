// The pan/zoom control: a 49 x 33 pixel grey face with an arrow pad on the left two thirds and a plus
// sign above a minus sign on the right third; it reports where a mouse button was released.
#pragma once

#include <QWidget>
#include <functional>

namespace brelvo::app {

class PanZoomControl : public QWidget {
  public:
    static constexpr int kWidth = 49;  // pixels
    static constexpr int kHeight = 33;

    explicit PanZoomControl(QWidget* parent);

    // Called with the release point in control pixels.
    std::function<void(QPointF)> onRelease;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace brelvo::app
