// What leaves the runoff window for a report: the chart as a picture (PNG as shown, or SVG), and the
// report text of the working hydrograph file printed or as a PDF file in a fixed-width font.
#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>
#include <algorithm>
#include <filesystem>
#include <string_view>

#include "app/calc_report_pdf.hpp"
#include "app/chart_plugin.hpp"
#include "app/print_plugin.hpp"
#include "app/runoff_window.hpp"
#include "common/control_names.hpp"
#include "common/dialog_folders.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "runoff/csv_export.hpp"
#include "runoff/run_files.hpp"

namespace brelvo::app {

namespace {

namespace fs = std::filesystem;
namespace msg = common::msg;
namespace form3 = common::controls::form3;

std::string lowerExtension(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

}  // namespace

bool RunoffWindow::exportChart() {
    const auto chosen = common::askSavePath(
        dialogs_, common::FileKind::chart, std::string(msg::kExportChartTitle), common::dialogFolder(),
        common::proposedName(runoff::typedTitle(fields_), ".png", "Hydrograph.png"),
        std::string(msg::kChartFilter), ".png");
    if (!chosen) return false;
    const std::string ext = lowerExtension(*chosen);
    std::string bytes;
    if (ext == ".svg") {
        bytes = chartView_->svg(std::max(chartView_->widget()->width(), 640),
                                std::max(chartView_->widget()->height(), 400));
    } else if (ext == ".png") {
        const QByteArray png = chartView_->png();
        bytes.assign(png.constData(), static_cast<std::size_t>(png.size()));
    } else {
        dialogs_.message(msg::exportNotSaved(*chosen, msg::kChartKinds));
        return false;
    }
    try {
        if (bytes.empty()) throw common::pathFileAccessError();
        common::replaceFile(*chosen, bytes);
    } catch (const common::RuntimeFailure& failure) {
        dialogs_.message(msg::fileNotSaved(*chosen, common::failureReason(failure)));
        return false;
    }
    return true;
}

std::optional<runoff::PrintedReport> RunoffWindow::reportToPrint() const {
    if (!session_.lastReport) return std::nullopt;
    return runoff::printedReport(*session_.lastReport, session_.reportText);
}

int RunoffWindow::paintReport(QPagedPaintDevice& device) const {
    // This window's last report, as its run wrote it: never the working file, which another window may
    // have written since.
    const std::optional<runoff::PrintedReport> report = reportToPrint();
    if (!report) return 0;
    QStringList lines;
    for (const std::string& line : report->lines)
        lines << QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
    QPainter painter;
    const std::optional<ReportPages> setup = beginReportPages(device, painter);
    if (!setup) return 0;
    const auto& [mono, bold, metrics, page] = *setup;
    const double lineHeight = metrics.lineSpacing();
    // The two titles head every page, with the page's number; the report's lines follow.
    const int headerLines = 4;
    const int perPage = std::max(1, static_cast<int>(page.height() / lineHeight) - headerLines);
    const int pages = std::max(1, static_cast<int>((lines.size() + perPage - 1) / perPage));
    const QString title1 = QString::fromStdString(report->title1);
    const QString title2 = QString::fromStdString(report->title2);
    for (int p = 0; p < pages; ++p) {
        if (p > 0) device.newPage();
        double y = metrics.ascent();
        painter.setFont(bold);
        painter.drawText(QPointF(0, y), title1);
        painter.drawText(QRectF(0, 0, page.width(), lineHeight), Qt::AlignRight,
                         QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages));
        y += lineHeight;
        painter.drawText(QPointF(0, y), title2);
        y += lineHeight * 0.5;
        painter.drawLine(QPointF(0, y), QPointF(page.width(), y));
        y += lineHeight * 1.5;
        painter.setFont(mono);
        for (int i = p * perPage; i < std::min<int>(static_cast<int>(lines.size()), (p + 1) * perPage); ++i) {
            painter.drawText(QPointF(0, y), lines[i]);
            y += lineHeight;
        }
    }
    painter.end();
    return pages;
}

// "Save Hydrograph": this window's last report, as its run wrote the working file.
void RunoffWindow::saveHydrograph() {
    runoff::saveHydrograph(chart_, session_.reportText, common::workingHydrographFile(),
                           common::dialogFolder(), dialogs_,
                           common::proposedName(runoff::typedTitle(fields_), ".GRF", ""));
}

bool RunoffWindow::exportReportPdf() {
    if (!session_.lastReport) {
        dialogs_.message(msg::kNoReportYet);
        return false;
    }
    const auto chosen = common::askSavePath(
        dialogs_, common::FileKind::report, std::string(msg::kExportReportTitle), common::dialogFolder(),
        common::proposedName(runoff::typedTitle(fields_), ".pdf", "Hydrograph.pdf"),
        std::string(msg::kPdfFilter), ".pdf");
    if (!chosen) return false;
    // Drawn in memory, then written through a temporary file like every save.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(300);
        pdf.setTitle(QString::fromStdString(session_.lastReport->title1));
        pdf.setCreator(QStringLiteral("Brelvo"));
        lastReportPages_ = paintReport(pdf);
    }
    try {
        if (lastReportPages_ == 0) throw common::pathFileAccessError();
        common::replaceFile(*chosen,
                            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const common::RuntimeFailure& failure) {
        dialogs_.message(msg::fileNotSaved(*chosen, common::failureReason(failure)));
        return false;
    }
    return true;
}

bool RunoffWindow::printReport() {
    if (!session_.lastReport) {
        dialogs_.message(msg::kNoReportYet);
        return false;
    }
    int pages = 0;
    const Printed printed = printPages(
        {this, false, [this, &pages](QPagedPaintDevice& printer) { pages = paintReport(printer); }});
    // Without a printer the report goes to a PDF file.
    if (printed == Printed::noPrinter) return exportReportPdf();
    if (printed == Printed::cancelled) return false;
    lastReportPages_ = pages;
    return lastReportPages_ > 0;
}

}  // namespace brelvo::app
