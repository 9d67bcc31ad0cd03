// The charts of the runoff and frequency windows. They are drawn with Qt Charts, which lives in a plugin
// (libbrelvo_charts.so) loaded the first time a chart is made, so that starting the program does not
// load it. Without the plugin a chart says so in its place; its exports still work from what it holds.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runoff/chart_series.hpp"

class QLineSeries;
class QValueAxis;
class QWidget;

namespace brelvo::app {

// The runoff window's chart: every run's hydrograph as a line against time in hours (one series per
// run, named for what it is), the excess rainfall of the current run as a band hanging from the top on
// the secondary axis, ticks at round hours, and the time and flow of the nearest ordinate under the
// pointer.
class HydrographChart {
  public:
    virtual ~HydrographChart() = default;
    // The chart's widget (a child of the parent it was made with).
    virtual QWidget* widget() = 0;

    // A run's hydrograph joins the chart; its excess replaces the excess of earlier runs.
    virtual void addRun(runoff::RunPlot run) = 0;
    // Nothing left on the chart.
    virtual void clear() = 0;
    // What the pointer shows over run `index` at `hours`: its name, and the time and flow of its
    // nearest ordinate ("Runoff 1 (...)\n2.5 h, 242 cfs").
    virtual QString hoverText(std::size_t index, double hours) const = 0;
    // The chart as an SVG document of width × height pixels, and as PNG bytes as shown on the screen.
    virtual std::string svg(int width, int height) const = 0;
    virtual QByteArray png() = 0;

    // What is drawn: the lines, in the order of the runs; the excess band's outline (hours, inches);
    // the series of no points that gives the band its legend entry; the time axis (none without the
    // plugin).
    virtual std::vector<QLineSeries*> hydrographSeries() const = 0;
    virtual QList<QPointF> excessPoints() const = 0;
    virtual QLineSeries* excessSeries() const = 0;
    virtual QValueAxis* timeAxis() const = 0;

    std::function<void()> onDoubleClick;
    // The context menu's "Export Chart...".
    std::function<void()> onExport;
};

// One storm's hydrograph on the frequency window's chart: its name and its points (hours, cfs).
struct FrequencyStorm {
    QString name;
    QList<QPointF> points;
};

// The frequency window's two charts: the peak against return period on a logarithmic axis, and every
// storm's hydrograph.
class FrequencyCharts {
  public:
    virtual ~FrequencyCharts() = default;
    virtual QWidget* peakChart() = 0;
    virtual QWidget* hydrographChart() = 0;
    // peaks: (return period in years, peak in cfs), rising in years.
    virtual void show(const QList<QPointF>& peaks, const std::vector<FrequencyStorm>& storms) = 0;
    // What is drawn: the peak line's points, the base of the return-period axis (0 without one), the
    // hydrographs' names.
    virtual QList<QPointF> peakLine() const = 0;
    virtual double periodAxisBase() const = 0;
    virtual QStringList hydrographNames() const = 0;
};

// The plugin's file name and its one function, which answers its chart makers.
struct ChartsPlugin {
    HydrographChart* (*newHydrographChart)(QWidget* parent);
    FrequencyCharts* (*newFrequencyCharts)(QWidget* parent);
};
inline constexpr const char* kChartsPluginFile = "libbrelvo_charts.so";
inline constexpr const char* kChartsPluginEntry = "brelvo_charts_v1";
using ChartsPluginEntry = const ChartsPlugin* (*)();

// The charts, the plugin loaded the first time. Their widgets are children of `parent`; deleting a chart
// deletes its widgets.
std::unique_ptr<HydrographChart> newHydrographChart(QWidget* parent);
std::unique_ptr<FrequencyCharts> newFrequencyCharts(QWidget* parent);
// Whether the plugin has been loaded in this run (start-up must not load it).
bool chartsPluginLoaded();

}  // namespace brelvo::app
