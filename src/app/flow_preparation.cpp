// The flow's preparation on a worker thread, with its progress dialog.
#include "app/flow_preparation.hpp"

#include <QCoreApplication>
#include <QProgressDialog>
#include <atomic>
#include <chrono>
#include <new>
#include <thread>

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
    std::atomic<double> fraction{0};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> done{false};
    PreparedFlow result;
    std::optional<terrain::FlowModel> flow;
    std::thread worker([&] {
        try {
            flow = preparer(model, [&](double f) {
                fraction = f;
                return !cancelled.load();
            });
        } catch (const std::bad_alloc&) {
            flow.reset();
            result.outOfMemory = true;
        }
        done = true;
    });
    // The window's events run meanwhile: it repaints, and Cancel is heard.
    while (!done) {
        dialog.setValue(static_cast<int>(fraction.load() * 1000));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
        if (dialog.wasCanceled()) cancelled = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    worker.join();
    dialog.reset();
    // A cancel heard after the last step still cancels: the user asked for nothing to change.
    if (flow && !cancelled) result.flow = std::make_shared<const terrain::FlowModel>(std::move(*flow));
    return result;
}

}  // namespace brelvo::app
