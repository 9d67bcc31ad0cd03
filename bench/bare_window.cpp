// The floor of the start-up benchmark: a bare Qt Widgets program that shows one maximised label,
// lets it be drawn, and ends.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Brelvo"));
    label.showMaximized();
    QApplication::processEvents();
    return 0;
}
