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
#include "common/program_folder.hpp"

using brelvo::app::RunoffWindow;
using brelvo::app::ScriptDialogs;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One inch in an hour on quarter-hour steps through the triangle unit graph, lag 1 hour, on a basin of
// `area` square miles, with the given titles; computed by the window's button.
void computeBasin(RunoffWindow& window, const char* area, const char* title1, const char* title2) {
    window.fields().setText("txtBasinArea", area);
    window.fields().setText("txtTitle", title1);
    window.fields().setText("txtTile2", title2);
    window.chooseListText("ComboRain", "Average");
    window.chooseListText("ComboDimgraph", "Triangle Unit Graph");
    qobject_cast<QPushButton*>(window.control(QStringLiteral("Command1")))->click();
}

}  // namespace

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

    // Two windows in one program write the one working file in turn; each prints, exports and saves the
    // report of its own last run, headed by the titles that run had.
    void twoWindowsKeepTheirOwnReports() {
        QTemporaryDir dir;
        const QString working = QString::fromStdString(brelvo::common::workingHydrographFile());
        // A: 1 sq mi. Four quarter-hour triangles of 121 cfs peak overlap to 86.43 + 103.71 + 121 + 90.75
        // = 401.9 cfs at 1.5 hours, reported as 402; each triangle's ordinates sum to 665.5 cfs, so the
        // volume is 4 * 665.5 * 0.25 / 24 * 1.9835 = 55.0 acre-feet.
        computeBasin(*window_, "1", "Basin A", "First window");
        QCOMPARE(dialogs_.takeMessages(), std::vector<std::string>{});
        const QByteArray reportA = fileBytes(working);
        QVERIFY(reportA.startsWith("Basin A\r\nFirst window\r\n"));
        const QByteArray peakA = "    1.000     1.00      402  1.50000       55\r\n";
        QVERIFY(reportA.contains(peakA));
        // B: 3 sq mi, three times the flows: 1205.7 cfs, reported as 1210, and 165 acre-feet. It writes the
        // working file last.
        ScriptDialogs dialogsB;
        RunoffWindow windowB(dialogsB);
        computeBasin(windowB, "3", "Basin B", "Second window");
        QCOMPARE(dialogsB.takeMessages(), std::vector<std::string>{});
        QVERIFY(fileBytes(working).contains("    1.000     1.00     1210  1.50000      165\r\n"));
        QVERIFY(fileBytes(working).startsWith("Basin B\r\n"));
        // A's titles change after its run: its report keeps the titles it was written with.
        window_->fields().setText("txtTitle", "Renamed later");

        const auto printed = window_->reportToPrint();
        QVERIFY(printed.has_value());
        QCOMPARE(QString::fromStdString(printed->title1), QStringLiteral("Basin A"));
        QCOMPARE(QString::fromStdString(printed->title2), QStringLiteral("First window"));
        QByteArray lines;
        for (const std::string& line : printed->lines) lines += QByteArray::fromStdString(line) + "\r\n";
        QCOMPARE(lines, reportA);
        QCOMPARE(windowB.reportToPrint()->title1, std::string("Basin B"));

        const QString pdf = dir.filePath(QStringLiteral("a.pdf"));
        dialogs_.queueAnswer(pdf.toStdString());
        QVERIFY(window_->exportReportPdf());
        QVERIFY(fileBytes(pdf).startsWith("%PDF-"));
        QCOMPARE(window_->lastReportPages(), 1);

        const QString saved = dir.filePath(QStringLiteral("a.GRF"));
        dialogs_.queueAnswer(saved.toStdString());
        qobject_cast<QPushButton*>(window_->control(QStringLiteral("Command3")))->click();
        QCOMPARE(dialogs_.takeMessages(), std::vector<std::string>{});
        QCOMPARE(fileBytes(saved), reportA);
    }
};

QTEST_MAIN(RunoffWindowTest)
#include "runoff_window_test.moc"
