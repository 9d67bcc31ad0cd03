// The web map capture window: start-up with a bounded wait for the map page, scroll bars hidden on
// every loaded page, a copy of the map to the clipboard, and the close notice to the main window.
#include "app/web_map_window.hpp"

#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <exception>
#include <utility>

#include "app/map_picture_georef.hpp"
#include "mapview/map_georeference.hpp"

namespace brelvo::app {

namespace {

// The page's own scroll bars would cover the map in the captured picture; the root element and the
// body stop scrolling (the body may be missing, for instance on an image or plain SVG document).
constexpr const char* kHideScrollBarsScript =
    "(function () {"
    "  var root = document.documentElement;"
    "  if (root && root.style) root.style.overflow = 'hidden';"
    "  if (document.body) document.body.style.overflow = 'hidden';"
    "})();";

// The map's view as the page tells it: [zoom, latitude, longitude, centre x, centre y] (CSS pixels of the
// centre in the page), or null. A page may answer through a function brelvoMapView() returning
// {zoom, lat, lon, x, y} (x and y optional); else the address's "#zoom/lat/lon" or "#map=zoom/lat/lon",
// which web map pages keep up to date as the map moves, with the map filling the page.
constexpr const char* kMapViewScript =
    "(function () {"
    "  var v = null;"
    "  if (typeof window.brelvoMapView === 'function') v = window.brelvoMapView();"
    "  if (!v) {"
    "    var m = /^#(?:map=)?(\\d+(?:\\.\\d+)?)\\/(-?\\d+(?:\\.\\d+)?)\\/(-?\\d+(?:\\.\\d+)?)/"
    "      .exec(location.hash);"
    "    if (m) v = {zoom: +m[1], lat: +m[2], lon: +m[3]};"
    "  }"
    "  if (!v) return null;"
    "  var x = (typeof v.x === 'number') ? v.x : window.innerWidth / 2;"
    "  var y = (typeof v.y === 'number') ? v.y : window.innerHeight / 2;"
    "  return [v.zoom, v.lat, v.lon, x, y];"
    "})();";

// The browser's sandbox cannot run for the root user, and without this setting the browser ends
// the whole program when the first page opens. It is read when the first browser is created.
void allowBrowserForRoot() {
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
}

}  // namespace

WebMapWindow::WebMapWindow(std::function<void()> onClosedCallback, QString address,
                           std::chrono::milliseconds pageWait)
    : onClosed(std::move(onClosedCallback)), address_(std::move(address)), waitLimit_(pageWait) {
    setObjectName(QStringLiteral("Form4"));
    // A helper window of the main window: it does not keep the program running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);

    copyButton_ = new QPushButton(QString::fromLatin1(kCopyMapText), this);
    copyButton_->setObjectName(QStringLiteral("cmdCopyMap"));
    copyButton_->setToolTip(QStringLiteral("Ctrl+C"));
    copyButton_->setFocusPolicy(Qt::NoFocus);  // keys stay with the map
    connect(copyButton_, &QPushButton::clicked, this, [this] { copyMapToClipboard(); });

    allowBrowserForRoot();
    view_ = new QWebEngineView(this);
    view_->setObjectName(QStringLiteral("WebBrowser1"));
    view_->setVisible(false);  // shown by the start-up sequence
    connect(view_->page(), &QWebEnginePage::loadFinished, this, [this](bool) { hidePageScrollBars(); });

    // The browser fills everything below the button row, at every size.
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(4, 4, 4, 4);
    buttons->addWidget(copyButton_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(buttons);
    layout->addWidget(view_, 1);
}

WebMapWindow::~WebMapWindow() {
    if (filtering_) qApp->removeEventFilter(this);
}

void WebMapWindow::open() {
    if (pageWait_) return;  // already inside the start-up sequence
    isOpen_ = true;
    try {
        runStartUp();
    } catch (const std::exception& error) {
        // The window stays as far as the sequence got.
        QMessageBox::information(this, QString(), QString::fromLocal8Bit(error.what()));
    }
}

void WebMapWindow::runStartUp() {
    view_->setUrl(QUrl(QStringLiteral("about:blank")));
    if (!processMessages()) return;
    show();
    if (!processMessages()) return;
    // Screen-sized as well, for desktops whose window manager does not maximize (or that have none).
    if (const QScreen* screen = this->screen()) setGeometry(screen->availableGeometry());
    showMaximized();
    if (!processMessages()) return;
    setWindowTitle(QString::fromLatin1(kWebMapTitle));
    view_->setVisible(true);
    QElapsedTimer clock;
    clock.start();
    if (address_.isEmpty()) return;

    view_->setUrl(QUrl(address_));
    // Wait until the page (or the browser's error page) has finished loading, the limit has passed
    // or the user has closed the window; a slower page goes on loading in the window.
    QEventLoop wait;
    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer);  // a coarse timer may end the wait up to 5 % early
    connect(&limit, &QTimer::timeout, &wait, &QEventLoop::quit);
    QWebEnginePage* page = view_->page();
    connect(page, &QWebEnginePage::loadFinished, &wait, [&wait, page](bool) {
        if (!page->isLoading()) wait.quit();
    });
    limit.start(
        std::max(std::chrono::milliseconds{0}, waitLimit_ - std::chrono::milliseconds{clock.elapsed()}));
    pageWait_ = &wait;
    wait.exec();
    pageWait_ = nullptr;
    processMessages();
}

bool WebMapWindow::processMessages() {
    QCoreApplication::processEvents();
    return isOpen_;
}

void WebMapWindow::hidePageScrollBars() {
    view_->page()->runJavaScript(QString::fromLatin1(kHideScrollBarsScript));
}

void WebMapWindow::copyMapToClipboard() {
    const QImage image = view_->grab().toImage();
    QGuiApplication::clipboard()->setImage(image, QClipboard::Clipboard);
    // The picture goes at once; its georeference follows when the page has told where its map is
    // (the picture is put again, with it). Pixels of the capture per CSS pixel of the page:
    const double ratio = image.devicePixelRatio() * view_->zoomFactor();
    view_->page()->runJavaScript(QString::fromLatin1(kMapViewScript), [image, ratio](const QVariant& result) {
        const QVariantList v = result.toList();
        if (v.size() != 5) return;
        mapview::WebMapView view;
        view.zoom = v[0].toDouble();
        view.lat = v[1].toDouble();
        view.lon = v[2].toDouble();
        view.centreX = v[3].toDouble();
        view.centreY = v[4].toDouble();
        const auto geotransform = mapview::webMapGeotransform(view, ratio);
        if (!geotransform) return;
        auto* mime = new QMimeData;
        mime->setImageData(image);
        mime->setData(QString::fromLatin1(kGeoreferenceMimeType), webMapGeoreferenceJson(*geotransform));
        QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
    });
}

void WebMapWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (!isOpen_) return;
    isOpen_ = false;
    if (pageWait_) pageWait_->quit();  // a close during the start-up wait ends the sequence
    if (onClosed) onClosed();
}

void WebMapWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!filtering_) {
        qApp->installEventFilter(this);
        filtering_ = true;
    }
}

void WebMapWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (filtering_) {
        qApp->removeEventFilter(this);
        filtering_ = false;
    }
}

// Ctrl+C anywhere in this window copies the map. The browser would otherwise claim the key for its
// own text copy, so the key is taken before it reaches the page. The filter sees the browser engine's
// internal objects too, whose type information the engine keeps to itself: the sanitizer's dynamic
// type check cannot follow them, so it is off for this one function.
__attribute__((no_sanitize("vptr"))) bool WebMapWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        if (type == QEvent::KeyPress) copyMapToClipboard();
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace brelvo::app
