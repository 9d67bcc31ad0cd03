// Drawing the hydrograph chart with Qt Charts.
#include "app/chart_view.hpp"

#include <QCursor>
#include <QToolTip>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

#include "common/numbers.hpp"

namespace brelvo::app {

namespace {

const QColor kLineColours[] = {QColor(0xD6, 0x45, 0x2A), QColor(0x1F, 0x6F, 0xB4), QColor(0x2E, 0x8B, 0x57),
                               QColor(0x8E, 0x44, 0xAD), QColor(0xE6, 0x9B, 0x00), QColor(0x17, 0xA2, 0xB8),
                               QColor(0x6C, 0x75, 0x7D), QColor(0xC2, 0x18, 0x5B)};

QList<QPointF> qtPoints(const std::vector<runoff::ChartPoint>& points) {
    QList<QPointF> out;
    out.reserve(static_cast<qsizetype>(points.size()));
    for (const auto& p : points) out.append(QPointF(p.hours, p.value));
    return out;
}

// Axis ticks at round values from 0: 1, 2 or 5 × 10^k, about `ticks` of them.
void roundTicks(QValueAxis* axis, double max, int ticks) {
    const double spacing = runoff::tickSpacing(max, ticks);
    const double top = spacing * std::max(1.0, std::ceil(max / spacing - 1e-9));
    axis->setRange(0, top);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(spacing);
    axis->setLabelFormat(QStringLiteral("%g"));
}

}  // namespace

ChartView::ChartView(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
    setToolTip(QStringLiteral("Double-click to enlarge the chart or to put it back"));
    auto* c = new QChart;
    c->setMargins(QMargins(6, 6, 6, 6));
    c->legend()->setAlignment(Qt::AlignBottom);
    setChart(c);
    time_ = new QValueAxis;
    time_->setTitleText(QStringLiteral("Time (hours)"));
    runoff_ = new QValueAxis;
    runoff_->setTitleText(QStringLiteral("Runoff (cfs)"));
    depth_ = new QValueAxis;
    depth_->setTitleText(QStringLiteral("Excess Rainfall (in)"));
    depth_->setReverse(true);
    c->addAxis(time_, Qt::AlignBottom);
    c->addAxis(runoff_, Qt::AlignLeft);
    c->addAxis(depth_, Qt::AlignRight);
    excess_ = new QLineSeries;
    excess_->setName(QStringLiteral("Excess rainfall (in)"));
    QPen pen(QColor(0x3B, 0x7D, 0xD8));
    pen.setWidthF(1.5);
    excess_->setPen(pen);
    c->addSeries(excess_);
    excess_->attachAxis(time_);
    excess_->attachAxis(depth_);
    updateAxes();
}

void ChartView::addRun(const runoff::RunPlot& plot) {
    runs_.push_back(plot);
    const std::size_t index = runs_.size() - 1;
    auto* line = new QLineSeries;
    line->setName(QString::fromStdString(plot.name));
    QPen pen(kLineColours[index % std::size(kLineColours)]);
    pen.setWidthF(2);
    line->setPen(pen);
    line->replace(qtPoints(plot.line));
    chart()->addSeries(line);
    line->attachAxis(time_);
    line->attachAxis(runoff_);
    connect(line, &QLineSeries::hovered, this, [this, index](const QPointF& point, bool entered) {
        if (entered) {
            QToolTip::showText(QCursor::pos(), hoverText(index, point.x()), this);
        } else {
            QToolTip::hideText();
        }
    });
    lines_.push_back(line);
    // Only the current run's excess is shown: a routing run has none.
    excessPoints_ = plot.excess;
    showExcess();
    updateAxes();
}

void ChartView::clear() {
    for (auto* line : lines_) {
        chart()->removeSeries(line);
        delete line;
    }
    lines_.clear();
    runs_.clear();
    excessPoints_.clear();
    showExcess();
    updateAxes();
}

void ChartView::showExcess() {
    // More steps than the plot has pixels are thinned to about two points per pixel.
    const int pixels = std::max(100, static_cast<int>(chart()->plotArea().width()));
    excess_->replace(qtPoints(runoff::thinned(excessPoints_, 2 * pixels)));
    for (auto* marker : chart()->legend()->markers(excess_)) marker->setVisible(!excessPoints_.empty());
}

void ChartView::updateAxes() {
    double hours = 0, flow = 0, depth = 0;
    for (const auto& run : runs_) {
        for (const auto& p : run.line) {
            hours = std::max(hours, p.hours);
            flow = std::max(flow, p.value);
        }
    }
    for (const auto& p : excessPoints_) {
        hours = std::max(hours, p.hours);
        depth = std::max(depth, p.value);
    }
    roundTicks(time_, hours > 0 ? hours : 1, 10);
    roundTicks(runoff_, flow > 0 ? flow * 1.1 : 1, 6);
    // The steps hang from the top and take the upper part of the plot, clear of the hydrographs.
    roundTicks(depth_, depth > 0 ? depth * 2.5 : 1, 5);
}

QString ChartView::hoverText(std::size_t index, double hours) const {
    if (index >= runs_.size() || runs_[index].line.empty()) return {};
    const auto& line = runs_[index].line;
    const auto after = std::lower_bound(line.begin(), line.end(), hours,
                                        [](const runoff::ChartPoint& p, double h) { return p.hours < h; });
    auto nearest = after == line.end() ? line.end() - 1 : after;
    if (after != line.begin() && after != line.end() && hours - (after - 1)->hours < after->hours - hours)
        nearest = after - 1;
    return QString::fromStdString(runs_[index].name + "\n" +
                                  common::generalText(static_cast<float>(nearest->hours)) + " h, " +
                                  common::generalText(static_cast<float>(nearest->value)) + " cfs");
}

void ChartView::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    // The thinning follows the plot's width.
    if (!excessPoints_.empty()) showExcess();
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    QChartView::mouseDoubleClickEvent(event);
    if (onDoubleClick) onDoubleClick();
}

}  // namespace brelvo::app
