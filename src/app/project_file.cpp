// Writing and reading project files with Qt's JSON classes.
#include "app/project_file.hpp"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <cmath>
#include <filesystem>
#include <limits>

#include "common/control_names.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "terrain/elevation_model.hpp"

namespace brelvo::app::project {

namespace msg = common::msg;

namespace {

namespace fs = std::filesystem;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// The measuring document's tree as JSON: a single is written as the double it is.
QJsonValue toJson(const common::ValueTree& t) {
    using Kind = common::ValueTree::Kind;
    switch (t.kind()) {
        case Kind::Null:
            return QJsonValue(QJsonValue::Null);
        case Kind::Bool:
            return t.asBool();
        case Kind::Integer:
            return static_cast<qint64>(t.asNumber());
        case Kind::Single:
        case Kind::Double:
            return t.asNumber();
        case Kind::Text:
            return q(t.asText());
        case Kind::List: {
            QJsonArray a;
            for (const auto& item : t.asList()) a.append(toJson(item));
            return a;
        }
        case Kind::Map: {
            QJsonObject o;
            for (const auto& [key, value] : t.asMap()) o[q(key)] = toJson(value);
            return o;
        }
    }
    return {};
}

common::ValueTree fromJson(const QJsonValue& v) {
    using common::ValueTree;
    switch (v.type()) {
        case QJsonValue::Bool:
            return ValueTree::boolean(v.toBool());
        case QJsonValue::Double:
            return ValueTree::number(v.toDouble());
        case QJsonValue::String:
            return ValueTree::text(v.toString().toStdString());
        case QJsonValue::Array: {
            ValueTree list = ValueTree::list();
            for (const QJsonValue& item : v.toArray()) list.append(fromJson(item));
            return list;
        }
        case QJsonValue::Object: {
            ValueTree map = ValueTree::map();
            const QJsonObject o = v.toObject();
            for (auto it = o.begin(); it != o.end(); ++it)
                map.set(it.key().toStdString(), fromJson(it.value()));
            return map;
        }
        default:
            return ValueTree();
    }
}

// A map of names to values of one kind (texts, or true/false).
template <typename T>
std::map<std::string, T> readNamed(const common::TreeReader& r, const char* key, common::ValueTree::Kind kind,
                                   T (*convert)(const common::ValueTree&)) {
    const common::TreeReader named = r.map(key);
    std::map<std::string, T> out;
    for (const auto& [name, value] : named.tree().asMap()) {
        if (value.kind() != kind) r.fail(key, msg::kValueEntryWrongKind);
        out.emplace(name, convert(value));
    }
    return out;
}

// A stored path as the program uses it: a relative one is taken from the project file's folder.
std::string readBackPath(const std::string& stored, const std::string& projectFile) {
    if (stored.empty()) return stored;
    // An absolute path is taken as the program writes it back: without "." and ".." steps.
    if (!fs::path(stored).is_relative() || projectFile.empty())
        return fs::path(stored).lexically_normal().string();
    std::error_code error;
    const fs::path folder = fs::absolute(fs::path(projectFile), error).parent_path();
    return (folder / fs::path(stored)).lexically_normal().string();
}

// The picture's place and size in the view, view units: far beyond any zoom of any picture.
constexpr double kMaxViewExtent = 1e8;

// The runoff part of the file: the inputs, then the results when there are any.
QJsonObject runoffJson(const RunoffInputs& inputs, const std::string& projectFile) {
    QJsonObject texts, captions, checks;
    for (const auto& [name, value] : inputs.texts) texts[q(name)] = q(value);
    for (const auto& [name, value] : inputs.captions) captions[q(name)] = q(value);
    for (const auto& [name, value] : inputs.checks) checks[q(name)] = value;
    QJsonObject runoffPart{{"texts", texts},
                           {"captions", captions},
                           {"checks", checks},
                           {"stormFile", q(storedPath(inputs.stormFile, projectFile))},
                           {"storageFile", q(storedPath(inputs.storageFile, projectFile))}};
    if (inputs.stormTable) {
        runoff::KeptStormTable kept = *inputs.stormTable;
        kept.table.fileName = storedPath(kept.table.fileName, projectFile);
        runoffPart["stormTable"] = toJson(runoff::stormTableTree(kept));
    }
    if (const auto& pattern = inputs.temporalPattern) {
        QJsonArray hours, percents;
        for (const double h : pattern->hours) hours.append(h);
        for (const double percent : pattern->percents) percents.append(percent);
        runoffPart["temporalPattern"] = QJsonObject{{"file", q(storedPath(pattern->fileName, projectFile))},
                                                    {"section", q(pattern->section)},
                                                    {"probability", q(pattern->probability)},
                                                    {"hours", hours},
                                                    {"percents", percents}};
    }
    if (inputs.results) runoffPart["results"] = toJson(runoff::resultsTree(*inputs.results));
    return runoffPart;
}

}  // namespace

std::string inputsFingerprint(const RunoffInputs& inputs) {
    RunoffInputs plain = inputs;
    plain.results.reset();
    plain.captions.erase(std::string(common::controls::form3::Form3));
    // Files by their names: a project moved with its files keeps its results.
    const auto name = [](std::string& path) { path = fs::path(path).filename().string(); };
    name(plain.stormFile);
    name(plain.storageFile);
    if (plain.stormTable) name(plain.stormTable->table.fileName);
    if (plain.temporalPattern) name(plain.temporalPattern->fileName);
    const QByteArray bytes = QJsonDocument(runoffJson(plain, std::string())).toJson(QJsonDocument::Compact);
    return runoff::fingerprint(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

std::string storedPath(const std::string& path, const std::string& projectFile) {
    if (path.empty() || projectFile.empty()) return path;
    std::error_code error;
    const fs::path folder = fs::absolute(fs::path(projectFile), error).parent_path().lexically_normal();
    const fs::path file = fs::absolute(fs::path(path), error).lexically_normal();
    if (error) return path;
    const fs::path relative = file.lexically_relative(folder);
    if (relative.empty() || *relative.begin() == "..") return file.string();
    return relative.generic_string();
}

std::string withProjectExtension(const std::string& name) {
    if (name.empty() || fs::path(name).has_extension()) return name;
    return name + kExtension;
}

std::string write(const Project& p, const std::string& projectFile) {
    QJsonObject root;
    root["format"] = kFormatName;
    root["version"] = kFormatVersion;
    root["picturePath"] = q(storedPath(p.picturePath, projectFile));
    root["view"] = QJsonObject{{"left", static_cast<double>(p.picture.left)},
                               {"top", static_cast<double>(p.picture.top)},
                               {"width", static_cast<double>(p.picture.width)},
                               {"height", static_cast<double>(p.picture.height)},
                               {"stretch", p.stretch},
                               {"scrollZoomFactor", static_cast<double>(p.scrollZoomFactor)}};
    // The measuring document writes itself; its two parts sit at the file's top level.
    const common::ValueTree doc = measure::MeasureDocument::write(p.work, measure::TreePurpose::Project);
    for (const auto& [key, value] : doc.asMap()) root[q(key)] = toJson(value);
    if (p.runoff) root["runoff"] = runoffJson(*p.runoff, projectFile);
    if (p.elevation) {
        root["elevationModel"] = QJsonObject{{"path", q(storedPath(p.elevation->path, projectFile))},
                                             {"unit", q(p.elevation->unit)},
                                             {"crs", q(p.elevation->crs)},
                                             {"isMap", p.elevation->isMap}};
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

namespace {

// The kept temporal distribution: its source, its hours and percents, checked as an imported file's.
runoff::TemporalPattern readTemporalPattern(const common::TreeReader& r, const std::string& projectFile) {
    runoff::TemporalPattern pattern;
    pattern.fileName = readBackPath(r.text("file"), projectFile);
    pattern.section = r.text("section");
    pattern.probability = r.text("probability");
    const auto numbers = [&](std::string_view key) {
        std::vector<double> values;
        const common::ValueTree::List& list = r.list(key, runoff::kMaxPatternRows);
        for (const common::ValueTree& item : list) {
            if (!item.isNumber() || !std::isfinite(item.asNumber()))
                r.fail(key, common::msg::kValueNotANumber);
            values.push_back(item.asNumber());
        }
        return values;
    };
    pattern.hours = numbers("hours");
    pattern.percents = numbers("percents");
    const std::string problem = runoff::temporalPatternProblem(pattern);
    if (!problem.empty()) r.fail("percents", problem);
    return pattern;
}

Project readTree(const common::TreeReader& root, const std::string& projectFile) {
    using Kind = common::ValueTree::Kind;
    const common::ValueTree& version = root.at("version");
    if (!common::wholeNumberIn(version, 1, std::numeric_limits<double>::max()))
        root.fail("version", msg::kValueNotFormatVersion);
    if (version.asNumber() > kFormatVersion) {
        throw ProjectError(
            msg::projectFromNewerProgram(common::generalText(version.asNumber()), kFormatVersion));
    }

    Project p;
    p.picturePath = readBackPath(root.text("picturePath"), projectFile);
    const common::TreeReader view = root.map("view");
    p.picture = {static_cast<float>(view.number("left", -kMaxViewExtent, kMaxViewExtent)),
                 static_cast<float>(view.number("top", -kMaxViewExtent, kMaxViewExtent)),
                 static_cast<float>(view.number("width", 0, kMaxViewExtent)),
                 static_cast<float>(view.number("height", 0, kMaxViewExtent))};
    // A picture shown with no width or height cannot be traced on, and every point on it divides by 0.
    if (!(p.picture.width > 0)) view.fail("width", msg::kValueNotAboveZero);
    if (!(p.picture.height > 0)) view.fail("height", msg::kValueNotAboveZero);
    p.stretch = view.boolean("stretch");
    p.scrollZoomFactor = view.single("scrollZoomFactor");
    if (!(p.scrollZoomFactor > 0 && p.scrollZoomFactor <= 0.5f))
        view.fail("scrollZoomFactor", msg::kValueOutOfRange);
    // The measuring document reads its own parts of the file (the picture's georeference among them, so
    // that a project opens without reading the picture's world file again).
    common::ValueTree work = common::ValueTree::map();
    for (const char* key : {"measureState", "window", "georeference", "delineation"}) {
        if (const common::ValueTree* part = root.tree().find(key)) work.set(key, *part);
    }
    p.work = measure::MeasureDocument::read(work);

    if (root.has("runoff")) {
        const common::TreeReader r = root.map("runoff");
        auto text = [](const common::ValueTree& v) { return v.asText(); };
        auto check = [](const common::ValueTree& v) { return v.asBool(); };
        RunoffInputs inputs;
        inputs.texts = readNamed<std::string>(r, "texts", Kind::Text, text);
        inputs.captions = readNamed<std::string>(r, "captions", Kind::Text, text);
        inputs.checks = readNamed<bool>(r, "checks", Kind::Bool, check);
        // Storm and storage files are kept since a later version: empty when missing.
        if (r.has("stormFile")) inputs.stormFile = readBackPath(r.text("stormFile"), projectFile);
        if (r.has("storageFile")) inputs.storageFile = readBackPath(r.text("storageFile"), projectFile);
        // The imported precipitation-frequency table is kept since a later version: none when missing.
        if (r.has("stormTable")) {
            inputs.stormTable = runoff::readStormTableTree(r.map("stormTable"));
            inputs.stormTable->table.fileName = readBackPath(inputs.stormTable->table.fileName, projectFile);
        }
        if (r.has("temporalPattern"))
            inputs.temporalPattern = readTemporalPattern(r.map("temporalPattern"), projectFile);
        // Results are kept since a later version: none when missing.
        if (r.has("results")) inputs.results = runoff::readResultsTree(r.map("results"));
        p.runoff = std::move(inputs);
    }
    // The elevation model is kept since a later version: none when missing.
    if (root.has("elevationModel")) {
        const common::TreeReader e = root.map("elevationModel");
        ElevationSource source;
        source.path = readBackPath(e.text("path"), projectFile);
        if (source.path.empty()) e.fail("path", msg::kValueEmptyPath);
        source.unit = e.text("unit");
        if (!source.unit.empty() &&
            terrain::verticalUnitFromText(source.unit) == terrain::VerticalUnit::Unknown)
            e.fail("unit", msg::kValueNotElevationUnit);
        source.crs = e.text("crs");
        source.isMap = e.boolean("isMap");
        p.elevation = std::move(source);
    }
    return p;
}

}  // namespace

Project read(std::string_view bytes, const std::string& projectFile) {
    QJsonParseError parse{};
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), &parse);
    if (parse.error != QJsonParseError::NoError) {
        // A file that does not even start like JSON is some other kind of file.
        const auto first = bytes.find_first_not_of(" \t\r\n");
        if (first == std::string_view::npos || bytes[first] != '{') throw ProjectError(msg::kNotAProjectFile);
        throw ProjectError(msg::projectDamaged(parse.errorString().toStdString(), parse.offset));
    }
    if (!doc.isObject() || doc.object().value("format").toString() != QLatin1StringView(kFormatName))
        throw ProjectError(msg::kNotAProjectFile);
    // Everything else is read from the file's value tree, naming the first value that is wrong.
    const common::ValueTree tree = fromJson(doc.object());
    const common::TreeReader root(tree, "");
    try {
        return readTree(root, projectFile);
    } catch (const common::TreeError& error) {
        throw ProjectError(error.what());
    }
}

const char* unreadableReason(const common::RuntimeFailure& failure, const std::string& path) {
    if (failure.number() == common::outOfMemory().number()) return common::msg::kProjectTooLarge;
    if (failure.cause() == common::msg::notARegularFile(path)) return common::msg::kProjectNotRegular;
    return common::msg::kProjectUnreadable;
}

}  // namespace brelvo::app::project
