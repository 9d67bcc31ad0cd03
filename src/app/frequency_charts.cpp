// The frequency window's two charts drawn with Qt Charts (the charts plugin), and the plugin's entry.
#include <QPainter>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <type_traits>

#include "app/chart_plugin.hpp"
#include "app/chart_view.hpp"
#include "common/messages.hpp"

namespace brelvo::app {

namespace {

namespace msg = common::msg;

QChartView* newChart(const char* title, QWidget* parent) {
    auto* chart = new QChart();
    chart->setTitle(QString::fromLatin1(title));
    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(360, 260);
    return view;
}

class QtFrequencyCharts : public FrequencyCharts {
  public:
    explicit QtFrequencyCharts(QWidget* parent)
        : peaks_(newChart(msg::kFrequencyPeakChart, parent)),
          hydrographs_(newChart(msg::kFrequencyHydrographChart, parent)) {}
    ~QtFrequencyCharts() override {
        delete peaks_;
        delete hydrographs_;
    }
    QtFrequencyCharts(const QtFrequencyCharts&) = delete;
    QtFrequencyCharts& operator=(const QtFrequencyCharts&) = delete;

    QWidget* peakChart() override { return peaks_; }
    QWidget* hydrographChart() override { return hydrographs_; }
    void show(const QList<QPointF>& peakPoints, const std::vector<FrequencyStorm>& storms) override;

    QList<QPointF> peakLine() const override {
        const QList<QAbstractSeries*> series = peaks_->chart()->series();
        if (series.isEmpty()) return {};
        const auto* line = qobject_cast<const QLineSeries*>(series.front());
        return line != nullptr ? line->points() : QList<QPointF>{};
    }
    double periodAxisBase() const override {
        const auto axes = peaks_->chart()->axes(Qt::Horizontal);
        const auto* log = axes.isEmpty() ? nullptr : qobject_cast<const QLogValueAxis*>(axes.front());
        return log != nullptr ? log->base() : 0.0;
    }
    QStringList hydrographNames() const override {
        QStringList names;
        for (const QAbstractSeries* series : hydrographs_->chart()->series()) names.append(series->name());
        return names;
    }

  private:
    QChartView* peaks_;
    QChartView* hydrographs_;
};

void QtFrequencyCharts::show(const QList<QPointF>& peakPoints, const std::vector<FrequencyStorm>& storms) {
    QChart* peaks = peaks_->chart();
    QChart* lines = hydrographs_->chart();
    for (QChart* chart : {peaks, lines}) {
        chart->removeAllSeries();
        for (QAbstractAxis* axis : chart->axes()) {
            chart->removeAxis(axis);
            delete axis;
        }
    }
    auto* peakLine = new QLineSeries();
    peakLine->setName(QString::fromLatin1(msg::kFrequencyPeakSeries));
    auto* peakMarks = new QScatterSeries();
    peakMarks->setMarkerSize(8);
    double years = 1, topPeak = 0, lastHour = 0, topFlow = 0;
    for (const QPointF& p : peakPoints) {
        peakLine->append(p);
        peakMarks->append(p);
        years = std::max(years, p.x());
        topPeak = std::max(topPeak, p.y());
    }
    for (const FrequencyStorm& storm : storms) {
        auto* series = new QLineSeries();
        series->setName(storm.name);
        // A colour of its own for each storm: the theme's five would repeat at the sixth.
        static constexpr std::array<QRgb, 10> kColours{0x1f77b4, 0xff7f0e, 0x2ca02c, 0xd62728, 0x9467bd,
                                                       0x8c564b, 0xe377c2, 0x7f7f7f, 0xbcbd22, 0x17becf};
        series->setColor(
            QColor(kColours[static_cast<std::size_t>(lines->series().size()) % kColours.size()]));
        for (const QPointF& p : storm.points) {
            series->append(p);
            lastHour = std::max(lastHour, p.x());
            topFlow = std::max(topFlow, p.y());
        }
        lines->addSeries(series);
    }
    peaks->addSeries(peakLine);
    peaks->addSeries(peakMarks);
    peaks->legend()->hide();
    auto* periodAxis = new QLogValueAxis();
    periodAxis->setBase(10);
    periodAxis->setLabelFormat(QStringLiteral("%g"));
    periodAxis->setMinorTickCount(8);
    periodAxis->setTitleText(QString::fromLatin1(msg::kAxisReturnPeriod));
    periodAxis->setRange(1, std::pow(10.0, std::ceil(std::log10(std::max(years, 10.0)))));
    auto* peakAxis = new QValueAxis();
    peakAxis->setTitleText(QString::fromLatin1(msg::kAxisPeak));
    peakAxis->setRange(0, topPeak > 0 ? topPeak * 1.1 : 1);
    peakAxis->setLabelFormat(QStringLiteral("%g"));
    peakAxis->applyNiceNumbers();
    peaks->addAxis(periodAxis, Qt::AlignBottom);
    peaks->addAxis(peakAxis, Qt::AlignLeft);
    for (QAbstractSeries* series : peaks->series()) {
        series->attachAxis(periodAxis);
        series->attachAxis(peakAxis);
    }

    auto* timeAxis = new QValueAxis();
    timeAxis->setTitleText(QString::fromLatin1(msg::kAxisTime));
    timeAxis->setRange(0, lastHour > 0 ? lastHour : 1);
    timeAxis->setLabelFormat(QStringLiteral("%g"));
    auto* flowAxis = new QValueAxis();
    flowAxis->setTitleText(QString::fromLatin1(msg::kAxisRunoff));
    flowAxis->setRange(0, topFlow > 0 ? topFlow * 1.1 : 1);
    flowAxis->setLabelFormat(QStringLiteral("%g"));
    timeAxis->applyNiceNumbers();
    flowAxis->applyNiceNumbers();
    lines->addAxis(timeAxis, Qt::AlignBottom);
    lines->addAxis(flowAxis, Qt::AlignLeft);
    for (QAbstractSeries* series : lines->series()) {
        series->attachAxis(timeAxis);
        series->attachAxis(flowAxis);
    }
    lines->legend()->setAlignment(Qt::AlignRight);
}

HydrographChart* newQtHydrographChart(QWidget* parent) {
    try {
        return new ChartView(parent);
    } catch (const std::exception&) {
        return nullptr;
    }
}

FrequencyCharts* newQtFrequencyCharts(QWidget* parent) {
    try {
        return new QtFrequencyCharts(parent);
    } catch (const std::exception&) {
        return nullptr;
    }
}

constexpr ChartsPlugin kCharts{newQtHydrographChart, newQtFrequencyCharts};

}  // namespace

}  // namespace brelvo::app

extern "C" Q_DECL_EXPORT const brelvo::app::ChartsPlugin* brelvo_charts_v1() {
    static_assert(std::is_same_v<decltype(&brelvo_charts_v1), brelvo::app::ChartsPluginEntry>);
    return &brelvo::app::kCharts;
}
