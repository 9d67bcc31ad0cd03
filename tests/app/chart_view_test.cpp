// The runoff window's chart after real runs: hydrographs of different time steps against the same
// hours, named for what they are, the excess of the current run only, round ticks, hover texts, and a
// clear that leaves nothing.
#include <QHelpEvent>
#include <QImage>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtTest>
#include <sstream>

#include "app/chart_plugin.hpp"
#include "app/main_window.hpp"
#include "app/runoff_window.hpp"
#include "app/script_runner.hpp"

using brelvo::app::MainWindow;
using brelvo::app::ScriptDialogs;
using brelvo::app::ScriptRunner;

namespace {

// The report's worked example (1 sq mi, C 1, lag 2 h, 1.00 inch in 1 hour, "Triangle Unit Graph") on a
// 1-hour step.
const char* const kWorkedExample = R"(menu "Runoff Hydrogaph"
type txtLag "6"
leave txtLag
check chkAutoTimeStep off
type txtLag "2"
leave txtLag
type txtCNloss "0"
type txtConstLoss "0"
type txtPercentImp "0"
choose ComboRain "Average"
choose ComboDimgraph "Triangle Unit Graph"
button Form3.Command1
)";

using brelvo::app::HydrographChart;

// The chart as the charts plugin drew it with Qt Charts.
QChartView& view(const HydrographChart& chart) {
    auto* drawn = qobject_cast<QChartView*>(const_cast<HydrographChart&>(chart).widget());
    if (drawn == nullptr) qFatal("the chart is not drawn by the charts plugin");
    return *drawn;
}

// Whether the legend shows an entry for the excess steps.
bool excessInLegend(const HydrographChart& chart) {
    const auto markers = view(chart).chart()->legend()->markers(chart.excessSeries());
    return !markers.isEmpty() && markers.front()->isVisible();
}

// Whether the chart shows the excess steps' colour within a pixel of (hours, inches).
bool excessColourNear(const HydrographChart& chart, QPointF hoursInches) {
    const QChartView& drawn = view(chart);
    const QImage shown = drawn.viewport()->grab().toImage();
    const QPointF item = drawn.chart()->mapToPosition(hoursInches, chart.excessSeries());
    const QPoint at = drawn.mapFromScene(drawn.chart()->mapToScene(item));
    const QColor steps(0x7A, 0x8B, 0x99);
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            const QPoint p = (at + QPoint(dx, dy)) * shown.devicePixelRatio();
            if (shown.valid(p) && shown.pixelColor(p) == steps) return true;
        }
    }
    return false;
}

QList<QPointF> points(const QLineSeries* series) {
    return series->points();
}

}  // namespace

class ChartViewTest : public QObject {
    Q_OBJECT

  private:
    ScriptDialogs dialogs_;
    QTemporaryDir dir_;
    std::unique_ptr<MainWindow> window_;

    void replay(const std::string& script) {
        std::istringstream in(script);
        std::ostringstream out, err;
        ScriptRunner runner(*window_, dialogs_, out, err);
        QCOMPARE(runner.run(in, "chart_view_test"), 0);
    }

  private slots:
    void init() {
        window_ = std::make_unique<MainWindow>(dialogs_);
        window_->resize(800, 600);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { window_.reset(); }

    void runsOfDifferentStepsAreDrawnAgainstHours() {
        // The measuring window alone does not load Qt Charts; the runoff window's chart does.
        QVERIFY(!brelvo::app::chartsPluginLoaded());
        replay("menu \"Runoff Hydrogaph\"\n");
        QVERIFY(brelvo::app::chartsPluginLoaded());
        QVERIFY(!excessInLegend(window_->runoffWindow()->chartView()));  // nothing computed yet
        replay(kWorkedExample);
        replay("type txtGraphtimestep \"0.5\"\nleave txtGraphtimestep\nbutton Form3.Command1\n");
        const auto& chart = window_->runoffWindow()->chartView();
        QCOMPARE(chart.hydrographSeries().size(), std::size_t{2});
        const QLineSeries* hourly = chart.hydrographSeries()[0];
        const QLineSeries* halfHourly = chart.hydrographSeries()[1];
        QCOMPARE(hourly->name(), QStringLiteral("Runoff 1 (Triangle Unit Graph, Average, 1 h)"));
        QCOMPARE(halfHourly->name(), QStringLiteral("Runoff 2 (Triangle Unit Graph, Average, 30 min)"));
        // The report's ordinates of the first run: 0, 121, 242, 161.33, 80.67, 0 ... cfs at whole hours.
        const auto first = points(hourly);
        QCOMPARE(first.size(), 8);
        QCOMPARE(first[1], QPointF(1, 121));
        QCOMPARE(first[2], QPointF(2, 242));
        // The second run's ordinates fall every half hour: its peak is at 2.5 hours, not at "row 2".
        const auto second = points(halfHourly);
        QCOMPARE(second[1].x(), 0.5);
        QCOMPARE(second[4].x(), 2.0);
        QCOMPARE(second.back().x(), 0.5 * (second.size() - 1));
        // Only the second run's excess: two half-hour steps of half an inch each, one band.
        QCOMPARE(chart.excessPoints(), (QList<QPointF>{{0, 0}, {0, 0.5}, {1, 0.5}, {1, 0}}));
        // And drawn where the depth axis puts them, over the grid: the first step's foot, half an inch
        // down from the top at a quarter hour.
        QTest::qWait(20);  // laid out as shown
        QCOMPARE(excessColourNear(chart, QPointF(0.25, 0.5)), true);
        QCOMPARE(excessColourNear(chart, QPointF(0.75, 0.25)), true);  // filled, no slit between steps
        QCOMPARE(excessColourNear(chart, QPointF(0.25, 0.75)), false);
        // Ticks every whole hour from 0, up to the longer run's end.
        QCOMPARE(chart.timeAxis()->tickInterval(), 1.0);
        QCOMPARE(chart.timeAxis()->tickAnchor(), 0.0);
        QCOMPARE(chart.timeAxis()->min(), 0.0);
        QCOMPARE(chart.hoverText(0, 1.9),
                 QStringLiteral("Runoff 1 (Triangle Unit Graph, Average, 1 h)\n2 h, 242 cfs"));

        // The exports: PNG as shown, SVG with the same lines and names, another extension refused.
        const QString png = dir_.filePath(QStringLiteral("chart.png"));
        const QString svg = dir_.filePath(QStringLiteral("chart.SVG"));
        replay("answer \"" + png.toStdString() + "\"\naction \"File/Export Chart...\"\nanswer \"" +
               svg.toStdString() + "\"\naction \"File/Export Chart...\"\n");
        const QImage picture(png);
        const QWidget& shown = view(chart);
        QCOMPARE(picture.size(), shown.size() * shown.devicePixelRatio());
        QFile svgFile(svg);
        QVERIFY(svgFile.open(QIODevice::ReadOnly));
        const QByteArray drawing = svgFile.readAll();
        QVERIFY(drawing.startsWith("<?xml"));
        QVERIFY(drawing.contains(">Runoff 1 (Triangle Unit Graph, Average, 1 h)</text>"));
        QVERIFY(drawing.contains(">Runoff 2 (Triangle Unit Graph, Average, 30 min)</text>"));
        dialogs_.takeMessages();
        replay("answer \"" + dir_.filePath(QStringLiteral("chart.jpg")).toStdString() +
               "\"\naction \"File/Export Chart...\"\n");
        QCOMPARE(dialogs_.takeMessages(),
                 std::vector<std::string>{
                     "The file \"" + dir_.filePath(QStringLiteral("chart.jpg")).toStdString() +
                     "\" could not be written: a chart is saved as a PNG picture (.png) or "
                     "an SVG drawing (.svg)."});
        QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("chart.jpg"))));
        // The report as PDF: one page for the worked example's eight ordinates.
        replay("answer \"" + dir_.filePath(QStringLiteral("report")).toStdString() +
               "\"\naction \"File/Export Report PDF...\"\n");
        QFile pdf(dir_.filePath(QStringLiteral("report.pdf")));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().startsWith("%PDF-"));
        QCOMPARE(window_->runoffWindow()->lastReportPages(), 1);

        QVERIFY(excessInLegend(chart));
        replay("button Form3.Command2\n");
        QCOMPARE(chart.hydrographSeries().size(), std::size_t{0});
        QCOMPARE(chart.excessPoints().size(), 0);
        QVERIFY(!excessInLegend(chart));
        replay("button Form3.Command1\n");
        QCOMPARE(chart.hydrographSeries().size(), std::size_t{1});
        QCOMPARE(chart.hydrographSeries()[0]->name(),
                 QStringLiteral("Runoff 1 (Triangle Unit Graph, Average, 30 min)"));
    }

    // Qt asks for a tooltip once the pointer rests; the answer must still be the line's, not an empty
    // one that hides it.
    void thePointerRestingOnALineReadsItsNearestOrdinate() {
        replay(kWorkedExample);
        const auto& chart = window_->runoffWindow()->chartView();
        QTest::qWait(20);  // the chart laid out as shown
        const QChartView& drawn = view(chart);
        QWidget* viewport = drawn.viewport();
        const QLineSeries* line = chart.hydrographSeries()[0];
        auto at = [&](double hours, double cfs) {
            const QPointF item =
                drawn.chart()->mapToPosition(QPointF(hours, cfs), const_cast<QLineSeries*>(line));
            return drawn.mapFromScene(drawn.chart()->mapToScene(item));
        };
        auto askTip = [&](QPoint pos) {
            QMouseEvent move(QEvent::MouseMove, pos, viewport->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(viewport, &move);
            QHelpEvent help(QEvent::ToolTip, pos, viewport->mapToGlobal(pos));
            QApplication::sendEvent(viewport, &help);
            return QToolTip::text();
        };
        // On the rising limb just before the peak, nearest to the ordinate at 2 hours.
        QCOMPARE(askTip(at(1.9, 0.95 * 242)),
                 QStringLiteral("Runoff 1 (Triangle Unit Graph, Average, 1 h)\n2 h, 242 cfs"));
        // Away from the line: the chart's own tip.
        QCOMPARE(askTip(at(6, 200)), drawn.toolTip());
    }
};

QTEST_MAIN(ChartViewTest)
#include "chart_view_test.moc"
