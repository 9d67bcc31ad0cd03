// Loads the charts plugin on first use; without it, charts that say so in their place.
#include "app/chart_plugin.hpp"

#include <QBuffer>
#include <QLabel>
#include <QPixmap>

#include "common/messages.hpp"
#include "common/plugin_library.hpp"
#include "runoff/chart_svg.hpp"

namespace brelvo::app {

namespace {

const ChartsPlugin* loadedPlugin = nullptr;

const ChartsPlugin* plugin() {
    static const ChartsPlugin* const found = [] {
        const auto entry = reinterpret_cast<ChartsPluginEntry>(
            common::loadPluginEntry(kChartsPluginFile, kChartsPluginEntry));
        loadedPlugin = entry != nullptr ? entry() : nullptr;
        return loadedPlugin;
    }();
    return found;
}

QLabel* missingChart(QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(common::msg::kChartsUnavailable), parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

// The runoff window's chart without the plugin: it keeps the runs, so that the SVG export still draws
// them.
class ChartWithoutPlugin : public HydrographChart {
  public:
    explicit ChartWithoutPlugin(QWidget* parent) : label_(missingChart(parent)) {}
    ~ChartWithoutPlugin() override { delete label_; }
    ChartWithoutPlugin(const ChartWithoutPlugin&) = delete;
    ChartWithoutPlugin& operator=(const ChartWithoutPlugin&) = delete;
    QWidget* widget() override { return label_; }
    void addRun(runoff::RunPlot run) override {
        excess_ = std::move(run.excess);
        run.excess.clear();
        runs_.push_back(std::move(run));
    }
    void clear() override {
        runs_.clear();
        excess_.clear();
    }
    QString hoverText(std::size_t, double) const override { return {}; }
    std::string svg(int width, int height) const override {
        return runoff::chartSvg(runs_, excess_, width, height);
    }
    QByteArray png() override {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!label_->grab().save(&buffer, "PNG")) return {};
        return bytes;
    }
    std::vector<QLineSeries*> hydrographSeries() const override { return {}; }
    QList<QPointF> excessPoints() const override { return {}; }
    QLineSeries* excessSeries() const override { return nullptr; }
    QValueAxis* timeAxis() const override { return nullptr; }

  private:
    QLabel* label_;
    std::vector<runoff::RunPlot> runs_;
    std::vector<runoff::ChartPoint> excess_;
};

class FrequencyChartsWithoutPlugin : public FrequencyCharts {
  public:
    explicit FrequencyChartsWithoutPlugin(QWidget* parent)
        : peaks_(missingChart(parent)), hydrographs_(missingChart(parent)) {}
    ~FrequencyChartsWithoutPlugin() override {
        delete peaks_;
        delete hydrographs_;
    }
    FrequencyChartsWithoutPlugin(const FrequencyChartsWithoutPlugin&) = delete;
    FrequencyChartsWithoutPlugin& operator=(const FrequencyChartsWithoutPlugin&) = delete;
    QWidget* peakChart() override { return peaks_; }
    QWidget* hydrographChart() override { return hydrographs_; }
    void show(const QList<QPointF>& peaks, const std::vector<FrequencyStorm>& storms) override {
        peakLine_ = peaks;
        names_.clear();
        for (const FrequencyStorm& storm : storms) names_.append(storm.name);
    }
    QList<QPointF> peakLine() const override { return peakLine_; }
    double periodAxisBase() const override { return 0; }
    QStringList hydrographNames() const override { return names_; }

  private:
    QLabel* peaks_;
    QLabel* hydrographs_;
    QList<QPointF> peakLine_;
    QStringList names_;
};

}  // namespace

std::unique_ptr<HydrographChart> newHydrographChart(QWidget* parent) {
    if (const ChartsPlugin* charts = plugin()) {
        if (HydrographChart* chart = charts->newHydrographChart(parent))
            return std::unique_ptr<HydrographChart>(chart);
    }
    return std::make_unique<ChartWithoutPlugin>(parent);
}

std::unique_ptr<FrequencyCharts> newFrequencyCharts(QWidget* parent) {
    if (const ChartsPlugin* charts = plugin()) {
        if (FrequencyCharts* made = charts->newFrequencyCharts(parent))
            return std::unique_ptr<FrequencyCharts>(made);
    }
    return std::make_unique<FrequencyChartsWithoutPlugin>(parent);
}

bool chartsPluginLoaded() {
    return loadedPlugin != nullptr;
}

}  // namespace brelvo::app
