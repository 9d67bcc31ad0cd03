// Drawing the hydrograph chart with Qt Charts.
#include "app/chart_view.hpp"

#include <QSet>
#include <QTimer>
#include <QtCharts/QBarSet>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>

#include "common/failure.hpp"
#include "common/numbers.hpp"

namespace brelvo::app {

namespace {

const QColor kLineColours[] = {QColor(0xD6, 0x45, 0x2A), QColor(0x1F, 0x6F, 0xB4), QColor(0x2E, 0x8B, 0x57),
                               QColor(0x8E, 0x44, 0xAD), QColor(0xE6, 0x9B, 0x00), QColor(0x17, 0xA2, 0xB8),
                               QColor(0x6C, 0x75, 0x7D), QColor(0xC2, 0x18, 0x5B)};

double cellValue(const std::string& text) {
    try {
        return common::leadingNumber(text);
    } catch (const common::RuntimeFailure&) {
        return 0;
    }
}

}  // namespace

ChartView::ChartView(const basin::ChartGrid& grid, QWidget* parent) : QChartView(parent), grid_(grid) {
    setRenderHint(QPainter::Antialiasing);
    setToolTip(QStringLiteral("Double-click to enlarge the chart or to put it back"));
    redraw();
}

void ChartView::rebuild() {
    // A run writes many cells: the chart is drawn once, when the window next gets to it.
    if (pending_) return;
    pending_ = true;
    QTimer::singleShot(0, this, [this] { redraw(); });
}

void ChartView::redraw() {
    pending_ = false;
    // A fresh chart each time: series and axes never linger from an earlier drawing.
    auto* c = new QChart;
    c->setMargins(QMargins(6, 6, 6, 6));
    c->legend()->setAlignment(Qt::AlignBottom);
    QChart* old = chart();
    setChart(c);
    delete old;

    const auto& rows = grid_.rows();
    const int n = static_cast<int>(rows.size());
    auto* hours = new QCategoryAxis;
    hours->setTitleText(QStringLiteral("Hour"));
    hours->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    // Labels every N rows as the grid asks; with N = 0 about a dozen labels.
    const int every = grid_.labelSpacing() > 0 ? grid_.labelSpacing() : std::max(1, n / 12);
    QSet<QString> used;
    for (int r = 0; r < n; r += every) {
        // The axis keeps one label per text: a repeated text is made distinct with invisible spaces.
        QString label = QString::fromStdString(rows[static_cast<std::size_t>(r)].label);
        while (used.contains(label)) label += QChar(0x200B);
        used.insert(label);
        hours->append(label, r);
    }
    hours->setRange(-0.5, std::max(0.5, n - 0.5));

    auto* runoff = new QValueAxis;
    runoff->setTitleText(QStringLiteral("Runoff (cfs)"));
    auto* excess = new QValueAxis;
    excess->setTitleText(QStringLiteral("Excess Rainfall (in)"));
    excess->setReverse(true);
    c->addAxis(hours, Qt::AlignBottom);
    c->addAxis(runoff, Qt::AlignLeft);
    c->addAxis(excess, Qt::AlignRight);

    double maxFlow = 0, maxDepth = 0;
    if (grid_.columnCount() >= 1 && n > 0) {
        auto* set = new QBarSet(QStringLiteral("Rainfall / excess (in)"));
        set->setColor(QColor(0x5D, 0x9C, 0xEC));
        set->setBorderColor(QColor(0x3B, 0x7D, 0xD8));
        for (const auto& row : rows) {
            const double v = row.cells.empty() ? 0 : cellValue(row.cells[0]);
            maxDepth = std::max(maxDepth, v);
            *set << v;
        }
        auto* bars = new QStackedBarSeries;
        bars->append(set);
        bars->setBarWidth(0.8);
        c->addSeries(bars);
        bars->attachAxis(hours);
        bars->attachAxis(excess);
    }
    for (int col = 1; col < grid_.columnCount(); ++col) {
        // The empty column waits for the next run; a column of zeros is the placeholder a reset leaves.
        bool anyText = false, anyFlow = false;
        for (const auto& row : rows) {
            const std::string cell =
                col < static_cast<int>(row.cells.size()) ? row.cells[static_cast<std::size_t>(col)] : "";
            anyText = anyText || !cell.empty();
            anyFlow = anyFlow || cellValue(cell) != 0;
        }
        if (!anyText) continue;
        auto* line = new QLineSeries;
        line->setName(QStringLiteral("Hydrograph %1").arg(col));
        QPen pen(kLineColours[(col - 1) % std::size(kLineColours)]);
        pen.setWidthF(2);
        line->setPen(pen);
        for (int r = 0; r < n; ++r) {
            const auto& cells = rows[static_cast<std::size_t>(r)].cells;
            const double v =
                col < static_cast<int>(cells.size()) ? cellValue(cells[static_cast<std::size_t>(col)]) : 0;
            maxFlow = std::max(maxFlow, v);
            line->append(r, v);
        }
        c->addSeries(line);
        line->attachAxis(hours);
        line->attachAxis(runoff);
        if (!anyFlow) {
            for (auto* marker : c->legend()->markers(line)) marker->setVisible(false);
        }
    }
    runoff->setRange(0, maxFlow > 0 ? maxFlow * 1.1 : 1);
    runoff->applyNiceNumbers();
    // Bars hang from the top and take the upper part of the plot, clear of the hydrographs.
    excess->setRange(0, maxDepth > 0 ? maxDepth * 2.5 : 1);
    excess->applyNiceNumbers();
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    QChartView::mouseDoubleClickEvent(event);
    if (onDoubleClick) onDoubleClick();
}

}  // namespace brelvo::app
