// The hydrograph chart drawn from its data grid: column 1 (excess rainfall, inches) as bars hanging
// from the top on the secondary axis, every further column (cfs) as a line of its own colour.
#pragma once

#include <QtCharts/QChartView>
#include <functional>

#include "basin/chart_grid.hpp"

namespace brelvo::app {

class ChartView : public QChartView {
  public:
    ChartView(const basin::ChartGrid& grid, QWidget* parent);

    // Redraw from the grid once pending events are handled; redraw() draws at once.
    void rebuild();
    void redraw();

    std::function<void()> onDoubleClick;

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    const basin::ChartGrid& grid_;
    bool pending_ = false;
};

}  // namespace brelvo::app
