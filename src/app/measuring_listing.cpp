// The measuring window's coordinate listing (Text1): built when it first shows, set from the document,
// and its own mouse and keys while a line is traced.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#include "app/line_ends.hpp"
#include "app/map_view.hpp"
#include "app/measuring_keys.hpp"
#include "app/measuring_panels.hpp"
#include "app/measuring_widgets.hpp"

namespace brelvo::app {

using namespace panels;
namespace names = common::controls::form1;

QPlainTextEdit* MeasuringWidgets::coordinateBox() {
    if (coordinateBox_ != nullptr) return coordinateBox_;
    coordinateBox_ = new PanelTextEdit(panelLook(QColor(255, 255, 255, 235)), mapView_);
    coordinateBox_->setObjectName(qName(names::kText1));
    coordinateBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    coordinateBox_->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 9));
    coordinateBox_->setFixedSize(kText1WidthPixels, kText1HeightPixels);
    coordinateBox_->hide();
    // A right press saves the listing, so the editor's own context menu would only get in the way.
    coordinateBox_->setContextMenuPolicy(Qt::PreventContextMenu);
    coordinateBox_->setToolTip(QStringLiteral("Drag to move; right-click to save the coordinates"));
    coordinateBox_->viewport()->installEventFilter(this);
    coordinateBox_->installEventFilter(this);  // its keys, while a line is traced
    connect(coordinateBox_, &QPlainTextEdit::textChanged, this, [this] {
        if (syncing_) return;
        // Typed by the user: the caret stays where the widget has it.
        measure::TextBox& typed = doc_.edit(measure::SurfacePart::Text1).text1;
        typed.text = withCrLf(coordinateBox_->toPlainText());
        const QString before = coordinateBox_->toPlainText().left(coordinateBox_->textCursor().position());
        typed.caret = static_cast<int>(withCrLf(before).size());
    });

    coordinateBox_->setAttribute(Qt::WA_NoMousePropagation);
    // Above what was built before it, as if it had been there from the start: under the scale panel and
    // the labels, over the lists.
    coordinateBox_->stackUnder(scalePanel_);
    syncText1();
    return coordinateBox_;
}

void MeasuringWidgets::syncText1() {
    const measure::TextBox& text1 = doc_.controls().text1;
    if (coordinateBox_ == nullptr) {
        if (!text1.visible) return;  // built when it first shows
        coordinateBox();             // which sets it from the document
        return;
    }
    syncing_ = true;
    const QString shown = withLineFeeds(text1.text);
    if (coordinateBox_->toPlainText() != shown) coordinateBox_->setPlainText(shown);
    // The caret counts CR LF as two characters; the widget holds a line feed only.
    const QString before =
        QString::fromStdString(text1.text.substr(0, static_cast<std::size_t>(std::max(0, text1.caret))));
    QTextCursor cursor = coordinateBox_->textCursor();
    cursor.setPosition(std::min(static_cast<int>(withLineFeeds(before.toStdString()).size()),
                                static_cast<int>(shown.size())));
    coordinateBox_->setTextCursor(cursor);
    coordinateBox_->ensureCursorVisible();
    syncing_ = false;
    placeBox(coordinateBox_, text1);
}

bool MeasuringWidgets::coordinateBoxMouse(QEvent::Type type, QMouseEvent* mouse) {
    // Positions relative to the whole box, frame included, as the box is what moves.
    const QPointF p = coordinateBox_->viewport()->mapTo(coordinateBox_, mouse->position());
    const float bx = static_cast<float>(p.x()) * tpp_;
    const float by = static_cast<float>(p.y()) * tpp_;
    if (type == QEvent::MouseButtonPress) {
        text1ClickPending_ = controller_.tracing() && mouse->button() == Qt::LeftButton;
        input_.text1Press(measureButton(mouse->button()), bx, by);
        // A left press still places the caret, except while a line is traced; any other press is the
        // save alone.
        return mouse->button() != Qt::LeftButton || text1ClickPending_;
    }
    if (type == QEvent::MouseMove) {
        if (!(mouse->buttons() & Qt::LeftButton)) return false;
        text1ClickPending_ = false;
        input_.text1Move(bx, by);
        return true;  // the box moves instead of selecting text
    }
    // Release: a click on the box while a line is traced was meant for the map under it.
    if (!text1ClickPending_ || mouse->button() != Qt::LeftButton) return false;
    text1ClickPending_ = false;
    const QPointF onMap = coordinateBox_->viewport()->mapTo(mapView_, mouse->position());
    input_.mapMouseUp(measure::MouseButton::Left,
                      static_cast<float>(onMap.x()) * tpp_ - geometry_.picture.left,
                      static_cast<float>(onMap.y()) * tpp_ - geometry_.picture.top);
    return true;
}

bool MeasuringWidgets::coordinateBoxKey(QEvent* event) {
    if (!controller_.tracing()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::ShortcutOverride) {
        // The listing's own shortcuts (its undo) give way to the map's keys.
        const auto action = actionOfKey(key->key(), key->modifiers());
        if (action == MeasuringAction::Undo || action == MeasuringAction::UndoPoint ||
            action == MeasuringAction::Escape)
            event->accept();
        return false;
    }
    // Every key goes to the map: the listing is not edited while a line is traced.
    if (!input_.handleKey(key->key(), key->modifiers())) event->ignore();
    return true;
}

}  // namespace brelvo::app
