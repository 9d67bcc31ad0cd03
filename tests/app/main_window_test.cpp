// The measuring window under real mouse and keyboard events: the widgets must deliver positions in view
// units (15 per pixel at 96 dpi) and drive the same logic the script runner replays.
#include "app/main_window.hpp"

#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>
#include <stdexcept>
#include <string>

#include "app/help_window.hpp"
#include "app/runoff_window.hpp"
#include "app/script_runner.hpp"
#include "common/control_names.hpp"

using brelvo::app::MainWindow;
using brelvo::app::ScriptDialogs;

namespace {

void clickItem(QListWidget* list, const QString& text) {
    const auto items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(text));
    const QRect r = list->visualItemRect(items.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    ScriptDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;

    QWidget* view() const { return window_->control(QStringLiteral("UserControlPic1")); }
    template <typename T>
    T* named(const char* name) const {
        auto* w = qobject_cast<T*>(window_->control(QString::fromLatin1(name)));
        if (!w) qFatal("no control %s", name);
        return w;
    }

  private slots:
    void init() {
        window_ = std::make_unique<MainWindow>(dialogs_);
        window_->showMaximizedAtStart();
        window_->showNormal();
        window_->resize(800, 600);
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        dialogs_.takeMessages();
    }

    void cleanup() { window_.reset(); }

    void controlNamesFindTheirWidgets() {
        namespace names = brelvo::common::controls::form1;
        // Each name that code uses is a widget of the matching kind.
        QVERIFY(qobject_cast<QListWidget*>(&window_->requiredControl(names::kLstMenu1)));
        QVERIFY(qobject_cast<QListWidget*>(&window_->requiredControl(names::kLstMenu2)));
        QVERIFY(qobject_cast<QPlainTextEdit*>(&window_->requiredControl(names::kText1)));
        QVERIFY(qobject_cast<QLineEdit*>(&window_->requiredControl(names::kText2)));
        QVERIFY(qobject_cast<QGroupBox*>(&window_->requiredControl(names::kFrameScale)));
        QVERIFY(qobject_cast<QToolButton*>(&window_->requiredControl(names::kUpDown1Up)));
        QVERIFY(qobject_cast<QToolButton*>(&window_->requiredControl(names::kUpDown1Down)));
        QCOMPARE(&window_->requiredControl(names::kUpDown1),
                 window_->requiredControl(names::kUpDown1Up).parentWidget());
        auto* ok = qobject_cast<QPushButton*>(&window_->requiredControl(names::kCommand1));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("Ok"));
        auto* option =
            qobject_cast<QRadioButton*>(&window_->requiredControl(names::indexed(names::kOption1, 6)));
        QVERIFY(option);
        QCOMPARE(option->text(), QStringLiteral("General Pixels"));
        QCOMPARE(names::indexed(names::kLabel1, 3), std::string("Label1(3)"));
        QVERIFY(window_->control(QString::fromStdString(names::indexed(names::kLabel1, 0))) != nullptr);
        QCOMPARE(&window_->requiredControl(names::kForm1), static_cast<QWidget*>(window_.get()));
        QCOMPARE(&window_->requiredControl(names::kMapView), view());
        // The script's qualified form names the same widget.
        QCOMPARE(window_->control(QStringLiteral("Form1.Command1")), static_cast<QWidget*>(ok));

        // An unknown name: none for a script, a programming error for code.
        QCOMPARE(window_->control(QStringLiteral("Text9")), nullptr);
        QVERIFY_THROWS_EXCEPTION(std::logic_error, window_->requiredControl("Text9"));
        QVERIFY_THROWS_EXCEPTION(std::logic_error,
                                 window_->requiredControl(names::indexed(names::kOption1, 7)));
    }

    void theWindowIsBuiltWithoutStyleSheets() {
        // A style sheet makes Qt build its style-sheet style and polish the widgets through it, which
        // is slow at start: the panels over the map are drawn without one.
        QVERIFY(qApp->styleSheet().isEmpty());
        QList<QWidget*> widgets = window_->findChildren<QWidget*>();
        QVERIFY(widgets.size() > 20);
        widgets.append(window_.get());
        for (const QWidget* widget : widgets) {
            const QString name = QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') +
                                 widget->objectName();
            QVERIFY2(widget->styleSheet().isEmpty(), qPrintable(name));
            QVERIFY2(qstrcmp(widget->style()->metaObject()->className(), "QStyleSheetStyle") != 0,
                     qPrintable(name));
        }
    }

    void traceAreaWithTheMouse() {
        QCOMPARE(window_->twipsPerPixelX(), 15.0f);
        // A right click opens the command menu where the mouse is.
        QTest::mouseClick(view(), Qt::RightButton, {}, QPoint(100, 80));
        auto* menu = named<QListWidget>("lstMenu1");
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), QPoint(100, 80));
        clickItem(menu, QStringLiteral("Start Area"));
        QCOMPARE(window_->measureState().mode, 1);
        QCOMPARE(view()->cursor().shape(), Qt::CrossCursor);

        for (const QPoint p : {QPoint(100, 100), QPoint(300, 100), QPoint(300, 300)}) {
            QTest::mouseClick(view(), Qt::LeftButton, {}, p);
        }
        QTest::mouseClick(view(), Qt::RightButton, {}, QPoint(400, 50));
        clickItem(menu, QStringLiteral("End Area/Line"));

        // A 200 x 200 pixel right triangle is 3000 x 3000 view units: half of 9E6 square units.
        const auto& s = window_->measureState();
        QCOMPARE(QString::fromStdString(s.areaText), QStringLiteral("Area1= 4500000, Perimeter= 10243"));
        auto* text = named<QPlainTextEdit>("Text1");
        QVERIFY(text->isVisible());
        QVERIFY(text->toPlainText().startsWith(
            QStringLiteral("Area1 X,Y Coordinates  \n1500, 7500\n4500, 7500\n")));
        QCOMPARE(view()->cursor().shape(), Qt::ArrowCursor);
        // The title is the project's name, its unsaved-changes mark and the caption.
        QCOMPARE(
            window_->windowTitle(),
            QStringLiteral(
                "Untitled[*] - Right click coordinate text box to save... or select 'Add Label' from menu"));
        QVERIFY(window_->isWindowModified());
    }

    void panZoomControlRegions() {
        // The control sits at the view's lower right; its plus sign zooms about the view's centre.
        auto* control = window_->control(QStringLiteral("img4Way"));
        QCOMPARE(control->geometry(), QRect(800 - 49, 600 - 33, 49, 33));
        const float before = window_->measureState().scaleX;
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(41, 8));  // zoom in
        QCOMPARE(window_->measureState().scaleX, static_cast<float>(before / (1 + 0.05f)));
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(41, 25));  // zoom out
        QCOMPARE(window_->measureState().scaleX, before);
        // The corner left of the up arrow belongs to no region: nothing moves, nothing is said.
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(window_->measureState().scaleX, before);
        QVERIFY(dialogs_.takeMessages().empty());

        // While an area is traced the view zooms all the same, without a word.
        window_->chooseCommand("Start Area");
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(41, 8));
        QVERIFY(dialogs_.takeMessages().empty());
        QCOMPARE(window_->measureState().scaleX, static_cast<float>(before / (1 + 0.05f)));
    }

    void scalePanelWithTheMouse() {
        window_->chooseCommand("Set Scale");
        QTest::mouseClick(view(), Qt::LeftButton, {}, QPoint(100, 200));
        QTest::mouseClick(view(), Qt::LeftButton, {}, QPoint(500, 220));
        auto* panel = named<QGroupBox>("frameScale");
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->title(), QStringLiteral("Scale distance and units"));

        // Feet propose a mile in feet; a typed distance then sets 2000 ft over 400 pixels.
        named<QRadioButton>("Option1(2)")->click();
        auto* distance = named<QLineEdit>("Text2");
        QCOMPARE(distance->text(), QStringLiteral("5280"));
        distance->clear();
        QTest::keyClicks(distance, QStringLiteral("2000"));
        QTest::mouseClick(named<QToolButton>("UpDown1.up"), Qt::LeftButton);
        QCOMPARE(distance->text(), QStringLiteral("7280"));

        // Dragging the panel by its frame moves it with the mouse.
        const QPoint start = panel->pos();
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(60, 40), panel->mapToGlobal(QPointF(60, 40)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(panel, &move);
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(60, 40));
        // Releasing the mouse over the panel is the panel's: the map below takes no scale point from it.
        QCOMPARE(panel->pos(), start + QPoint(50, 30));
        QCOMPARE(window_->measureState().scalePoint2.x, 500.0f * 15);

        QTest::mouseClick(named<QPushButton>("Command1"), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        const auto& s = window_->measureState();
        QCOMPARE(s.scaleX, 7280.0f / 6000.0f);
        QCOMPARE(QString::fromStdString(s.lengthUnitText), QStringLiteral(" (ft)"));
        QCOMPARE(QString::fromStdString(s.areaUnitText), QStringLiteral(" (ft^2)"));
    }

    void typedListingIsWhatUndoCuts() {
        // The coordinate box is a text box: what the user types there is the listing the logic works on.
        window_->chooseCommand("Start Area");
        window_->mapMouseUp(brelvo::measure::MouseButton::Left, 1000, 1000);
        window_->mapMouseUp(brelvo::measure::MouseButton::Left, 2000, 1000);
        auto* text = named<QPlainTextEdit>("Text1");
        QTextCursor end = text->textCursor();
        end.movePosition(QTextCursor::End);
        text->setTextCursor(end);
        // While a line is traced the keys are the map's: nothing typed reaches the listing, and the cut
        // takes the last point's line.
        QTest::keyClicks(text, QStringLiteral("note"));
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(text->toPlainText(), QStringLiteral("Area1 X,Y Coordinates  \n1000, 8000\n2000, 8000\n"));
        window_->chooseCommand("Undo Current Line");
        QCOMPARE(text->toPlainText(), QStringLiteral("Area1 X,Y Coordinates  \n1000, 8000\n"));
    }

    void savedAndCopiedViewsLeaveOutTheControlsAndMenus() {
        // A view with the coordinate box, the command menu and the pan/zoom control all showing, and a
        // traced line, then saved as a bitmap and copied (printing draws the same capture).
        window_->chooseCommand("Start Stream Line");
        window_->mapMouseUp(brelvo::measure::MouseButton::Left, 3000, 3000);
        window_->mapMouseUp(brelvo::measure::MouseButton::Left, 6000, 3000);
        window_->mapMouseUp(brelvo::measure::MouseButton::Right, 0, 0);
        QVERIFY(window_->control(QStringLiteral("Text1"))->isVisible());
        QVERIFY(window_->control(QStringLiteral("lstMenu1"))->isVisible());
        const QString folder = QDir::tempPath() + QStringLiteral("/brelvo_view_test");
        QDir().mkpath(folder);
        const QString bmp = folder + QStringLiteral("/view.bmp");
        QFile::remove(bmp);
        window_->chooseCommand("Load/Save Map");
        dialogs_.queueAnswer(bmp.toStdString());
        window_->choosePicture("Save Map Image");
        window_->chooseCommand("Load/Save Map");
        window_->choosePicture("Copy to Clipboard");

        const QImage saved(bmp);
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(saved.size(), QSize(800, 600));
        QCOMPARE(copied.size(), QSize(800, 600));
        const QRgb background = qRgb(0xE8, 0xEA, 0xED);
        for (const QImage& image : {saved, copied}) {
            QCOMPARE(image.pixel(790, 590), background);       // where the pan/zoom control stands
            QCOMPARE(image.pixel(60, 60), background);         // where the menu and the coordinate box were
            QCOMPARE(image.pixel(300, 200), qRgb(0, 0, 255));  // the stream line, 3000..6000 view units
        }
        // The control is back on the screen afterwards.
        QVERIFY(window_->control(QStringLiteral("img4Way"))->isVisible());
    }

    void backspaceAndCtrlZAreUndoCurrentLine() {
        window_->chooseCommand("Start Area");
        for (const QPoint p : {QPoint(100, 100), QPoint(300, 100)})
            QTest::mouseClick(view(), Qt::LeftButton, {}, p);
        auto* text = named<QPlainTextEdit>("Text1");
        const QString twoPoints = text->toPlainText();
        const auto lastPointAtTwo = window_->measureState().lastPoint;
        QTest::mouseClick(view(), Qt::LeftButton, {}, QPoint(300, 300));
        QCOMPARE(window_->measureState().segmentIndex, 2);

        // Backspace removes the last point, as "Undo Current Line" does.
        QTest::keyClick(view(), Qt::Key_Backspace);
        QCOMPARE(window_->measureState().segmentIndex, 1);
        QCOMPARE(text->toPlainText(), twoPoints);
        QCOMPARE(window_->measureState().lastPoint, lastPointAtTwo);
        QCOMPARE(window_->measureState().mode, 1);

        // Ctrl+Z the same, down to the first point; then the command from the list does the rest.
        QTest::keyClick(view(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window_->measureState().segmentIndex, 0);
        QVERIFY(!window_->document().controls().line1.at(0).visible);

        // Outside a line the keys change nothing.
        window_->chooseCommand("End Area/Line");
        const auto before = window_->document().controls().line1.size();
        QTest::keyClick(view(), Qt::Key_Backspace);
        QCOMPARE(window_->document().controls().line1.size(), before);
        QVERIFY(!window_->handleKey(Qt::Key_Backspace, Qt::NoModifier));
    }

    void escapeClosesTheListAndCancelsTheScalePanel() {
        QTest::mouseClick(view(), Qt::RightButton, {}, QPoint(100, 80));
        auto* menu = named<QListWidget>("lstMenu1");
        QVERIFY(menu->isVisible());
        QTest::keyClick(view(), Qt::Key_Escape);
        QVERIFY(!menu->isVisible());

        window_->chooseCommand("Set Scale");
        window_->mapMouseUp(brelvo::measure::MouseButton::Left, 1500, 1500);
        window_->mapMouseUp(brelvo::measure::MouseButton::Left, 4500, 1500);
        auto* panel = named<QGroupBox>("frameScale");
        QVERIFY(panel->isVisible());
        QTest::keyClick(view(), Qt::Key_Escape);
        QVERIFY(!panel->isVisible());
        QVERIFY(!window_->document().controls().shape1.visible &&
                !window_->document().controls().shape2.visible);
        QCOMPARE(window_->measureState().mode, 0);
        QVERIFY(window_->measureState().lastPoint.isOrigin());
    }

    void theListingBoxLetsMapClicksThroughWhileTracing() {
        window_->chooseCommand("Start Area");
        QTest::mouseClick(view(), Qt::LeftButton, {}, QPoint(100, 100));
        auto* text = named<QPlainTextEdit>("Text1");
        QVERIFY(text->isVisible());
        // The box lies over the map's top-left: a click on it, on its text or not, is a point of the line.
        const QPoint onBox(40, 200);
        QVERIFY(text->geometry().contains(onBox));
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, text->viewport()->mapFrom(view(), onBox));
        QCOMPARE(window_->measureState().segmentIndex, 1);
        const auto& seg = window_->document().controls().line1.at(0);
        QCOMPARE(seg.x2, 40.0f * 15);
        QCOMPARE(seg.y2, 200.0f * 15);
        QVERIFY(text->toPlainText().endsWith(QStringLiteral("600, 6000\n")));

        // Out of a line the box is the box again: a left click leaves the line as it is.
        window_->chooseCommand("End Area/Line");
        window_->chooseCommand("Cancel");
        const int segments = window_->measureState().segmentIndex;
        text->show();
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(window_->measureState().segmentIndex, segments);
    }

    void showCoordinateListingBringsTheBoxBack() {
        auto* text = named<QPlainTextEdit>("Text1");
        window_->chooseCommand("Cancel");
        QVERIFY(!text->isVisible());
        QVERIFY(window_->triggerMenuEntry("View/Show Coordinate Listing"));
        QVERIFY(text->isVisible());
        window_->chooseCommand("Cancel");
        QTest::keyClick(view(), Qt::Key_L, Qt::ControlModifier);
        QVERIFY(text->isVisible());
        QVERIFY(!window_->triggerMenuEntry("View/No Such Entry"));
    }

    void theRunoffWindowIsOwnedByTheMeasuringWindow() {
        window_->chooseCommand("Runoff Hydrogaph");
        dialogs_.takeMessages();
        auto* runoff = window_->runoffWindow();
        QVERIFY(runoff);
        QVERIFY(runoff->isWindow());
        QCOMPARE(runoff->parentWidget(), static_cast<QWidget*>(window_.get()));
        QVERIFY(runoff->isVisible());
    }

    void helpOpensTheGuideInAWindowOfTheProgram() {
        QTest::keyClick(view(), Qt::Key_F1);
        auto* help = window_->helpWindow();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QVERIFY(help->isWindow());
        QCOMPARE(help->windowTitle(), QStringLiteral("Brelvo Help"));
        // No external viewer and no box about one.
        QVERIFY(dialogs_.takeMessages().empty());
        QVERIFY(help->text().contains(QStringLiteral("Set Scale")));
        QVERIFY(help->find(QStringLiteral("Runoff Hydrogaph")));
    }

    void wheelZoomsAboutThePointer() {
        const auto before = window_->measureState().scaleX;
        const QPointF at(200, 150);
        QWheelEvent up(at, view()->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view(), &up);
        // Two notches of a fifth each.
        QCOMPARE(window_->measureState().scaleX, static_cast<float>(static_cast<float>(before / 1.2) / 1.2));
        QVERIFY(dialogs_.takeMessages().empty());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
