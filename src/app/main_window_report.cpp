// File -> "Export Calculation Report...": the map as the user sees it with its coordinate listing, the
// runoff window's inputs, chart, runs and report tables, in one PDF file a reviewer reads.
#include <QBuffer>
#include <QPdfWriter>

#include "app/calc_report_pdf.hpp"
#include "app/chart_plugin.hpp"
#include "app/main_window.hpp"
#include "app/map_view.hpp"
#include "app/runoff_window.hpp"
#include "common/dialog_folders.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "runoff/calc_report.hpp"

namespace brelvo::app {

namespace msg = common::msg;

bool MainWindow::exportCalcReport() {
    RunoffWindow* runoff = runoff_.get();
    if (!runoff) {
        dialogs_.message(msg::kNoRunoffWindow);
        return false;
    }
    // Without a computed hydrograph there is nothing a reviewer could check: said, and nothing written.
    const runoff::RunoffSession& session = runoff->session();
    if (!session.lastReport) {
        dialogs_.message(msg::kNoComputedHydrograph);
        return false;
    }
    const auto chosen = common::askSavePath(
        dialogs_, common::FileKind::report, std::string(msg::kExportCalcReportTitle), common::dialogFolder(),
        common::proposedName(runoff::typedTitle(runoff->fields()), " calculations.pdf", "Calculations.pdf"),
        std::string(msg::kPdfFilter), ".pdf");
    if (!chosen) return false;
    // Everything the pages show is drawn as it is now, before any dialog could change it.
    doc_.flush();
    runoff::CalcReportSources sources;
    sources.listing = doc_.controls().text1.text;
    sources.importedTable = runoff::importedStormTitle(runoff->fields(), session);
    if (const auto& rows = runoff->frequency()) sources.frequencyRows = runoff::frequencyReportRows(*rows);
    const runoff::CalcReport report = runoff::calcReport(runoff->fields(), session, sources);
    QByteArray bytes;
    int pages = 0;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(300);
        pdf.setTitle(QString::fromStdString(report.title1));
        pdf.setCreator(QStringLiteral("Brelvo"));
        pages = paintCalcReport(pdf, report, *widgets_->mapView(), *runoff->chartView().widget());
    }
    // Written through a temporary file: a failed export leaves the file that was there as it was.
    try {
        if (pages == 0) throw common::pathFileAccessError();
        common::replaceFile(*chosen,
                            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const common::RuntimeFailure& failure) {
        dialogs_.message(msg::fileNotSaved(*chosen, common::failureReason(failure)));
        return false;
    }
    lastCalcReportPages_ = pages;
    return true;
}

}  // namespace brelvo::app
