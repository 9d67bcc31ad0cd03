// The hydrograph chart drawn with Qt Charts, in the charts plugin: every run's hydrograph as a line
// against time in hours (one series per run, named for what it is), the excess rainfall of the current
// run as a band hanging from the top on the secondary axis, ticks at round hours, and the time and flow
// of the nearest ordinate under the pointer.
#pragma once

#include <QByteArray>
#include <QtCharts/QChartView>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/chart_plugin.hpp"
#include "runoff/chart_series.hpp"

class QLineSeries;
class QValueAxis;

namespace brelvo::app {

class ChartView : public QChartView, public HydrographChart {
  public:
    explicit ChartView(QWidget* parent);
    ~ChartView() override;

    QWidget* widget() override { return this; }
    void addRun(runoff::RunPlot run) override;
    void clear() override;
    QString hoverText(std::size_t index, double hours) const override;
    std::string svg(int width, int height) const override;
    QByteArray png() override;
    std::vector<QLineSeries*> hydrographSeries() const override { return lines_; }
    QList<QPointF> excessPoints() const override;
    QLineSeries* excessSeries() const override { return excess_; }
    QValueAxis* timeAxis() const override { return time_; }

    // The tooltip at a point of the viewport: the line under the pointer with its nearest ordinate, or
    // the chart's own tip away from the lines.
    QString hoverTextAt(const QPoint& viewportPos) const;

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
