// The printing plugin's one exported function: the default printer, the print dialog, the pages.
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <type_traits>

#include "app/print_plugin.hpp"

extern "C" Q_DECL_EXPORT int brelvo_print_v1(brelvo::app::PrintJob* job) {
    static_assert(std::is_same_v<decltype(&brelvo_print_v1), brelvo::app::PrintPluginEntry>);
    if (QPrinterInfo::defaultPrinter().isNull()) return 0;
    QPrinter printer(QPrinter::HighResolution);
    if (job->landscape) printer.setPageOrientation(QPageLayout::Landscape);
    if (job->dialogParent != nullptr) {
        QPrintDialog dialog(&printer, job->dialogParent);
        if (dialog.exec() != QDialog::Accepted) return 2;
    }
    if (job->paint) job->paint(printer);
    return 1;
}
