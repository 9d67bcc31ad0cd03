// Long work on a worker thread while the window's events run: a progress dialog shows how far it is and
// its Cancel is passed to the work, which stops at its next progress call.
#pragma once

#include <QCoreApplication>
#include <QProgressDialog>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace brelvo::app {

// The work's progress: called with 0..1 from the worker; false means the user cancelled.
using WorkProgress = std::function<bool(double fraction)>;

// Runs `work` on a worker thread and returns when it is done; the dialog (0..1000) follows its progress
// and the window repaints meanwhile. True when the user pressed Cancel.
inline bool runWithProgress(QProgressDialog& dialog, const std::function<void(const WorkProgress&)>& work) {
    std::atomic<double> fraction{0};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work([&](double f) {
            fraction = f;
            return !cancelled.load();
        });
        done = true;
    });
    while (!done) {
        dialog.setValue(static_cast<int>(fraction.load() * 1000));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
        if (dialog.wasCanceled()) cancelled = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    worker.join();
    dialog.reset();
    return cancelled.load();
}

}  // namespace brelvo::app
