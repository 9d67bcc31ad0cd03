// Long work on a worker thread while the window's events run: a progress dialog shows how far it is and
// its Cancel is passed to the work, which stops at its next progress call.
#pragma once

#include <QCoreApplication>
#include <QProgressDialog>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace brelvo::app {

// The work's progress: called with 0..1 from the worker; false means the user cancelled.
using WorkProgress = std::function<bool(double fraction)>;

// Runs `work` on a worker thread and returns when it is done; the dialog (0..1000) follows its progress
// and the window repaints meanwhile. True when the user pressed Cancel, even when the work had ended.
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
    // The events are looked at once at least, however soon the work ends: a Cancel already pressed (or a
    // replayed session's) is seen the same on a fast machine as on a slow one.
    do {
        dialog.setValue(static_cast<int>(fraction.load() * 1000));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
        if (dialog.wasCanceled()) cancelled = true;
        if (!done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (!done);
    worker.join();
    dialog.reset();
    return cancelled.load();
}

// The dialog of a long work over its window: modal, its bar 0..1000 (a busy bar when the work tells no
// measure), shown after `showAfterMs`, with a Cancel button only when `cancel` names it (without one the
// work ends on its own).
struct WorkDialog {
    QString text;
    QString cancel;
    QString title;       // empty: the dialog's own
    QString objectName;  // for tests that look for the dialog
    int showAfterMs = 0;
    bool measured = true;
};

// Runs `work` as above behind a dialog made as `look` says. True when the user pressed Cancel.
inline bool runWithProgress(QWidget& parent, const WorkDialog& look,
                            const std::function<void(const WorkProgress&)>& work) {
    QProgressDialog dialog(look.text, look.cancel, 0, look.measured ? 1000 : 0, &parent);
    if (!look.objectName.isEmpty()) dialog.setObjectName(look.objectName);
    if (!look.title.isEmpty()) dialog.setWindowTitle(look.title);
    dialog.setWindowModality(Qt::WindowModal);
    if (look.cancel.isEmpty()) dialog.setCancelButton(nullptr);
    dialog.setMinimumDuration(look.showAfterMs);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    dialog.setValue(0);
    return runWithProgress(dialog, work);
}

}  // namespace brelvo::app
