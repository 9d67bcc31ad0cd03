// The panel over the map view while a map picture decodes in the background: the picture's preview as
// soon as it is there, fitted to the view, and a box with what is going on, the progress and Cancel. It
// covers the map (and its lines) and takes the mouse, so nothing is traced on a map about to change.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace brelvo::app {

class PictureLoadPanel : public QWidget {
  public:
    // Covers `view` (and follows its size); `cancel` is called by the Cancel button.
    PictureLoadPanel(QWidget& view, std::function<void()> cancel);

    // Shown loading (with Cancel) or putting the previous picture back (without).
    void start(bool restoring);
    // Hidden when the load has ended, its preview let go.
    void finish();
    void setPreview(QImage preview);
    // The preview's top while it decodes, drawn where it will lie in the whole `whole`-sized preview.
    void setPreviewBand(QImage top, QSize whole);
    // Percent done; before the first call the bar runs without a measure.
    void setProgress(int percent);
    int progress() const;
    bool hasPreview() const { return !preview_.isNull(); }
    bool hasPreviewBand() const { return !preview_.isNull() || !band_.isNull(); }
    bool cancellable() const;
    void cancelClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void placeBox();
    std::function<void()> cancel_;
    QImage preview_;
    QImage band_;  // the preview's top, until the whole preview comes
    QSize bandWhole_;
    QWidget* box_ = nullptr;
    QLabel* text_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* button_ = nullptr;
};

}  // namespace brelvo::app
