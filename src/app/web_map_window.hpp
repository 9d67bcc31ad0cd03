// The web map capture window (Form4): a large topographic web map that the user pans to the basin and
// copies to the clipboard, from where "Paste From Clipboard" takes it as the map picture.
#pragma once

#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>

#include "app/web_map.hpp"

class QEventLoop;
class QPushButton;
class QWebEngineView;

namespace brelvo::app {

// The map page: the national topographic map viewer of a public mapping agency.
inline constexpr const char* kWebMapAddress = "https://apps.nationalmap.gov/viewer/";

inline constexpr const char* kWebMapTitle = "Press Alt*PrtScr to copy to clipboard, then close this form";
inline constexpr const char* kCopyMapText = "Copy map to clipboard";

// The longest the start-up sequence waits for the map page.
inline constexpr std::chrono::milliseconds kWebMapPageWait{10000};

class WebMapWindow : public QWidget {
  public:
    // address: the page to show; the map page unless a test points the window at another page.
    // pageWait: the longest the start-up sequence waits for it (tests shorten it).
    explicit WebMapWindow(std::function<void()> onClosed,
                          QString address = QString::fromLatin1(kWebMapAddress),
                          std::chrono::milliseconds pageWait = kWebMapPageWait);
    ~WebMapWindow() override;

    // The start-up sequence: a blank page, show, maximize, title, then load the page and wait until it
    // has finished loading, the wait limit has passed or the user has closed the window. Messages
    // are processed throughout, so the window and the main window stay responsive.
    void open();

    // Puts the browser's image, as now shown, on the clipboard (button and Ctrl+C).
    void copyMapToClipboard();

    QWebEngineView* view() const { return view_; }
    QPushButton* copyButton() const { return copyButton_; }
    const QString& address() const { return address_; }
    std::chrono::milliseconds waitLimit() const { return waitLimit_; }

    // Runs each time the user closes the window (not when it is destroyed unclosed).
    std::function<void()> onClosed;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void runStartUp();
    void hidePageScrollBars();
    // Processes pending messages; false once the window has been closed meanwhile.
    bool processMessages();

    QString address_;
    std::chrono::milliseconds waitLimit_;
    QPushButton* copyButton_ = nullptr;
    QWebEngineView* view_ = nullptr;
    QEventLoop* pageWait_ = nullptr;  // set while the start-up sequence waits for the page
    bool isOpen_ = false;             // between open() and the user's close
    bool filtering_ = false;          // the Ctrl+C filter is installed on the application
};

}  // namespace brelvo::app
