// The panels over the map, drawn without style sheets: their room for the border and padding, their
// rounded border over what lies behind them, and the list's row colours.
#include "app/panel_widgets.hpp"

#include <QImage>
#include <QScrollBar>
#include <QStyleFactory>
#include <QtTest>
#include <memory>

using brelvo::app::kPanelBorder;
using brelvo::app::PanelGroupBox;
using brelvo::app::PanelLabel;
using brelvo::app::PanelList;
using brelvo::app::PanelLook;
using brelvo::app::PanelRowLook;
using brelvo::app::PanelTextEdit;

namespace {

const QColor kBehind(0, 200, 0);  // what the panels are rendered over
const QColor kBorder(0x8a, 0x90, 0x99);
const QColor kText(0x1c, 0x21, 0x28);
const QColor kHover(0xdb, 0xe7, 0xf7);
const QColor kSelected(0x2f, 0x6f, 0xbf);

PanelRowLook rowLook() {
    return {QMargins(8, 3, 8, 3), kText, kHover, kSelected, Qt::white};
}

// The widget and its children as they are drawn over kBehind.
QImage renderOverBackground(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(kBehind);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QColor at(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

// The colour `fill` gives over kBehind.
QColor over(const QColor& fill) {
    const double a = fill.alphaF();
    auto mix = [a](int top, int below) { return qRound(top * a + below * (1 - a)); };
    return QColor(mix(fill.red(), kBehind.red()), mix(fill.green(), kBehind.green()),
                  mix(fill.blue(), kBehind.blue()));
}

bool near(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) <= 1 && qAbs(a.green() - b.green()) <= 1 && qAbs(a.blue() - b.blue()) <= 1;
}

void hoverOver(QAbstractItemView& view, const QPoint& pos) {
    QWidget* viewport = view.viewport();
    for (const QEvent::Type type : {QEvent::HoverEnter, QEvent::HoverMove}) {
        QHoverEvent event(type, pos, viewport->mapToGlobal(QPointF(pos)), QPointF(-1, -1));
        QApplication::sendEvent(viewport, &event);
    }
}

}  // namespace

class PanelWidgetsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QWidget> host_;

  private slots:
    void init() {
        host_ = std::make_unique<QWidget>();
        host_->resize(700, 500);
    }

    void cleanup() { host_.reset(); }

    void theListsRowsAreTheStylesRowsWithThePadding() {
        auto* plain = new QListWidget(host_.get());
        auto* panel = new PanelList(PanelLook{Qt::white, kBorder, 3}, 2, rowLook(), host_.get());
        for (QListWidget* list : {plain, static_cast<QListWidget*>(panel)})
            list->addItems({QStringLiteral("Start Area"), QStringLiteral("Set Scale")});
        const QSize styleRow(plain->sizeHintForColumn(0), plain->sizeHintForRow(0));
        QCOMPARE(panel->sizeHintForRow(0), styleRow.height() + 6);
        QCOMPARE(panel->sizeHintForColumn(0), styleRow.width() + 16);
        // The frame is the border and the padding, so the rows start inside both.
        QCOMPARE(panel->edge(), kPanelBorder + 2);
        QCOMPARE(panel->frameWidth(), panel->edge());
        panel->setFixedSize(170, 100);
        host_->show();
        QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
        QCOMPARE(panel->viewport()->geometry(), QRect(3, 3, 164, 94));
    }

    void theListIsARoundedPanelWithColouredRows() {
        auto* list = new PanelList(PanelLook{Qt::white, kBorder, 3}, 2, rowLook(), host_.get());
        list->addItems(
            {QStringLiteral("Start Area"), QStringLiteral("Set Scale"), QStringLiteral("Add Label")});
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setFixedSize(170, list->sizeHintForRow(0) * 3 + 2 * list->frameWidth() + 6);
        host_->show();
        QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
        QVERIFY(list->viewport()->testAttribute(Qt::WA_Hover));

        QImage image = renderOverBackground(*list);
        QCOMPARE(at(image, 0, 0), kBehind);  // the corner is rounded off
        QCOMPARE(at(image, list->width() / 2, 0), kBorder);
        QCOMPARE(at(image, 0, list->height() / 2), kBorder);
        QCOMPARE(at(image, list->width() - 1, list->height() - 1), kBehind);
        QCOMPARE(at(image, 1, list->height() / 2), QColor(Qt::white));  // the padding is the panel's

        // The text of a plain row is the panel's, not the style's black.
        const QRect first = list->visualItemRect(list->item(0)).translated(list->viewport()->pos());
        int darkest = 255;
        for (int y = first.top(); y <= first.bottom(); ++y)
            for (int x = first.left(); x <= first.right(); ++x)
                darkest = qMin(darkest, at(image, x, y).red());
        QVERIFY2(darkest < 0x80, "the row's text is drawn");
        QVERIFY2(darkest >= kText.red(), "no pixel darker than the text colour");

        // The selected row and the row under the pointer are filled, edge to edge of the row.
        list->item(1)->setSelected(true);
        hoverOver(*list, list->visualItemRect(list->item(2)).center());
        image = renderOverBackground(*list);
        for (const auto& [row, fill] : {std::pair{0, QColor(Qt::white)}, {1, kSelected}, {2, kHover}}) {
            const QRect r = list->visualItemRect(list->item(row)).translated(list->viewport()->pos());
            QCOMPARE(at(image, r.left(), r.center().y()), fill);
            QCOMPARE(at(image, r.right(), r.center().y()), fill);
        }
        // The pointer on the selected row leaves it selected-coloured.
        hoverOver(*list, list->visualItemRect(list->item(1)).center());
        image = renderOverBackground(*list);
        const QRect selected = list->visualItemRect(list->item(1)).translated(list->viewport()->pos());
        QCOMPARE(at(image, selected.left(), selected.center().y()), kSelected);
    }

    void theLabelKeepsItsTextOffTheBorder() {
        const QString text = QStringLiteral("Area = 1.234 sq mi");
        auto* plain = new QLabel(text, host_.get());
        auto* panel = new PanelLabel(PanelLook{QColor(255, 255, 255, 225), kBorder, 3}, QMargins(6, 3, 6, 3),
                                     kText, host_.get());
        panel->setText(text);
        // Border, padding, and an "x" of the font split over both sides.
        const int x = panel->fontMetrics().horizontalAdvance(QLatin1Char('x'));
        QCOMPARE(panel->sizeHint(), plain->sizeHint() + QSize(2 + 12 + x, 2 + 6));
        QCOMPARE(panel->contentsMargins(), QMargins(7 + x / 2, 4, 7 + x - x / 2, 4));
        // A larger font gets its larger indent.
        QFont large = panel->font();
        large.setPointSize(large.pointSize() * 2);
        panel->setFont(large);
        const int largeX = QFontMetrics(large).horizontalAdvance(QLatin1Char('x'));
        QVERIFY(largeX > x);
        QCOMPARE(panel->contentsMargins().left(), 7 + largeX / 2);
        QCOMPARE(panel->palette().color(QPalette::WindowText), kText);

        panel->adjustSize();
        host_->show();
        QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
        const QImage image = renderOverBackground(*panel);
        QCOMPARE(at(image, 0, 0), kBehind);
        QCOMPARE(at(image, panel->width() / 2, panel->height() - 1), kBorder);
        QVERIFY(near(at(image, 2, panel->height() / 2),
                     over(QColor(255, 255, 255, 225))));  // the map shows through
    }

    void theTextBoxIsAPanelWithItsScrollBarsInside() {
        const QColor fill(255, 255, 255, 235);
        auto* box = new PanelTextEdit(PanelLook{fill, kBorder, 3}, host_.get());
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->setFixedSize(300, 150);
        QString text;
        for (int i = 0; i < 40; ++i) text += QString(120, QLatin1Char('x')) + QLatin1Char('\n');
        box->setPlainText(text);
        host_->show();
        QVERIFY(QTest::qWaitForWindowExposed(host_.get()));

        QCOMPARE(box->frameWidth(), kPanelBorder);
        QCOMPARE(box->viewport()->pos(), QPoint(1, 1));
        QScrollBar* vertical = box->verticalScrollBar();
        QScrollBar* horizontal = box->horizontalScrollBar();
        QVERIFY(vertical->isVisible() && horizontal->isVisible());
        QCOMPARE(vertical->mapTo(box, QPoint(vertical->width(), 0)), QPoint(box->width() - 1, 1));
        QCOMPARE(horizontal->mapTo(box, QPoint(0, horizontal->height())), QPoint(1, box->height() - 1));

        const QImage image = renderOverBackground(*box);
        QCOMPARE(at(image, 0, 0), kBehind);
        QCOMPARE(at(image, box->width() / 2, 0), kBorder);
        QCOMPARE(at(image, box->width() - 1, box->height() / 2), kBorder);
        // Behind the text the map shows through the panel's fill.
        QVERIFY(near(at(image, 1, box->height() / 2), over(fill)));
        // The style paints the corner between the scroll bars, over the panel.
        const QPoint corner(vertical->mapTo(box, QPoint(vertical->width() / 2, 0)).x(),
                            horizontal->mapTo(box, QPoint(0, horizontal->height() / 2)).y());
        QVERIFY(!near(at(image, corner.x(), corner.y()), over(fill)));
    }

    void theGroupBoxKeepsThePanelsMarginsThroughStyleAndFontChanges() {
        auto* box = new PanelGroupBox(QStringLiteral("Scale distance and units"),
                                      PanelLook{QColor(0xf6, 0xf7, 0xf9), kBorder, 4}, QMargins(8, 22, 8, 8),
                                      QPoint(8, 4), host_.get());
        const QMargins expected(9, 23, 9, 9);
        QCOMPARE(box->contentsMargins(), expected);
        QFont large = box->font();
        large.setPointSize(large.pointSize() + 6);
        box->setFont(large);  // the group box works its margins out again from the style
        QCOMPARE(box->contentsMargins(), expected);
        std::unique_ptr<QStyle> windows(QStyleFactory::create(QStringLiteral("Windows")));
        QVERIFY(windows);
        box->setStyle(windows.get());
        QCOMPARE(box->contentsMargins(), expected);
        box->setStyle(nullptr);

        box->resize(260, 120);
        host_->show();
        QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
        const QImage image = renderOverBackground(*box);
        QCOMPARE(at(image, 0, 0), kBehind);
        QCOMPARE(at(image, box->width() / 2, box->height() - 1), kBorder);
        QCOMPARE(at(image, box->width() - 5, box->height() / 2), QColor(0xf6, 0xf7, 0xf9));
        // The title is drawn in bold from 9 pixels in, 5 down (inside the border), in the room above
        // the contents.
        QFont bold = box->font();
        bold.setBold(true);
        const QRect titleRow(kPanelBorder + 8, kPanelBorder + 4,
                             QFontMetrics(bold).horizontalAdvance(box->title()), QFontMetrics(bold).height());
        int titleInk = 0, inkAbove = 0;
        for (int y = 1; y < expected.top(); ++y) {
            for (int x = 1; x < box->width() - 1; ++x) {
                const QColor c = at(image, x, y);
                if (qMax(c.red(), qMax(c.green(), c.blue())) >= 0x80) continue;  // not the title's ink
                (titleRow.adjusted(0, 0, QFontMetrics(bold).horizontalAdvance(QLatin1Char(' ')), 0)
                         .contains(x, y)
                     ? titleInk
                     : inkAbove)++;
            }
        }
        QVERIFY(titleInk > 0);
        QCOMPARE(inkAbove, 0);
    }
};

QTEST_MAIN(PanelWidgetsTest)
#include "panel_widgets_test.moc"
