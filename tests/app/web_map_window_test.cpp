// The web map window against local pages: start-up and its bounded wait, title, hidden scroll bars,
// the copy to the clipboard (button and Ctrl+C), the layout, and the close notice.
#include "app/web_map_window.hpp"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QTcpServer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>
#include <memory>
#include <optional>

using brelvo::app::WebMapWindow;

namespace {

// A map-like page larger than any screen, so that the page would need scroll bars.
const char* const kMapPage =
    "<!DOCTYPE html>"
    "<html><head><title>Test map</title>"
    "<style>body { margin: 0; background: #ffffff; }</style></head>"
    "<body><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"3000\" height=\"2000\">"
    "<rect width=\"3000\" height=\"2000\" fill=\"#c8e6a0\"/>"
    "<path d=\"M0 700 C 600 500, 1200 900, 3000 650\" fill=\"none\" stroke=\"#1060d0\" stroke-width=\"14\"/>"
    "<g fill=\"none\" stroke=\"#8a5a2b\" stroke-width=\"3\">"
    "<ellipse cx=\"900\" cy=\"420\" rx=\"120\" ry=\"80\"/><ellipse cx=\"900\" cy=\"420\" rx=\"220\" "
    "ry=\"150\"/>"
    "<ellipse cx=\"900\" cy=\"420\" rx=\"320\" ry=\"220\"/><ellipse cx=\"1500\" cy=\"1200\" rx=\"180\" "
    "ry=\"120\"/>"
    "<ellipse cx=\"1500\" cy=\"1200\" rx=\"300\" ry=\"210\"/>"
    "</g></svg></body></html>";

// The page's background at the top left corner, as drawn by the browser.
const QColor kMapGround(0xc8, 0xe6, 0xa0);

QString mapPageUrl() {
    return QStringLiteral("data:text/html;charset=utf-8,") +
           QString::fromLatin1(QUrl::toPercentEncoding(QString::fromUtf8(kMapPage)));
}

// Runs a script in the page and returns its value (invalid when the page does not answer in time).
QVariant evaluate(QWebEngineView* view, const QString& script) {
    auto answer = std::make_shared<std::optional<QVariant>>();
    view->page()->runJavaScript(script, [answer](const QVariant& value) { *answer = value; });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, 5000)) return QVariant();
    return **answer;
}

}  // namespace

class WebMapWindowTest : public QObject {
    Q_OBJECT

  private:
    int closedCount_ = 0;

    std::unique_ptr<WebMapWindow> makeWindow(const QString& address) {
        return std::make_unique<WebMapWindow>([this] { ++closedCount_; }, address);
    }

  private slots:
    void init() {
        closedCount_ = 0;
        QGuiApplication::clipboard()->clear();
    }

    void mapPageIsTheDefault() {
        WebMapWindow window([] {});
        QCOMPARE(window.address(), QString::fromLatin1(brelvo::app::kWebMapAddress));
        const QUrl url(window.address());
        QVERIFY(url.isValid());
        QCOMPARE(url.scheme(), QStringLiteral("https"));
        QVERIFY(!url.host().isEmpty());
        QCOMPARE(brelvo::app::kWebMapPageWait, std::chrono::milliseconds(10000));
        QCOMPARE(window.waitLimit(), std::chrono::milliseconds(10000));  // the window waits that long
    }

    void startUpShowsThePageMaximizedWithTheTitle() {
        auto window = makeWindow(mapPageUrl());
        QElapsedTimer clock;
        clock.start();
        window->open();
        // The wait ended because the page finished, not because the limit passed.
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(window->isVisible());
        QVERIFY(window->windowState() & Qt::WindowMaximized);
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Press Alt*PrtScr to copy to clipboard, then close this form"));
        QVERIFY(window->view()->isVisible());
        QVERIFY(!window->view()->page()->isLoading());
        QCOMPARE(window->view()->title(), QStringLiteral("Test map"));
        QCOMPARE(window->copyButton()->text(), QStringLiteral("Copy map to clipboard"));
        QVERIFY(window->copyButton()->isVisible());
        QCOMPARE(closedCount_, 0);
    }

    void loadedPageShowsNoScrollBars() {
        auto window = makeWindow(mapPageUrl());
        window->open();
        QWebEngineView* view = window->view();
        // The content is larger than the view ...
        const QVariantList map =
            evaluate(view, QStringLiteral("(function () { var box = document.querySelector('svg')"
                                          ".getBoundingClientRect(); return [box.width, box.height]; })()"))
                .toList();
        QCOMPARE(map.size(), 2);
        QVERIFY(map[0].toInt() > view->width());
        QVERIFY(map[1].toInt() > view->height());
        // ... yet no scroll bar takes room from the page.
        QCOMPARE(evaluate(view, QStringLiteral("window.innerWidth - document.documentElement.clientWidth"))
                     .toInt(),
                 0);
        QCOMPARE(evaluate(view, QStringLiteral("window.innerHeight - document.documentElement.clientHeight"))
                     .toInt(),
                 0);
        QCOMPARE(evaluate(view, QStringLiteral("getComputedStyle(document.body).overflow")).toString(),
                 QStringLiteral("hidden"));
    }

    void pageWithoutBodyStillLoads() {
        const QString svgOnly = QStringLiteral(
            "data:image/svg+xml;charset=utf-8,%3Csvg xmlns='http://www.w3.org/2000/svg' width='3000' "
            "height='3000'%3E%3Crect width='3000' height='3000' fill='green'/%3E%3C/svg%3E");
        auto window = makeWindow(svgOnly);
        window->open();
        QVERIFY(window->isVisible());
        QVERIFY(!window->view()->page()->isLoading());
        QCOMPARE(evaluate(window->view(), QStringLiteral("document.body === null")).toBool(), true);
        QCOMPARE(
            evaluate(window->view(), QStringLiteral("getComputedStyle(document.documentElement).overflow"))
                .toString(),
            QStringLiteral("hidden"));
    }

    void copyButtonPutsTheMapOnTheClipboard() {
        auto window = makeWindow(mapPageUrl());
        window->open();
        QWebEngineView* view = window->view();
        // Wait for the page's first picture: the view shows the map ground at its corner.
        QTRY_COMPARE(view->grab().toImage().pixelColor(2, 2), kMapGround);
        QVERIFY(QGuiApplication::clipboard()->image().isNull());

        QTest::mouseClick(window->copyButton(), Qt::LeftButton);
        const QImage copied = QGuiApplication::clipboard()->image();
        QVERIFY(!copied.isNull());
        QCOMPARE(copied.size(), view->size() * view->devicePixelRatio());
        QCOMPARE(copied.pixelColor(2, 2), kMapGround);
        QCOMPARE(closedCount_, 0);
    }

    void ctrlCInTheMapCopiesTheMap() {
        auto window = makeWindow(mapPageUrl());
        window->open();
        QWebEngineView* view = window->view();
        QTRY_COMPARE(view->grab().toImage().pixelColor(2, 2), kMapGround);
        // The key goes to the browser's own widget, where a click on the map puts the focus. (Not
        // every test display activates windows, so the focus itself is not required here.)
        QApplication::setActiveWindow(window.get());
        QWidget* target = view->focusProxy() ? view->focusProxy() : view;
        target->setFocus();

        QTest::keyClick(target, Qt::Key_C, Qt::ControlModifier);
        const QImage copied = QGuiApplication::clipboard()->image();
        QVERIFY(!copied.isNull());
        QCOMPARE(copied.size(), view->size() * view->devicePixelRatio());
        QCOMPARE(copied.pixelColor(2, 2), kMapGround);
    }

    void browserFillsTheWindowBelowTheButtonAtEverySize() {
        auto window = makeWindow(mapPageUrl());
        window->open();
        for (const QSize size : {QSize(640, 480), QSize(500, 700)}) {
            window->showNormal();
            window->resize(size);
            QTRY_COMPARE(window->size(), size);
            const QRect browser = window->view()->geometry();
            QCOMPARE(browser.left(), 0);
            QCOMPARE(browser.width(), size.width());
            QCOMPARE(browser.bottom(), size.height() - 1);
            QVERIFY(browser.top() >= window->copyButton()->geometry().bottom());
            QVERIFY(browser.top() < 60);
        }
    }

    void closingNotifiesOnceAndTheWindowOpensAgain() {
        auto window = makeWindow(mapPageUrl());
        window->open();
        QVERIFY(window->close());
        QVERIFY(!window->isVisible());
        QCOMPARE(closedCount_, 1);
        window->close();  // already closed: no second notice
        QCOMPARE(closedCount_, 1);

        window->open();
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Press Alt*PrtScr to copy to clipboard, then close this form"));
        window->close();
        QCOMPARE(closedCount_, 2);
    }

    void unreachablePageOpensAndClosesWithinTheWait_data() {
        QTest::addColumn<QString>("address");
        // A port that was just free: the connection is refused at once.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 freePort = probe.serverPort();
        probe.close();
        QTest::newRow("refused") << QStringLiteral("http://127.0.0.1:%1/").arg(freePort);
        // The discard port: the browser declines it without connecting.
        QTest::newRow("declined port") << QStringLiteral("http://127.0.0.1:9/");
    }

    void unreachablePageOpensAndClosesWithinTheWait() {
        QFETCH(QString, address);
        auto window = makeWindow(address);
        QElapsedTimer clock;
        clock.start();
        window->open();
        // The browser's error page counts as a finished page: no wait for the limit.
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(window->isVisible());
        QVERIFY(!window->view()->page()->isLoading());
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Press Alt*PrtScr to copy to clipboard, then close this form"));
        QVERIFY(window->close());
        QVERIFY(!window->isVisible());
        QCOMPARE(closedCount_, 1);
    }

    void silentServerEndsTheWaitAtTheLimit() {
        // Accepts the connection and never answers: the page never finishes. The limit is shortened
        // from the window's ten seconds so that the test need not wait that long.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        auto window = std::make_unique<WebMapWindow>(
            [this] { ++closedCount_; }, QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()),
            std::chrono::milliseconds(1500));
        QCOMPARE(window->waitLimit(), std::chrono::milliseconds(1500));
        QElapsedTimer clock;
        clock.start();
        window->open();
        const qint64 waited = clock.elapsed();
        QVERIFY2(waited >= 1450 && waited < 3000, qPrintable(QString::number(waited)));
        QVERIFY(window->isVisible());
        QVERIFY(window->view()->page()->isLoading());  // the browser goes on loading
        QVERIFY(window->close());
        QCOMPARE(closedCount_, 1);
    }

    void closingDuringTheWaitEndsIt() {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        auto window = makeWindow(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()));
        QTimer::singleShot(500, window.get(), [&window] { window->close(); });
        QElapsedTimer clock;
        clock.start();
        window->open();
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!window->isVisible());
        QCOMPARE(closedCount_, 1);
    }
};

int main(int argc, char* argv[]) {
    // The browser runs as root in the build containers and has no GPU there.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QApplication app(argc, argv);
    WebMapWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "web_map_window_test.moc"
