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
#include "common/program_folder.hpp"

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

const ReportFonts& reportFonts() {
    static const ReportFonts fonts = [] {
        const auto load = [](const char* file) {
            const std::string path = common::findDataFile(file, common::programFolder());
            const int id = QFontDatabase::addApplicationFont(QString::fromStdString(path));
            const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
            return families.isEmpty() ? QString() : families.front();
        };
        ReportFonts loaded;
        loaded.sans = load("DejaVuSans.ttf");
        load("DejaVuSans-Bold.ttf");
        loaded.mono = load("DejaVuSansMono.ttf");
        load("DejaVuSansMono-Bold.ttf");
        loaded.shipped = !loaded.sans.isEmpty() && !loaded.mono.isEmpty();
        if (loaded.sans.isEmpty())
            loaded.sans = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
        if (loaded.mono.isEmpty()) loaded.mono = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
        return loaded;
    }();
    return fonts;
}

std::optional<ReportPages> beginReportPages(QPagedPaintDevice& device, QPainter& painter) {
    device.setPageSize(QPageSize(QPageSize::Letter));
    device.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    if (!painter.begin(&device)) return std::nullopt;
    QFont mono(reportFonts().mono);
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSizeF(9);
    QFont bold = mono;
    bold.setBold(true);
    return ReportPages{mono, bold, QFontMetricsF(mono, &device), painter.viewport()};
}

int paintCalcReport(QPagedPaintDevice& device, const runoff::CalcReport& report, const MapFigure& map,
                    QWidget& chart) {
    QPainter painter;
    const std::optional<ReportPages> setup = beginReportPages(device, painter);
    if (!setup) return 0;
    const auto& [mono, bold, metrics, page] = *setup;
    QFont sans(reportFonts().sans);
    sans.setPointSizeF(9);
    QFont headingFont = sans;
    headingFont.setPointSizeF(10.5);
    headingFont.setBold(true);
    QFont titleFont = sans;
    titleFont.setPointSizeF(18);
    titleFont.setBold(true);
    const double lineHeight = metrics.lineSpacing();
    // Two lines of header and rule at the head, two of rule and page number at the foot.
    const int headLines = 2;
    const int footLines = 2;
    runoff::PageShape shape;
    shape.lines = std::max(8, static_cast<int>(page.height() / lineHeight) - headLines - footLines);
    shape.mapLines = shape.lines - 4;
    shape.chartLines = shape.lines * 3 / 5;
    const auto pages = runoff::paginate(report, shape);
    const int count = static_cast<int>(pages.size());
    const QString header = QString::fromStdString(report.header);
    for (int p = 0; p < count; ++p) {
        if (p > 0) device.newPage();
        // Every page starts from the same state, whatever the figures before left.
        painter.resetTransform();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(Qt::black, lineHeight * 0.06));
        painter.setBrush(Qt::NoBrush);
        painter.setFont(sans);
        painter.drawText(QRectF(0, 0, page.width(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter, header);
        const double ruleY = lineHeight * 1.4;
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
                    drawMapFigure(painter, map, QRectF(0, top, page.width(), height - lineHeight * 0.5),
                                  sans);
                    break;
                case ReportItemKind::chart:
                    drawChart(painter, chart, QRectF(0, top, page.width(), height - lineHeight * 0.5));
                    break;
                case ReportItemKind::title:
                    painter.setFont(titleFont);
                    painter.drawText(QRectF(0, top, page.width(), height), Qt::AlignLeft | Qt::AlignVCenter,
                                     textOf(item));
                    break;
                case ReportItemKind::heading:
                    painter.setFont(headingFont);
                    painter.drawText(QRectF(0, top + lineHeight * 0.8, page.width(), lineHeight * 1.2),
                                     Qt::AlignLeft | Qt::AlignBottom, textOf(item));
                    break;
                default:
                    painter.setFont(mono);
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
