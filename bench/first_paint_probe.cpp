// Preloaded into a Qt Widgets program (LD_PRELOAD) by the start-up benchmark: ends the program once its
// first paint has finished and the event loop has turned once more, so that both sides of the ratio
// stop at the same point, whatever the program does after. It prints "painted" first; a program that
// has not painted within 20 seconds is stopped by the alarm's signal.
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <cstdio>

namespace {

class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!seen_ && event->type() == QEvent::Paint && receiver->isWidgetType()) {
            seen_ = true;
            // Queued: runs once the paint (the whole window's, which the backing store draws in one go)
            // has been delivered and flushed, on the event loop's next turn.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [] {
                    std::fputs("painted\n", stdout);
                    std::fflush(stdout);
                    _exit(0);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

  private:
    bool seen_ = false;
};

void installProbe() {
    alarm(20);
    QCoreApplication::instance()->installEventFilter(new FirstPaint);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
