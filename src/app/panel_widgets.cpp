#include "app/panel_widgets.hpp"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionGroupBox>
#include <QStyledItemDelegate>
#include <algorithm>

namespace brelvo::app {

namespace {

QMargins evenMargins(int width) {
    return {width, width, width, width};
}

void setTextColour(QWidget& widget, QColor colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget.setPalette(palette);
}

// A scroll area's frame as wide as the room the panel takes on each side, so that the viewport and the
// scroll bars sit inside it; the panel is painted in the frame's place (paintScrollPanel).
void setPanelFrame(QFrame& frame, int width) {
    frame.setFrameStyle(QFrame::Box | QFrame::Plain);
    frame.setLineWidth(width);
}

// What a scroll area paints of itself, outside its viewport: here the panel instead of the frame, then,
// as the scroll area does, the style's corner between the two scroll bars when both show.
void paintScrollPanel(QAbstractScrollArea& area, const PanelLook& look) {
    QPainter painter(&area);
    paintPanel(painter, area.rect(), look);
    const QScrollBar* vertical = area.verticalScrollBar();
    const QScrollBar* horizontal = area.horizontalScrollBar();
    if (!vertical->isVisible() || !horizontal->isVisible()) return;
    QStyleOption option;
    option.initFrom(&area);
    option.palette.setBrush(QPalette::Window, look.fill);  // the corner takes the panel's colour
    option.palette.setBrush(QPalette::Button, look.fill);
    option.rect = QRect(vertical->mapTo(&area, QPoint()).x(), horizontal->mapTo(&area, QPoint()).y(),
                        vertical->width(), horizontal->height());
    area.style()->drawPrimitive(QStyle::PE_PanelScrollAreaCorner, &option, &painter, &area);
}

// Draws a PanelList's rows: the row's fill when it is under the pointer or selected, then the style's
// own item (without its selection) in the row's text colour. A row is as high and wide as the style's
// item with the padding around it.
class PanelRowDelegate : public QStyledItemDelegate {
  public:
    PanelRowDelegate(const PanelRowLook& look, QObject* parent) : QStyledItemDelegate(parent), look_(look) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index).grownBy(look_.padding);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        QStyleOptionViewItem inner(option);
        // The text stays where it is under the pointer: moved in by the padding, a long entry would be cut.
        if (selected || option.state.testFlag(QStyle::State_MouseOver))
            painter->fillRect(option.rect, selected ? look_.selectedFill : look_.hoverFill);
        inner.state &= ~(QStyle::State_Selected | QStyle::State_MouseOver | QStyle::State_HasFocus);
        inner.palette.setColor(QPalette::Text, selected ? look_.selectedText : look_.text);
        QStyledItemDelegate::paint(painter, inner, index);
    }

  private:
    PanelRowLook look_;
};

}  // namespace

void paintPanel(QPainter& painter, const QRect& rect, const PanelLook& look) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // The pen runs along the middle of the outermost pixels, so that the straight edges stay sharp.
    const qreal half = kPanelBorder / 2.0;
    const qreal radius = std::max(0.0, look.radius - half);
    painter.setPen(QPen(look.border, kPanelBorder));
    painter.setBrush(look.fill);
    painter.drawRoundedRect(QRectF(rect).adjusted(half, half, -half, -half), radius, radius);
    painter.restore();
}

PanelLabel::PanelLabel(const PanelLook& look, QMargins padding, QColor textColour, QWidget* parent)
    : QLabel(parent), look_(look), padding_(padding) {
    setPanelMargins();
    setTextColour(*this, textColour);
}

void PanelLabel::setPanelMargins() {
    // A framed label keeps its text off the frame by the width of an "x" of its font, half of it on
    // each side.
    const int x = fontMetrics().horizontalAdvance(QLatin1Char('x'));
    setContentsMargins(padding_ + evenMargins(kPanelBorder) + QMargins(x / 2, 0, x - x / 2, 0));
}

void PanelLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) setPanelMargins();
}

void PanelLabel::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        paintPanel(painter, rect(), look_);
    }
    QLabel::paintEvent(event);
}

PanelList::PanelList(const PanelLook& look, int padding, const PanelRowLook& rows, QWidget* parent)
    : QListWidget(parent), look_(look), padding_(padding) {
    setPanelFrame(*this, edge());
    viewport()->setAutoFillBackground(false);  // the panel behind the rows is the list's background
    viewport()->setAttribute(Qt::WA_Hover);    // so that the row under the pointer is known
    setItemDelegate(new PanelRowDelegate(rows, this));
}

bool PanelList::event(QEvent* event) {
    if (event->type() != QEvent::Paint) return QListWidget::event(event);
    paintScrollPanel(*this, look_);
    return true;
}

PanelTextEdit::PanelTextEdit(const PanelLook& look, QWidget* parent) : QPlainTextEdit(parent), look_(look) {
    setPanelFrame(*this, kPanelBorder);
    viewport()->setAutoFillBackground(false);
}

bool PanelTextEdit::event(QEvent* event) {
    if (event->type() != QEvent::Paint) return QPlainTextEdit::event(event);
    paintScrollPanel(*this, look_);
    return true;
}

PanelGroupBox::PanelGroupBox(const QString& title, const PanelLook& look, QMargins padding,
                             QPoint titleOffset, QWidget* parent)
    : QGroupBox(title, parent), look_(look), padding_(padding), titleOffset_(titleOffset) {
    setPanelMargins();
}

void PanelGroupBox::setPanelMargins() {
    setContentsMargins(padding_ + evenMargins(kPanelBorder));
}

void PanelGroupBox::changeEvent(QEvent* event) {
    // The group box sets its margins from the style's frame when the style or the font changes.
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange) setPanelMargins();
}

void PanelGroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintPanel(painter, rect(), look_);

    QFont bold = font();
    bold.setBold(true);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    option.fontMetrics = QFontMetrics(bold);
    // Qt's common group box title box: a space wider than the title, which is centred in it.
    const QRect box(QPoint(kPanelBorder, kPanelBorder) + titleOffset_,
                    QSize(option.fontMetrics.size(Qt::TextShowMnemonic, title() + QLatin1Char(' ')).width(),
                          option.fontMetrics.height()));
    QPalette palette = option.palette;
    if (option.textColor.isValid()) palette.setColor(QPalette::WindowText, option.textColor);
    int alignment = Qt::AlignCenter | Qt::TextShowMnemonic;
    if (!style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this)) alignment |= Qt::TextHideMnemonic;
    painter.setFont(bold);
    style()->drawItemText(&painter, box, alignment, palette, isEnabled(), title(), QPalette::WindowText);
}

}  // namespace brelvo::app
