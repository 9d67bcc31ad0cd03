#include "app/calc_report_pdf.hpp"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGraphicsView>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "common/messages.hpp"

namespace brelvo::app {

namespace {

using runoff::ReportItem;
using runoff::ReportItemKind;

QString textOf(const ReportItem& item) {
    // The report file's lines are single-byte text; the window's texts are UTF-8.
    if (item.kind == ReportItemKind::table)
        return QString::fromLatin1(item.text.data(), static_cast<qsizetype>(item.text.size()));
    return QString::fromStdString(item.text);
}

// A widget drawn into `box` as large as it fits in its own proportions, centred across the box.
void drawWidget(QPainter& painter, QWidget& widget, const QRectF& box) {
    const QSizeF size = widget.size();
    if (size.isEmpty() || box.isEmpty()) return;
    const double scale = std::min(box.width() / size.width(), box.height() / size.height());
    painter.save();
    painter.translate(box.left() + (box.width() - size.width() * scale) / 2, box.top());
    painter.scale(scale, scale);
    painter.setClipRect(QRectF(QPointF(0, 0), size));
    widget.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.restore();
    painter.setPen(QPen(Qt::darkGray, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(box.left() + (box.width() - size.width() * scale) / 2, box.top(),
                            size.width() * scale, size.height() * scale));
    painter.setPen(Qt::black);
}

// The chart's scene drawn at the page's resolution; a chart that is no scene (none without the charts
// plugin) as the widget shows it.
void drawChart(QPainter& painter, QWidget& chart, const QRectF& box) {
    auto* view = qobject_cast<QGraphicsView*>(&chart);
    const QSizeF size = view != nullptr ? view->viewport()->size() : chart.size();
    if (size.isEmpty() || box.isEmpty()) return;
    const double scale = std::min(box.width() / size.width(), box.height() / size.height());
    const QRectF target(box.left() + (box.width() - size.width() * scale) / 2, box.top(),
                        size.width() * scale, size.height() * scale);
    painter.save();
    if (view != nullptr) {
        view->render(&painter, target, view->viewport()->rect(), Qt::KeepAspectRatio);
    } else {
        painter.translate(target.topLeft());
        painter.scale(scale, scale);
        chart.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    painter.restore();
    painter.setPen(Qt::black);
}

}  // namespace

std::optional<ReportPages> beginReportPages(QPagedPaintDevice& device, QPainter& painter) {
    device.setPageSize(QPageSize(QPageSize::Letter));
    device.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    if (!painter.begin(&device)) return std::nullopt;
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(9);
    QFont bold = mono;
    bold.setBold(true);
    return ReportPages{mono, bold, QFontMetricsF(mono, &device), painter.viewport()};
}

int paintCalcReport(QPagedPaintDevice& device, const runoff::CalcReport& report, QWidget& map,
                    QWidget& chart) {
    QPainter painter;
    const std::optional<ReportPages> setup = beginReportPages(device, painter);
    if (!setup) return 0;
    const auto& [mono, bold, metrics, page] = *setup;
    const double lineHeight = metrics.lineSpacing();
    // Three lines of titles and rule at the head, two of rule and page number at the foot.
    const int headLines = 3;
    const int footLines = 2;
    runoff::PageShape shape;
    shape.lines = std::max(8, static_cast<int>(page.height() / lineHeight) - headLines - footLines);
    shape.mapLines = shape.lines * 3 / 5;
    shape.chartLines = shape.lines * 2 / 5;
    const auto pages = runoff::paginate(report, shape);
    const int count = static_cast<int>(pages.size());
    const QString title1 = QString::fromStdString(report.title1);
    const QString title2 = QString::fromStdString(report.title2);
    for (int p = 0; p < count; ++p) {
        if (p > 0) device.newPage();
        painter.setPen(Qt::black);
        painter.setFont(bold);
        painter.drawText(QPointF(0, metrics.ascent()), title1);
        painter.setFont(mono);
        painter.drawText(QPointF(0, lineHeight + metrics.ascent()), title2);
        const double ruleY = lineHeight * 2.4;
        painter.drawLine(QPointF(0, ruleY), QPointF(page.width(), ruleY));
        const double footY = page.height() - lineHeight * footLines;
        painter.drawLine(QPointF(0, footY + lineHeight * 0.6),
                         QPointF(page.width(), footY + lineHeight * 0.6));
        painter.drawText(QRectF(0, footY + lineHeight, page.width(), lineHeight), Qt::AlignRight,
                         QString::fromStdString(common::msg::calcPageOf(p + 1, count)));

        double top = lineHeight * headLines;
        painter.save();
        painter.setClipRect(QRectF(0, top, page.width(), shape.lines * lineHeight));
        for (const ReportItem& item : pages[static_cast<std::size_t>(p)]) {
            const double height = runoff::itemLines(item, shape) * lineHeight;
            switch (item.kind) {
                case ReportItemKind::map:
                    drawWidget(painter, map, QRectF(0, top, page.width(), height - lineHeight * 0.5));
                    break;
                case ReportItemKind::chart:
                    drawChart(painter, chart, QRectF(0, top, page.width(), height - lineHeight * 0.5));
                    break;
                case ReportItemKind::heading:
                    painter.setFont(bold);
                    painter.drawText(QPointF(0, top + lineHeight + metrics.ascent()), textOf(item));
                    painter.setFont(mono);
                    break;
                default:
                    painter.drawText(QPointF(0, top + metrics.ascent()), textOf(item));
                    break;
            }
            top += height;
        }
        painter.restore();
    }
    painter.end();
    return count;
}

}  // namespace brelvo::app
