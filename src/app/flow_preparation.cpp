// The flow's preparation on a worker thread, with its progress dialog.
#include "app/flow_preparation.hpp"

#include <new>

#include "app/work_with_progress.hpp"
#include "common/messages.hpp"

namespace brelvo::app {

PreparedFlow prepareFlowWithProgress(const terrain::ElevationModel& model, QWidget& parent,
                                     const FlowPreparer& preparer) {
    PreparedFlow result;
    std::optional<terrain::FlowModel> flow;
    WorkDialog look;
    look.text = QString::fromUtf8(common::msg::kDelineatePreparing);
    look.cancel = QString::fromUtf8(common::msg::kDelineateCancel);
    look.title = QString::fromUtf8(common::msg::kDelineateTitle);
    look.objectName = QStringLiteral("flowProgress");
    const bool cancelled = runWithProgress(parent, look, [&](const WorkProgress& progress) {
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
