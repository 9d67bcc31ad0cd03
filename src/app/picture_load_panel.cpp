// The loading panel over the map view.
#include "app/picture_load_panel.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "common/messages.hpp"

namespace brelvo::app {

PictureLoadPanel::PictureLoadPanel(QWidget& view, std::function<void()> cancel)
    : QWidget(&view), cancel_(std::move(cancel)) {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    box_ = new QWidget(this);
    box_->setAutoFillBackground(true);
    auto* column = new QVBoxLayout(box_);
    text_ = new QLabel(box_);
    bar_ = new QProgressBar(box_);
    bar_->setMinimumWidth(260);
    button_ = new QPushButton(QString::fromLatin1(common::msg::kPictureLoadCancel), box_);
    auto* row = new QHBoxLayout;
    row->addWidget(bar_, 1);
    row->addWidget(button_);
    column->addWidget(text_);
    column->addLayout(row);
    QObject::connect(button_, &QPushButton::clicked, this, [this] { cancelClicked(); });
    view.installEventFilter(this);
    hide();
}

void PictureLoadPanel::start(bool restoring) {
    preview_ = QImage();
    band_ = QImage();
    text_->setText(
        QString::fromLatin1(restoring ? common::msg::kPictureRestoring : common::msg::kPictureLoading));
    button_->setVisible(!restoring);
    bar_->setRange(0, 0);  // no measure yet
    setGeometry(parentWidget()->rect());
    placeBox();
    show();
    raise();
}

void PictureLoadPanel::finish() {
    hide();
    preview_ = QImage();
    band_ = QImage();
}

void PictureLoadPanel::setPreview(QImage preview) {
    preview_ = std::move(preview);
    band_ = QImage();
    update();
}

void PictureLoadPanel::setPreviewBand(QImage top, QSize whole) {
    if (!preview_.isNull() || top.isNull() || whole.isEmpty()) return;
    band_ = std::move(top);
    bandWhole_ = whole;
    update();
}

void PictureLoadPanel::setProgress(int percent) {
    if (bar_->maximum() != 100) bar_->setRange(0, 100);
    bar_->setValue(percent);
}

int PictureLoadPanel::progress() const {
    return bar_->maximum() == 100 ? bar_->value() : -1;
}

bool PictureLoadPanel::cancellable() const {
    return isVisible() && !button_->isHidden();
}

void PictureLoadPanel::cancelClicked() {
    if (cancel_) cancel_();
}

bool PictureLoadPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
        placeBox();
    }
    return false;
}

void PictureLoadPanel::placeBox() {
    box_->adjustSize();
    const QSize size = box_->sizeHint();
    box_->setGeometry((width() - size.width()) / 2, std::max(0, height() - size.height() - 24), size.width(),
                      size.height());
}

void PictureLoadPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    const bool whole = !preview_.isNull();
    if (!whole && band_.isNull()) return;
    // The preview as large as the view allows, in its own proportions; its top alone while it decodes.
    QSize fitted = whole ? preview_.size() : bandWhole_;
    fitted.scale(size(), Qt::KeepAspectRatio);
    const QRect target((width() - fitted.width()) / 2, (height() - fitted.height()) / 2, fitted.width(),
                       fitted.height());
    if (whole) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(target, preview_);
        return;
    }
    // Bands are drawn plainly: smoothing each would take the processor from the decoding.
    const int bandHeight =
        static_cast<int>(static_cast<long long>(target.height()) * band_.height() / bandWhole_.height());
    painter.drawImage(QRect(target.left(), target.top(), target.width(), bandHeight), band_);
}

// The map below is out of reach while the picture loads: clicks and the wheel stop here.
void PictureLoadPanel::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void PictureLoadPanel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void PictureLoadPanel::wheelEvent(QWheelEvent* event) {
    event->accept();
}

}  // namespace brelvo::app
