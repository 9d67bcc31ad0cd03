// The web map plugin as the program uses it: looked for beside the program and in its library folder,
// loaded only when the web map is first opened, and nothing to open when it is missing or is no plugin.
#include <dlfcn.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <fstream>
#include <string>

#include "app/web_map.hpp"

using brelvo::app::openWebMapWindowFrom;
using brelvo::app::webMapPluginCandidates;

namespace {

// True when a library whose name contains part is mapped into this process.
bool libraryLoaded(const char* part) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find(part) != std::string::npos) return true;
    }
    return false;
}

QString pluginPath() {
    return QDir(QStringLiteral(BRELVO_PLUGIN_FOLDER))
        .filePath(QString::fromLatin1(brelvo::app::kWebMapPluginFile));
}

}  // namespace

class WebMapPluginTest : public QObject {
    Q_OBJECT

  private slots:
    void candidatesAreBesideTheProgramThenInItsLibraryFolder() {
        QCOMPARE(webMapPluginCandidates(QStringLiteral("/opt/brelvo/bin"), QStringLiteral("../lib/brelvo")),
                 QStringList({QStringLiteral("/opt/brelvo/bin/libbrelvo_webmap.so"),
                              QStringLiteral("/opt/brelvo/lib/brelvo/libbrelvo_webmap.so")}));
        QCOMPARE(webMapPluginCandidates(QStringLiteral("/usr/bin"),
                                        QStringLiteral("../lib/x86_64-linux-gnu/brelvo")),
                 QStringList({QStringLiteral("/usr/bin/libbrelvo_webmap.so"),
                              QStringLiteral("/usr/lib/x86_64-linux-gnu/brelvo/libbrelvo_webmap.so")}));
        QCOMPARE(webMapPluginCandidates(QStringLiteral("/usr/bin"), QString()),
                 QStringList({QStringLiteral("/usr/bin/libbrelvo_webmap.so")}));
    }

    // Runs before any plugin is loaded: a loaded plugin stays loaded for the rest of the run.
    void missingOrDamagedPluginOpensNothing() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        int closed = 0;
        const QStringList missing = webMapPluginCandidates(folder.path(), QStringLiteral("../nowhere"));
        QVERIFY(openWebMapWindowFrom(missing, [&closed] { ++closed; }) == nullptr);

        // A file of the plugin's name that is no library at all.
        QFile junk(missing.front());
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a library\n");
        junk.close();
        QVERIFY(openWebMapWindowFrom(missing, [&closed] { ++closed; }) == nullptr);
        // A library that is not the plugin: it lacks the plugin's function.
        QVERIFY(QFile::remove(missing.front()));
        Dl_info qtCore{};
        QVERIFY(dladdr(reinterpret_cast<void*>(&qVersion), &qtCore) != 0);
        QVERIFY(QFile::link(QString::fromLocal8Bit(qtCore.dli_fname), missing.front()));
        QVERIFY(openWebMapWindowFrom(missing, [&closed] { ++closed; }) == nullptr);
        QCOMPARE(closed, 0);
        QVERIFY(!libraryLoaded("libQt6WebEngine"));
    }

    void pluginIsLoadedOnFirstUseAndOpensTheWindow() {
        QVERIFY(QFile::exists(pluginPath()));
        // Until the web map is opened the browser engine is not in the process.
        QVERIFY(!libraryLoaded("libQt6WebEngineCore"));

        int closed = 0;
        const QStringList candidates{QStringLiteral("/nonexistent/libbrelvo_webmap.so"), pluginPath()};
        const QString page =
            QStringLiteral("data:text/html;charset=utf-8,") +
            QString::fromLatin1(QUrl::toPercentEncoding(QStringLiteral(
                "<!DOCTYPE html><html><head><title>Test map</title></head><body></body></html>")));
        auto window = openWebMapWindowFrom(
            candidates, [&closed] { ++closed; }, page);
        QVERIFY(window != nullptr);
        QVERIFY(libraryLoaded("libQt6WebEngineCore"));
        QVERIFY(window->isVisible());
        QVERIFY(window->windowState() & Qt::WindowMaximized);
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Press Alt*PrtScr to copy to clipboard, then close this form"));
        QVERIFY(window->close());
        QCOMPARE(closed, 1);

        // A second opening uses the plugin already loaded, even when the candidates no longer name it.
        auto again = openWebMapWindowFrom(
            {}, [&closed] { ++closed; }, page);
        QVERIFY(again != nullptr);
        QVERIFY(again->isVisible());
        QVERIFY(again->close());
        QCOMPARE(closed, 2);
    }
};

int main(int argc, char* argv[]) {
    // The browser runs as root in the build containers and has no GPU there.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    WebMapPluginTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "web_map_plugin_test.moc"
