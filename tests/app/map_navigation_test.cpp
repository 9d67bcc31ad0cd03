// Moving about the map with real events: the wheel's notch, Ctrl for fine steps and Shift for panning;
// View -> Zoom to Map and Zoom to Basin with their keys as the menu shows them.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWheelEvent>
#include <QtTest>
#include <memory>
#include <string>

#include "app/main_window.hpp"
#include "app/script_runner.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "mapview/view_fit.hpp"

using brelvo::app::MainWindow;
using brelvo::app::ScriptDialogs;

class MapNavigationTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ScriptDialogs> dialogs_;
    std::unique_ptr<MainWindow> window_;

    QWidget* view() const { return window_->control(QStringLiteral("UserControlPic1")); }
    const brelvo::mapview::RectF& picture() const { return window_->geometry().picture; }
    float scaleX() const { return window_->measureState().scaleX; }

    void turnWheel(QPoint at, int eighths, Qt::KeyboardModifiers held) {
        QWheelEvent wheel(at, view()->mapToGlobal(at), QPoint(), QPoint(0, eighths), Qt::NoButton, held,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view(), &wheel);
    }
    QAction* viewEntry(const QString& text) const {
        for (QAction* top : window_->menuBar()->actions()) {
            if (!top->menu() || top->menu()->title() != QStringLiteral("View")) continue;
            for (QAction* entry : top->menu()->actions())
                if (entry->text() == text) return entry;
        }
        return nullptr;
    }

  private slots:
    void init() {
        dialogs_ = std::make_unique<ScriptDialogs>();
        window_ = std::make_unique<MainWindow>(*dialogs_, MainWindow::MenuBar::Shown);
        window_->resize(800, 600);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->dropPictureFile(brelvo::common::programFolder() + "/example_map.png");
        window_->waitForPictureLoad();
        QVERIFY(window_->geometry().hasPicture);
        dialogs_->takeMessages();
    }
    void cleanup() { window_.reset(); }

    void aNotchZoomsByAFifthCtrlByTheControlsStepAndShiftPans() {
        const float tpp = window_->twipsPerPixelX();
        const QPoint at(200, 150);
        const float x = 200 * tpp, y = 150 * tpp;
        const float u = (x - picture().left) / picture().width, v = (y - picture().top) / picture().height;
        const float width = picture().width, scale = scaleX();
        turnWheel(at, 120, Qt::NoModifier);
        QCOMPARE(picture().width, static_cast<float>(width * 1.2));
        QCOMPARE(scaleX(), static_cast<float>(scale / 1.2));
        // The picture point under the pointer stays under it.
        QVERIFY(qAbs(picture().left + u * picture().width - x) < 0.01f);
        QVERIFY(qAbs(picture().top + v * picture().height - y) < 0.01f);
        turnWheel(at, -120, Qt::NoModifier);
        QCOMPARE(picture().width, width);
        QCOMPARE(scaleX(), scale);
        // Ctrl: the control's step, 1 + 0.05 as a single.
        const double step = 1 + static_cast<double>(0.05f);
        turnWheel(at, 120, Qt::ControlModifier);
        QCOMPARE(picture().width, static_cast<float>(width * step));
        QCOMPARE(scaleX(), static_cast<float>(scale / step));
        QVERIFY(qAbs(picture().left + u * picture().width - x) < 0.01f);
        // Shift: sideways by the view's width times 0.05, the scale as it was.
        const float left = picture().left, zoomedWidth = picture().width;
        turnWheel(at, 120, Qt::ShiftModifier);
        QCOMPARE(picture().left, left + window_->geometry().view.width * 0.05f);
        QCOMPARE(picture().width, zoomedWidth);
        QCOMPARE(scaleX(), static_cast<float>(scale / step));
        QVERIFY(dialogs_->takeMessages().empty());
    }

    void zoomToMapAndToBasinWithTheirKeys() {
        QAction* toMap = viewEntry(QStringLiteral("Zoom to Map"));
        QAction* toBasin = viewEntry(QStringLiteral("Zoom to Basin"));
        QVERIFY(toMap && toBasin);
        QCOMPARE(toMap->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));
        QCOMPARE(toBasin->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));

        // No basin yet: said, and the view stays.
        const brelvo::mapview::RectF before = picture();
        QTest::keyClick(window_.get(), Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(dialogs_->takeMessages(), std::vector<std::string>{brelvo::common::msg::kNoBasinToZoomTo});
        QVERIFY(picture() == before);

        // A triangle traced with the mouse, then the view zoomed out and moved away from it.
        window_->chooseCommand("Start Area");
        for (const QPoint p : {QPoint(100, 100), QPoint(300, 120), QPoint(200, 260)})
            QTest::mouseClick(view(), Qt::LeftButton, {}, p);
        window_->chooseCommand("End Area/Line");
        dialogs_->takeMessages();
        turnWheel(QPoint(700, 500), -360, Qt::NoModifier);
        const auto& g = window_->geometry();
        QTest::keyClick(window_.get(), Qt::Key_B, Qt::ControlModifier);
        const auto basin = brelvo::mapview::basinExtent(window_->document());
        QVERIFY(basin);
        // Centred, and as large as 90 % of the view allows on its tighter side.
        QVERIFY(qAbs(basin->left + basin->width / 2 - g.view.width / 2) < 0.5f);
        QVERIFY(qAbs(basin->top + basin->height / 2 - g.view.height / 2) < 0.5f);
        const float across = basin->width / (0.9f * g.view.width),
                    down = basin->height / (0.9f * g.view.height);
        QVERIFY2(qAbs(qMax(across, down) - 1) < 1e-4f, qPrintable(QString::number(qMax(across, down))));

        // Ctrl+0: the whole picture, as large as the view holds it, centred.
        QTest::keyClick(window_.get(), Qt::Key_0, Qt::ControlModifier);
        const float fitAcross = picture().width / g.view.width, fitDown = picture().height / g.view.height;
        QVERIFY(qAbs(qMax(fitAcross, fitDown) - 1) < 1e-5f);
        QVERIFY(qAbs(picture().left + picture().width / 2 - g.view.width / 2) < 0.5f);
        QVERIFY(qAbs(picture().top + picture().height / 2 - g.view.height / 2) < 0.5f);
        // The scale follows the picture: its width times the scale is what it was at the natural size.
        QVERIFY(qAbs(picture().width * scaleX() - g.naturalWidth) < 0.05f);
        QVERIFY(dialogs_->takeMessages().empty());
    }
};

QTEST_MAIN(MapNavigationTest)
#include "map_navigation_test.moc"
