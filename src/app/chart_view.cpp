// Drawing the hydrograph chart with Qt Charts (the charts plugin).
#include "app/chart_view.hpp"

#include <QBuffer>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGraphicsItem>
#include <QGraphicsLayout>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QToolTip>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "runoff/chart_svg.hpp"

namespace brelvo::app {

namespace {

QColor qtColour(std::uint32_t rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

QList<QPointF> qtPoints(const std::vector<runoff::ChartPoint>& points) {
    QList<QPointF> out;
    out.reserve(static_cast<qsizetype>(points.size()));
    for (const auto& p : points) out.append(QPointF(p.hours, p.value));
    return out;
}

// Sets an axis to its round ticks. Every change of range or spacing lays the chart out again, so only
// what changed is set, in the order that never has a wide range with a fine spacing (which would lay
// out a tick for every step of it).
void roundTicks(QValueAxis* axis, const runoff::AxisTicks& t) {
    if (axis->tickType() != QValueAxis::TicksDynamic) axis->setTickType(QValueAxis::TicksDynamic);
    if (axis->tickAnchor() != 0) axis->setTickAnchor(0);
    const bool coarser = t.spacing >= axis->tickInterval();
    if (coarser && axis->tickInterval() != t.spacing) axis->setTickInterval(t.spacing);
    if (axis->min() != 0 || axis->max() != t.top) axis->setRange(0, t.top);
    if (!coarser) axis->setTickInterval(t.spacing);
    if (axis->labelFormat() != QStringLiteral("%g")) axis->setLabelFormat(QStringLiteral("%g"));
}

}  // namespace

// The excess steps, drawn by the chart itself over the plot and under the hydrographs as one filled band
// (their outline, a column a pixel at most). As a series they would have Qt Charts build a hover outline
// of every step on each change, the slowest part of showing a long run, and the steps take no pointer.
// Drawn without smoothing: they are level and upright, and stay sharp.
class ChartView::ExcessSteps : public QGraphicsItem {
  public:
    ExcessSteps(QChart* chart, const QValueAxis* time, const QValueAxis* depth, QColor colour)
        : QGraphicsItem(chart), chart_(chart), time_(time), depth_(depth), pen_(colour, 1), brush_(colour) {
        setAcceptedMouseButtons(Qt::NoButton);
        setAcceptHoverEvents(false);
    }

    const QList<QPointF>& points() const { return points_; }
    void setPoints(QList<QPointF> points) {
        points_ = std::move(points);
        update();
    }
    // The plot moved or was resized.
    void plotAreaChanged() {
        prepareGeometryChange();
        update();
    }

    QRectF boundingRect() const override { return chart_->plotArea(); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        const QRectF plot = chart_->plotArea();
        const double hours = time_->max() - time_->min(), inches = depth_->max() - depth_->min();
        if (points_.isEmpty() || plot.isEmpty() || !(hours > 0) || !(inches > 0)) return;
        QPolygonF mapped;
        mapped.reserve(points_.size());
        // The depth axis is reversed: no excess at the top of the plot.
        for (const QPointF& p : points_) {
            mapped.append(QPointF(plot.left() + (p.x() - time_->min()) * plot.width() / hours,
                                  plot.top() + (p.y() - depth_->min()) * plot.height() / inches));
        }
        painter->save();
        painter->setClipRect(plot);
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(pen_);
        painter->setBrush(brush_);
        painter->drawPolygon(mapped);
        painter->restore();
    }

  private:
    QChart* chart_;
    const QValueAxis* time_;
    const QValueAxis* depth_;
    QPen pen_;
    QBrush brush_;
    QList<QPointF> points_;
};

ChartView::~ChartView() {
    // The chart and the steps go with the scene after this object; nothing of this object may be told
    // of their last layout.
    disconnect(chart(), nullptr, this, nullptr);
}

QList<QPointF> ChartView::excessPoints() const {
    return steps_->points();
}

ChartView::ChartView(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
    setToolTip(QStringLiteral("Double-click to enlarge the chart or to put it back"));
    auto* c = new QChart;
    c->setMargins(QMargins(6, 6, 6, 6));
    c->legend()->setAlignment(Qt::AlignBottom);
    // The view lets go of the chart it was made with: that one is ours to delete.
    QChart* first = chart();
    setChart(c);
    delete first;
    time_ = new QValueAxis;
    time_->setTitleText(QStringLiteral("Time (hours)"));
    runoff_ = new QValueAxis;
    runoff_->setTitleText(QStringLiteral("Runoff (cfs)"));
    depth_ = new QValueAxis;
    depth_->setTitleText(QStringLiteral("Excess Rainfall (in)"));
    depth_->setReverse(true);
    // The runoff axis draws the grid; a second set of level lines for the depths would only confuse.
    depth_->setGridLineVisible(false);
    c->addAxis(time_, Qt::AlignBottom);
    c->addAxis(runoff_, Qt::AlignLeft);
    c->addAxis(depth_, Qt::AlignRight);
    // The legend's entry for the steps: a series of no points, in the steps' colour.
    excess_ = new QLineSeries;
    excess_->setName(QStringLiteral("Excess rainfall (in)"));
    QPen pen(qtColour(runoff::kExcessColour));
    pen.setWidthF(1);
    excess_->setPen(pen);
    c->addSeries(excess_);
    excess_->attachAxis(time_);
    excess_->attachAxis(depth_);
    steps_ = new ExcessSteps(c, time_, depth_, qtColour(runoff::kExcessColour));
    // Over the grid (z 2) and the axes (z 3), under the hydrographs (Qt Charts puts its lines at z 4).
    steps_->setZValue(3.5);
    connect(c, &QChart::plotAreaChanged, this, [this] { steps_->plotAreaChanged(); });
    showExcess();  // no steps yet: no legend entry for them either
    updateAxes();
}

void ChartView::addRun(runoff::RunPlot run) {
    // Only the current run's excess is shown: a routing run has none.
    excessPoints_ = std::move(run.excess);
    run.excess.clear();
    runs_.push_back(std::move(run));
    const runoff::RunPlot& plot = runs_.back();
    const std::size_t index = runs_.size() - 1;
    // The axes first: every change of an axis makes each series on it lay out all its points again.
    updateAxes();
    auto* line = new QLineSeries;
    line->setName(QString::fromStdString(plot.name));
    QPen pen(qtColour(runoff::lineColour(index)));
    pen.setWidthF(2);
    line->setPen(pen);
    // A line of more ordinates than the plot has pixels is drawn thinned to about a point a pixel: the
    // two-pixel pen shows no more than that, and a wide pen costs its time by the point. The pointer
    // still reads every ordinate.
    chart()->addSeries(line);
    line->attachAxis(time_);
    line->attachAxis(runoff_);
    // The chart lays out its axes' labels and the legend for the new run now, so that the points, set
    // last, are laid out once on the plot as it is drawn, and thinned to its width.
    showExcessMarker();
    if (QGraphicsLayout* layout = chart()->layout()) layout->activate();
    line->replace(qtPoints(runoff::thinned(plot.line, plotPixels())));
    connect(line, &QLineSeries::hovered, this, [this, index](const QPointF& point, bool entered) {
        if (entered) {
            hoveredRun_ = index;
            QToolTip::showText(QCursor::pos(), hoverText(index, point.x()), this);
        } else if (hoveredRun_ == index) {
            hoveredRun_.reset();
            QToolTip::hideText();
        }
    });
    lines_.push_back(line);
    showExcess();
}

bool ChartView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QChartView::viewportEvent(event);
    // The scene answers a tooltip request for items only, and hides any other tip: the text of the
    // line under the pointer would go as soon as Qt asks. The chart answers it itself, from where the
    // pointer is now.
    const auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(), hoverTextAt(help->pos()), this);
    return true;
}

QString ChartView::hoverTextAt(const QPoint& viewportPos) const {
    if (!hoveredRun_ || *hoveredRun_ >= lines_.size()) return toolTip();
    const QPointF value =
        chart()->mapToValue(chart()->mapFromScene(mapToScene(viewportPos)), lines_[*hoveredRun_]);
    return hoverText(*hoveredRun_, value.x());
}

void ChartView::clear() {
    hoveredRun_.reset();
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

int ChartView::plotPixels() const {
    // Before the first layout the plot has no width yet: the widget's width stands in for it.
    const double plot = chart()->plotArea().width();
    return std::max(100, static_cast<int>(plot > 0 ? plot : width()));
}

void ChartView::showExcess() {
    // More steps than the plot has pixels are taken a pixel column at a time, each as deep as its deepest.
    steps_->setPoints(qtPoints(runoff::excessOutline(excessPoints_, plotPixels())));
    showExcessMarker();
}

void ChartView::showExcessMarker() {
    for (auto* marker : chart()->legend()->markers(excess_)) marker->setVisible(!excessPoints_.empty());
}

void ChartView::updateAxes() {
    const runoff::ChartAxes axes = runoff::chartAxes(runs_, excessPoints_);
    roundTicks(time_, axes.time);
    roundTicks(runoff_, axes.runoff);
    roundTicks(depth_, axes.excess);
}

QString ChartView::hoverText(std::size_t index, double hours) const {
    if (index >= runs_.size() || runs_[index].line.empty()) return {};
    const runoff::ChartPoint& nearest = runoff::nearestPoint(runs_[index].line, hours);
    return QString::fromStdString(runs_[index].name + "\n" +
                                  common::generalText(static_cast<float>(nearest.hours)) + " h, " +
                                  common::generalText(static_cast<float>(nearest.value)) + " cfs");
}

std::string ChartView::svg(int width, int height) const {
    return runoff::chartSvg(runs_, excessPoints_, width, height);
}

QByteArray ChartView::png() {
    // At the screen's device pixel ratio, as it is seen.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!grab().save(&buffer, "PNG")) return {};
    return bytes;
}

void ChartView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QString::fromLatin1(common::msg::kEntryExportChart), this, [this] {
        if (onExport) onExport();
    });
    menu.exec(event->globalPos());
}

void ChartView::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    // The thinning follows the plot's width.
    if (!excessPoints_.empty()) showExcess();
    for (std::size_t i = 0; i < lines_.size(); ++i)
        lines_[i]->replace(qtPoints(runoff::thinned(runs_[i].line, plotPixels())));
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    QChartView::mouseDoubleClickEvent(event);
    if (onDoubleClick) onDoubleClick();
}

}  // namespace brelvo::app
