// File -> "Export Calculation Report...": the title page, the inputs with their sources, the map of the
// traced or delineated basin, the runoff window's chart and runs, and the listing and report tables as
// appendices, in one PDF file a reviewer reads. File -> "Report Signature..." keeps the engineer and
// firm the title page names in the program's settings.
#include <QBuffer>
#include <QDate>
#include <QPdfWriter>
#include <QSettings>
#include <cmath>
#include <cstdio>

#include "app/calc_report_pdf.hpp"
#include "app/chart_plugin.hpp"
#include "app/elevation_layer.hpp"
#include "app/main_window.hpp"
#include "app/map_view.hpp"
#include "app/measuring_widgets.hpp"
#include "app/runoff_window.hpp"
#include "common/dialog_folders.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "runoff/calc_report.hpp"
#include "terrain/elevation_model.hpp"

namespace brelvo::app {

namespace msg = common::msg;

namespace {

constexpr const char* kEngineerKey = "report/engineer";
constexpr const char* kFirmKey = "report/firm";

std::string setting(const char* key) {
    return QSettings().value(QLatin1StringView(key)).toString().toStdString();
}

// The name a coordinate system's WKT gives itself: its first quoted text.
std::string systemName(const measure::Georeference& georef) {
    if (!georef.crs.empty()) return georef.crs;
    const std::size_t open = georef.wkt.find('"');
    const std::size_t close = open == std::string::npos ? open : georef.wkt.find('"', open + 1);
    return close == std::string::npos ? std::string() : georef.wkt.substr(open + 1, close - open - 1);
}

std::string coordinates(double x, double y) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f, %.2f", x, y);
    return text;
}

}  // namespace

void MainWindow::askReportSignature() {
    // An empty answer (or Cancel) keeps what was there.
    const std::string engineer =
        dialogs_.inputBox(msg::kReportEngineerPrompt, msg::kReportSignatureTitle, setting(kEngineerKey));
    if (engineer.empty()) return;
    const std::string firm =
        dialogs_.inputBox(msg::kReportFirmPrompt, msg::kReportSignatureTitle, setting(kFirmKey));
    QSettings settings;
    settings.setValue(QLatin1StringView(kEngineerKey), QString::fromStdString(engineer));
    if (!firm.empty()) settings.setValue(QLatin1StringView(kFirmKey), QString::fromStdString(firm));
}

void MainWindow::gatherCalcReport(runoff::CalcReportSources& sources, MapFigure& map) const {
    sources.date = QDate::currentDate().toString(Qt::ISODate).toStdString();
    sources.version = BRELVO_VERSION;
    sources.engineer = setting(kEngineerKey);
    sources.firm = setting(kFirmKey);
    const std::optional<measure::Georeference>& georef = doc_.georeference();
    sources.georeferenced = georef.has_value();
    if (georef) sources.mapSystem = systemName(*georef);
    sources.mapFile = elevationSource_.isMap ? elevationSource_.path : picture_.projectPath();

    // The whole work in the view's pixels: every traced line, wherever the view is.
    bool traced = false;
    for (const auto& [index, seg] : doc_.controls().line1) {
        if (!seg.visible) continue;
        QPolygonF line;
        if (seg.path.size() >= 2) {
            for (const measure::PointF& v : seg.path) line.append(QPointF(v.x / tpp_, v.y / tpp_));
        } else {
            line << QPointF(seg.x1 / tpp_, seg.y1 / tpp_) << QPointF(seg.x2 / tpp_, seg.y2 / tpp_);
        }
        (seg.color == measure::kStreamColor ? map.streams : map.boundaries).push_back(line);
        if (seg.color != measure::kStreamColor) traced = true;
    }
    sources.basin = traced ? runoff::BasinOrigin::traced : runoff::BasinOrigin::typed;
    if (geometry_.hasPicture) {
        const auto& r = geometry_.picture;
        map.picture = QRectF(r.left / tpp_, r.top / tpp_, r.width / tpp_, r.height / tpp_);
        map.paintPicture = [this](QPainter& painter, const QRectF& target, const QRect& clip) {
            renderer_.paint(painter, target, clip, clip);
        };
    }

    const auto& record = doc_.work().delineation;
    const ElevationLayer* layer = elevationLayer();
    if (record && layer) {
        sources.basin = runoff::BasinOrigin::delineated;
        const terrain::ElevationModel& model = layer->model();
        runoff::DelineationSource d;
        d.modelFile = elevationModelName();
        d.modelUnit = terrain::verticalUnitText(model.unit);
        d.outletColumn = record->outletColumn;
        d.outletRow = record->outletRow;
        const measure::MapPoint at = model.georef.toMap(record->outletColumn + 0.5, record->outletRow + 0.5);
        d.outletMap = coordinates(at.x, at.y);
        if (!model.georef.crs.empty()) d.outletMap += " (" + model.georef.crs + ")";
        d.searchDistanceM = record->searchDistanceM;
        d.streamThreshold = doc_.work().delineationSettings.streamThreshold;
        sources.delineation = d;
        if (const auto transform = cellToView())
            map.outlet = transform->map(QPointF(record->outletColumn + 0.5, record->outletRow + 0.5));
    }

    // The scale: map length per view pixel, from the ground of a georeferenced map in a known system,
    // else from the scale the user set; north from the latitude's (or the map's Y's) rise across the view.
    const QPointF centre = map.picture.isEmpty() ? QPointF() : map.picture.center();
    const auto mapAt = [&](QPointF p) -> std::optional<measure::MapPoint> {
        const auto pixel = pixelOfView(static_cast<float>(p.x() * tpp_ - imageLeft()),
                                       static_cast<float>(p.y() * tpp_ - imageTop()));
        if (!pixel || !georef) return std::nullopt;
        return georef->toMap(pixel->x, pixel->y);
    };
    const measure::GroundModel* groundModel = ground();
    const auto c = mapAt(centre), right = mapAt(centre + QPointF(100, 0)),
               up = mapAt(centre + QPointF(0, -100));
    if (c && right && up) {
        double riseRight = right->y - c->y, riseUp = up->y - c->y;
        if (groundModel) {
            const auto gc = groundModel->toGeographic(*c), gr = groundModel->toGeographic(*right),
                       gu = groundModel->toGeographic(*up);
            if (gc && gr && gu) {
                map.unitsPerPixel = groundModel->geodesicLength(*gc, *gr) / 100;
                map.unit = QStringLiteral("m");
                riseRight = gr->lat - gc->lat;
                riseUp = gu->lat - gc->lat;
            }
        }
        if (riseRight != 0 || riseUp != 0) map.northDegrees = std::atan2(riseRight, riseUp) * 180 / M_PI;
    }
    const measure::MeasureState& state = doc_.state();
    if (map.unitsPerPixel <= 0 && !state.pixelUnits && !state.lengthUnitText.empty()) {
        map.unitsPerPixel = static_cast<double>(state.scaleX) * tpp_;
        QString unit = QString::fromStdString(state.lengthUnitText).trimmed();
        if (unit.startsWith('(') && unit.endsWith(')')) unit = unit.mid(1, unit.size() - 2);
        map.unit = unit;
    }
}

bool MainWindow::exportCalcReport() {
    RunoffWindow* runoff = runoff_.get();
    if (!runoff) {
        dialogs_.message(msg::kNoRunoffWindow);
        return false;
    }
    // Without a computed hydrograph there is nothing a reviewer could check: said, and nothing written.
    const runoff::RunoffSession& session = runoff->session();
    if (!session.lastReport) {
        dialogs_.message(msg::kNoComputedHydrograph);
        return false;
    }
    // Results from other inputs than the window's now would be signed as this basin's: refused.
    if (runoff->resultsStale()) {
        dialogs_.message(msg::kReportResultsOutOfDate);
        return false;
    }
    const auto chosen = common::askSavePath(
        dialogs_, common::FileKind::report, std::string(msg::kExportCalcReportTitle), common::dialogFolder(),
        common::proposedName(runoff::typedTitle(runoff->fields()), " calculations.pdf", "Calculations.pdf"),
        std::string(msg::kPdfFilter), ".pdf");
    if (!chosen) return false;
    // Everything the pages show is drawn as it is now, before any dialog could change it.
    doc_.flush();
    runoff::CalcReportSources sources;
    MapFigure map;
    gatherCalcReport(sources, map);
    sources.listing = doc_.controls().text1.text;
    sources.importedTable = runoff::importedStormTitle(runoff->fields(), session);
    if (const auto& rows = runoff->frequency()) sources.frequencyRows = runoff::frequencyReportRows(*rows);
    const runoff::CalcReport report = runoff::calcReport(runoff->fields(), session, sources);
    QByteArray bytes;
    int pages = 0;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(300);
        pdf.setTitle(QString::fromStdString(report.header));
        pdf.setCreator(QString::fromStdString(msg::calcVersion(BRELVO_VERSION)));
        pages = paintCalcReport(pdf, report, map, *runoff->chartView().widget());
    }
    // Written through a temporary file: a failed export leaves the file that was there as it was.
    try {
        if (pages == 0) throw common::pathFileAccessError();
        common::replaceFile(*chosen,
                            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const common::RuntimeFailure& failure) {
        dialogs_.message(msg::fileNotSaved(*chosen, common::failureReason(failure)));
        return false;
    }
    lastCalcReportPages_ = pages;
    return true;
}

}  // namespace brelvo::app
