// The flow's preparation on a worker thread, with its progress dialog.
#include "app/flow_preparation.hpp"

#include <QProgressDialog>
#include <new>

#include "app/work_with_progress.hpp"
#include "common/messages.hpp"

namespace brelvo::app {

PreparedFlow prepareFlowWithProgress(const terrain::ElevationModel& model, QWidget& parent,
                                     const FlowPreparer& preparer) {
    QProgressDialog dialog(QString::fromUtf8(common::msg::kDelineatePreparing),
                           QString::fromUtf8(common::msg::kDelineateCancel), 0, 1000, &parent);
    dialog.setObjectName(QStringLiteral("flowProgress"));
    dialog.setWindowTitle(QString::fromUtf8(common::msg::kDelineateTitle));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    dialog.setValue(0);
    PreparedFlow result;
    std::optional<terrain::FlowModel> flow;
    const bool cancelled = runWithProgress(dialog, [&](const WorkProgress& progress) {
        try {
            flow = preparer(model, progress);
        } catch (const std::bad_alloc&) {
            flow.reset();
            result.outOfMemory = true;
        }
    });
    // A cancel heard after the last step still cancels: the user asked for nothing to change.
    if (flow && !cancelled) result.flow = std::make_shared<const terrain::FlowModel>(std::move(*flow));
    return result;
}

}  // namespace brelvo::app
