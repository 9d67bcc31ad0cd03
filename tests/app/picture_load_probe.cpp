// A child process for the picture load test: loads two map pictures one after the other through the
// measuring window, as a session does, and prints its peak resident memory (KiB) after each.
#include <QApplication>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/main_window.hpp"
#include "app/script_runner.hpp"

namespace {

long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) return 2;
    brelvo::app::ScriptDialogs dialogs;
    brelvo::app::MainWindow window(dialogs);
    window.resize(800, 600);
    window.show();
    QApplication::processEvents();
    long peaks[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
        window.chooseCommand("Load/Save Map");
        dialogs.queueAnswer(std::string(argv[1 + k]));
        window.choosePicture("Load Map File");
        window.waitForPictureLoad();
        QApplication::processEvents();
        if (window.renderer().isNull()) return 3;
        peaks[k] = peakKiB();
    }
    std::printf("%ld %ld", peaks[0], peaks[1]);
    return 0;
}
