// The floor of the start-up benchmark: a bare Qt Widgets program that shows one maximised label and runs
// its event loop (the benchmark's probe ends it after its first paint).
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Brelvo"));
    label.showMaximized();
    return QApplication::exec();
}
