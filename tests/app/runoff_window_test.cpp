// The runoff window under real keyboard and mouse events: focus leaving a field drives the basin
// recomputation, the check box fills the areal factors, the chart answers a double-click.
#include "app/runoff_window.hpp"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QtTest>

#include "app/script_runner.hpp"
#include "basin/chart_grid.hpp"

using brelvo::app::RunoffWindow;
using brelvo::app::ScriptDialogs;

class RunoffWindowTest : public QObject {
    Q_OBJECT

  private:
    ScriptDialogs dialogs_;
    std::unique_ptr<RunoffWindow> window_;

    QLineEdit* edit(const char* name) const {
        auto* e = qobject_cast<QLineEdit*>(window_->control(QString::fromLatin1(name)));
        if (!e) qFatal("no field %s", name);
        return e;
    }
    void typeInto(const char* name, const QString& text) {
        QLineEdit* e = edit(name);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
    }

  private slots:
    void init() {
        window_ = std::make_unique<RunoffWindow>(dialogs_);
        window_->show();
        QApplication::setActiveWindow(window_.get());
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    void cleanup() { window_.reset(); }

    void theWindowFitsTheScreenAndScrollsToEveryControl() {
        // The offscreen screen (800 x 800, and 400 x 400 at scale factor 2, as ctest runs it again) is
        // smaller than the window's usual 1280 x 720: the window opens inside its available area, asks
        // for no more than it, and the lowest button can be scrolled to.
        const QRect area = window_->screen()->availableGeometry();
        QVERIFY2(area.width() < 1280 || area.height() < 720,
                 qPrintable(QStringLiteral("the screen must be smaller than 1280 x 720, not %1 x %2")
                                .arg(area.width())
                                .arg(area.height())));
        QVERIFY(area.contains(window_->frameGeometry()));
        QVERIFY(window_->minimumSizeHint().height() <= area.height());
        QVERIFY(window_->minimumSizeHint().width() <= area.width());
        auto* scroll = window_->findChild<QScrollArea*>(QStringLiteral("contentScroll"));
        QVERIFY(scroll);
        auto* route = window_->findChild<QPushButton*>(QStringLiteral("butRoute"));
        QVERIFY(route);
        scroll->ensureWidgetVisible(route);
        const QRect shown(route->mapTo(scroll->viewport(), QPoint(0, 0)), route->size());
        QVERIFY(scroll->viewport()->rect().contains(shown));
    }

    // The graph list offers the graphs that are there first; the others stay below a separator, marked,
    // and stand for their bare names when chosen or typed.
    void graphsNotInstalledAreListedLastAndMarked() {
        auto* list = qobject_cast<QComboBox*>(window_->control(QStringLiteral("ComboDimgraph")));
        QVERIFY(list);
        QStringList items;
        for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
        // SCS.DGF is the one graph file the build puts beside the program.
        QCOMPARE(
            items,
            (QStringList{"Rational Method", "Triangle Unit Graph", "SCS.DGF", "", "Urban.DGF (not installed)",
                         "SWDesertCoPlateau.DGF (not installed)", "PhoenixMtsAZ.DGF (not installed)",
                         "GreatPlains.DGF (not installed)", "SierraCascadeCoastal.DGF (not installed)",
                         "RockMtTstorm.DGF (not installed)", "RockyMtGenStorm.DGF (not installed)"}));
        window_->chooseListText("ComboDimgraph", "Urban.DGF");
        QCOMPARE(list->currentIndex(), 4);
        QCOMPARE(list->currentText(), QStringLiteral("Urban.DGF"));
        QCOMPARE(dialogs_.takeMessages().size(), std::size_t{1});  // the file is not there: said at once
    }

    void elevationsTypedByHandDriveTheBasinBlock() {
        typeInto("txtL", QStringLiteral("5"));
        typeInto("txtLca", QStringLiteral("2.5"));
        typeInto("txtelv1", QStringLiteral("2000"));
        typeInto("txtElv2", QStringLiteral("1000"));
        // Leaving the lower elevation (Tab to the next field) recomputes S, C, lag and the time step.
        QTest::keyClick(edit("txtElv2"), Qt::Key_Tab);
        QCOMPARE(edit("txtS")->text(), QStringLiteral("200"));
        QCOMPARE(edit("txtC")->text(), QStringLiteral("1.67"));
        QCOMPARE(edit("txtLag")->text(), QStringLiteral("1.6"));
        QCOMPARE(edit("txtGraphtimestep")->text(), QStringLiteral("15"));

        // Typing C recomputes at once, with the time step chosen from lag / 11 (5 minutes).
        typeInto("txtC", QStringLiteral("1.67"));
        QCOMPARE(edit("txtGraphtimestep")->text(), QStringLiteral("5"));
    }

    void areaCheckBoxAndChartToggle() {
        typeInto("txtBasinArea", QStringLiteral("100"));
        typeInto("txtDuration(1)", QStringLiteral("6"));
        typeInto("txtRain(1)", QStringLiteral("2.5"));
        auto* box = qobject_cast<QCheckBox*>(window_->control(QStringLiteral("chkAreaAdj")));
        QVERIFY(box);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QVERIFY(box->isChecked());
        QCOMPARE(edit("txtArealAdj(0)")->text(), QStringLiteral("0.725"));
        QCOMPARE(edit("txtArealAdj(1)")->text(), QStringLiteral("0.894"));

        QTest::mouseClick(qobject_cast<QPushButton*>(window_->control(QStringLiteral("Command2"))),
                          Qt::LeftButton);
        const auto& rows = window_->chart().rows();
        QCOMPARE(rows.size(), std::size_t{2});
        QCOMPARE(QString::fromStdString(rows[1].label), QStringLiteral("6"));
        QCOMPARE(QString::fromStdString(rows[1].cells[0]), QStringLiteral("2.235"));

        auto* view = qobject_cast<QAbstractScrollArea*>(window_->control(QStringLiteral("chart")));
        QVERIFY(view);
        QWidget* chart = view->viewport();
        QTest::mouseDClick(chart, Qt::LeftButton, {}, chart->rect().center());
        QVERIFY(window_->chartMaximised());
        QVERIFY(!edit("txtL")->isVisible());
        QTest::mouseDClick(chart, Qt::LeftButton, {}, chart->rect().center());
        QVERIFY(!window_->chartMaximised());
        QVERIFY(edit("txtL")->isVisible());
    }

    void refusedBoxesAreMarkedUntilCorrected() {
        window_->chooseListText("ComboRain", "Average");
        window_->chooseListText("ComboDimgraph", "Triangle Unit Graph");
        typeInto("txtCNloss", QStringLiteral("seventy"));
        typeInto("txtPercentImp", QStringLiteral("120"));
        const QString caption = window_->windowTitle();
        QTest::mouseClick(qobject_cast<QPushButton*>(window_->control(QStringLiteral("Command1"))),
                          Qt::LeftButton);
        QCOMPARE(dialogs_.takeMessages(),
                 (std::vector<std::string>{
                     "SCS CN (5-100) or Initial Loss (inches): \"seventy\" is not a number.\n"
                     "Percent Basin Impervious: \"120\" must not be above 100."}));
        QCOMPARE(window_->windowTitle(), caption);
        QCOMPARE(edit("txtCNloss")->toolTip(),
                 QStringLiteral("SCS CN (5-100) or Initial Loss (inches): \"seventy\" is not a number."));
        QVERIFY(!edit("txtCNloss")->styleSheet().isEmpty());
        QVERIFY(!edit("txtPercentImp")->styleSheet().isEmpty());
        QVERIFY(edit("txtConstLoss")->styleSheet().isEmpty());

        // Correcting a box clears its own mark; a run that goes through clears the rest.
        typeInto("txtCNloss", QStringLiteral("70"));
        QVERIFY(edit("txtCNloss")->styleSheet().isEmpty());
        QVERIFY(edit("txtCNloss")->toolTip().isEmpty());
        QVERIFY(!edit("txtPercentImp")->styleSheet().isEmpty());
        typeInto("txtPercentImp", QStringLiteral("10"));
        QTest::mouseClick(qobject_cast<QPushButton*>(window_->control(QStringLiteral("Command1"))),
                          Qt::LeftButton);
        QVERIFY(dialogs_.takeMessages().empty());
        QVERIFY(window_->windowTitle().startsWith(QStringLiteral("Runoff Qmax=")));
    }
};

QTEST_MAIN(RunoffWindowTest)
#include "runoff_window_test.moc"
