// Program start: the measuring window for a user, or a replayed session with --script; --version,
// --help and the batch command answer before any window system is needed.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QStandardPaths>
#include <QStringList>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "app/application_style.hpp"
#include "app/batch_command.hpp"
#include "app/main_window.hpp"
#include "app/qt_dialogs.hpp"
#include "app/script_runner.hpp"
#include "common/dialog_folders.hpp"

namespace {

constexpr const char* kUsage =
    "usage: brelvo [PROJECT.brelvo]\n"
    "       brelvo --script FILE [--grab PNG]\n"
    "       brelvo --batch SUMMARY.csv [--jobs N] [--frequency PFDS.csv]\n"
    "              [--return-periods 2,10,100] [--reports DIR] PROJECT.brelvo...\n"
    "       brelvo --version | --help\n"
    "  PROJECT        open a project file (*.brelvo)\n"
    "  --script FILE  replay the session in FILE and write what it shows as JSON Lines\n"
    "  --grab PNG     after the session, save a picture of the main window\n"
    "  --batch SUMMARY.csv\n"
    "                 run the storm runoff of every project without a window: one summary row per\n"
    "                 project and storm; exit status 0 when all ran, 1 when any failed\n"
    "  --jobs N       runs at once (default: one per processor core)\n"
    "  --frequency PFDS.csv\n"
    "                 run every return period of a NOAA Atlas 14 precipitation-frequency table\n"
    "                 instead of each project's own storm\n"
    "  --return-periods LIST\n"
    "                 only these return periods of the table (years separated by commas)\n"
    "  --reports DIR  write each run's report as DIR/PROJECT.GRF (DIR/PROJECT-100yr.GRF)\n"
    "  --version      print the version and stop\n"
    "  --help         print this text and stop\n";

int usage() {
    std::cerr << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "brelvo " BRELVO_VERSION "\n";
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::cout << "Brelvo " BRELVO_VERSION
                         ": drainage basin measurement and storm runoff hydrographs.\n"
                      << kUsage;
            return 0;
        }
    }
    // Without a display: no application object, no window system.
    if (brelvo::app::batch::asksForBatch(argc, argv))
        return brelvo::app::batch::runBatchCommand(std::vector<std::string>(argv + 1, argv + argc), kUsage,
                                                   std::cerr);
    // The web map plugin, loaded later, draws with OpenGL contexts shared with the windows: that must be
    // asked for before the application starts.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brelvo"));
    // The desktop entry's name, so the desktop matches the windows to it, and the icon it shows.
    QApplication::setDesktopFileName(QStringLiteral("org.brelvo.Brelvo"));
    QApplication::setStyle(new brelvo::app::ApplicationStyle);
    // The larger sizes come from the installed icon theme; the window's own icon stops at 64.
    QIcon icon;
    for (const int size : {16, 32, 48, 64})
        icon.addPixmap(brelvo::app::pngPixmap(QStringLiteral(":/icons/brelvo-%1.png").arg(size)));
    QApplication::setWindowIcon(icon);

    QString scriptPath, grabPath, projectPath;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--script") && i + 1 < args.size()) {
            scriptPath = args[++i];
        } else if (args[i] == QStringLiteral("--grab") && i + 1 < args.size()) {
            grabPath = args[++i];
        } else if (!args[i].startsWith(QLatin1Char('-')) && projectPath.isEmpty() && scriptPath.isEmpty()) {
            projectPath = args[i];
        } else {
            return usage();
        }
    }

    if (scriptPath.isEmpty()) {
        if (!grabPath.isEmpty()) return usage();
        // File dialogs open in the documents folder until a project or an earlier choice says otherwise.
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        brelvo::common::dialogFolders().setDocuments(
            (QDir(documents).exists() ? documents : QDir::homePath()).toStdString());
        brelvo::app::QtDialogs dialogs;
        brelvo::app::MainWindow window(dialogs, brelvo::app::MainWindow::MenuBar::Shown);
        dialogs.setParent(&window);
        window.showMaximizedAtStart();
        if (!projectPath.isEmpty()) {
            // Opened once the window has its size, so that the kept view is not laid out again.
            QApplication::processEvents();
            window.project().openProjectFile(projectPath.toStdString());
        }
        return QApplication::exec();
    }

    if (!projectPath.isEmpty()) return usage();
    std::ifstream script(scriptPath.toStdString());
    if (!script) {
        std::cerr << scriptPath.toStdString() << ": cannot open the script\n";
        return 2;
    }
    brelvo::app::ScriptDialogs dialogs;
    brelvo::app::MainWindow window(dialogs);
    window.showMaximizedAtStart();
    QApplication::processEvents();
    brelvo::app::ScriptRunner runner(window, dialogs, std::cout, std::cerr);
    const int status = runner.run(script, scriptPath.toStdString());
    if (!grabPath.isEmpty()) {
        QApplication::processEvents();
        if (!window.grab().save(grabPath)) {
            std::cerr << grabPath.toStdString() << ": cannot save the picture\n";
            return status == 0 ? 1 : status;
        }
    }
    return status;
}
