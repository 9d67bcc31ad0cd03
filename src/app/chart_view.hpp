// The hydrograph chart: every run's hydrograph as a line against time in hours (one series per run,
// named for what it is), the excess rainfall of the current run as steps hanging from the top on the
// secondary axis, ticks at round hours, and the time and flow of the nearest ordinate under the pointer.
#pragma once

#include <QByteArray>
#include <QtCharts/QChartView>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runoff/chart_series.hpp"

class QLineSeries;
class QValueAxis;

namespace brelvo::app {

class ChartView : public QChartView {
  public:
    explicit ChartView(QWidget* parent);
    ~ChartView() override;

    // A run's hydrograph joins the chart; its excess replaces the excess of earlier runs.
    void addRun(runoff::RunPlot run);
    // Nothing left on the chart.
    void clear();

    // The lines drawn, in the order of the runs; the excess steps' points as drawn (hours, inches), and
    // the series of no points that gives them their legend entry.
    const std::vector<QLineSeries*>& hydrographSeries() const { return lines_; }
    const QList<QPointF>& excessPoints() const;
    QLineSeries* excessSeries() const { return excess_; }
    QValueAxis* timeAxis() const { return time_; }
    // What the pointer shows over run `index` at `hours`: its name, and the time and flow of its
    // nearest ordinate ("Runoff 1 (...)\n2.5 h, 242 cfs").
    QString hoverText(std::size_t index, double hours) const;
    // The tooltip at a point of the viewport: the line under the pointer with its nearest ordinate, or
    // the chart's own tip away from the lines.
    QString hoverTextAt(const QPoint& viewportPos) const;

    // The chart as an SVG document of width × height pixels, and as PNG bytes as shown on the screen.
    std::string svg(int width, int height) const;
    QByteArray png();

    std::function<void()> onDoubleClick;
    // The context menu's "Export Chart...".
    std::function<void()> onExport;

  protected:
    bool viewportEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void updateAxes();
    void showExcess();
    void showExcessMarker();
    int plotPixels() const;

    class ExcessSteps;

    std::vector<runoff::RunPlot> runs_;  // their names and lines; the excess is the current run's only
    std::vector<QLineSeries*> lines_;
    std::vector<runoff::ChartPoint> excessPoints_;
    QLineSeries* excess_ = nullptr;
    ExcessSteps* steps_ = nullptr;           // a child of the chart
    std::optional<std::size_t> hoveredRun_;  // the line under the pointer
    QValueAxis* time_ = nullptr;
    QValueAxis* runoff_ = nullptr;
    QValueAxis* depth_ = nullptr;
};

}  // namespace brelvo::app
