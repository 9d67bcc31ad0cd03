// Writing and reading project files with Qt's JSON classes.
#include "app/project_file.hpp"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <cmath>
#include <filesystem>
#include <limits>

#include "common/numbers.hpp"

namespace brelvo::app::project {

namespace {

namespace fs = std::filesystem;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QJsonArray point(const measure::PointF& p) {
    return QJsonArray{static_cast<double>(p.x), static_cast<double>(p.y)};
}

QJsonObject box(const measure::Box& b) {
    return QJsonObject{{"left", static_cast<double>(b.left)},
                       {"top", static_cast<double>(b.top)},
                       {"width", static_cast<double>(b.width)},
                       {"height", static_cast<double>(b.height)},
                       {"visible", b.visible}};
}

QJsonObject measureObject(const measure::MeasureState& s) {
    QJsonArray starts;
    for (const auto start : s.lineStart) starts.append(start);
    return QJsonObject{
        {"mode", s.mode},
        {"lastPoint", point(s.lastPoint)},
        {"lineStart", starts},
        {"segmentIndex", s.segmentIndex},
        {"lineNumber", s.lineNumber},
        {"scaleDistance", static_cast<double>(s.scaleDistance)},
        {"scaleX", static_cast<double>(s.scaleX)},
        {"scaleY", static_cast<double>(s.scaleY)},
        {"grabPoint", point(s.grabPoint)},
        {"measureNumber", s.measureNumber},
        {"areaText", q(s.areaText)},
        {"areaCentroidText", q(s.areaCentroidText)},
        {"streamLengthText", q(s.streamLengthText)},
        {"belowCentroidText", q(s.belowCentroidText)},
        {"lastFinishedMode", s.lastFinishedMode},
        {"distanceStep", static_cast<double>(s.distanceStep)},
        {"feetUnits", s.feetUnits},
        {"pixelUnits", s.pixelUnits},
        {"generalPixels", s.generalPixels},
        {"refPixel", point(s.refPixel)},
        {"refCoord", QJsonArray{s.refCoord[0], s.refCoord[1]}},
        {"viewUnlocked", s.viewUnlocked},
        {"centroid", point(s.centroid)},
        {"areaCentroid", point(s.areaCentroid)},
        {"scalePoint2", point(s.scalePoint2)},
        {"areaFactor", static_cast<double>(s.areaFactor)},
        {"lengthUnitText", q(s.lengthUnitText)},
        {"areaUnitText", q(s.areaUnitText)},
        {"removeAll", s.removeAll},
        {"mapOrigin", point(s.mapOrigin)},
        {"mapOriginPinned", s.mapOriginPinned},
    };
}

// Reads the values of one JSON object, naming the key of the first one that is missing or wrong.
class Reader {
  public:
    Reader(const QJsonObject& object, std::string path) : object_(object), path_(std::move(path)) {}

    const QJsonValue& at(const char* key) {
        value_ = object_.value(QLatin1StringView(key));
        if (value_.isUndefined()) fail(key, "is missing");
        return value_;
    }
    [[noreturn]] void fail(const char* key, const char* problem) const {
        throw ProjectError("the value \"" + path_ + key + "\" " + problem);
    }
    double number(const char* key, double low, double high) {
        const QJsonValue& v = at(key);
        if (!v.isDouble()) fail(key, "is not a number");
        const double d = v.toDouble();
        if (!std::isfinite(d) || d < low || d > high) fail(key, "is out of range");
        return d;
    }
    float single(const char* key) {
        constexpr double big = std::numeric_limits<float>::max();
        return static_cast<float>(number(key, -big, big));
    }
    int integer(const char* key, int low, int high) {
        const double d = number(key, low, high);
        if (d != std::floor(d)) fail(key, "is not a whole number");
        return static_cast<int>(d);
    }
    std::int16_t int16(const char* key) { return static_cast<std::int16_t>(integer(key, -32768, 32767)); }
    bool boolean(const char* key) {
        const QJsonValue& v = at(key);
        if (!v.isBool()) fail(key, "is not true or false");
        return v.toBool();
    }
    std::string text(const char* key) {
        const QJsonValue& v = at(key);
        if (!v.isString()) fail(key, "is not a text");
        return v.toString().toStdString();
    }
    bool has(const char* key) const { return object_.contains(QLatin1StringView(key)); }
    // A text that older files do not hold: empty when missing.
    std::string optionalText(const char* key) {
        return object_.contains(QLatin1StringView(key)) ? text(key) : std::string();
    }
    QJsonArray array(const char* key, qsizetype maxSize) {
        const QJsonValue& v = at(key);
        if (!v.isArray()) fail(key, "is not a list");
        if (v.toArray().size() > maxSize) fail(key, "has too many entries");
        return v.toArray();
    }
    Reader object(const char* key) {
        const QJsonValue& v = at(key);
        if (!v.isObject()) fail(key, "is not an object");
        return Reader(v.toObject(), path_ + key + ".");
    }
    // An element of a list as an object.
    Reader element(const QJsonArray& list, qsizetype index, const char* key) {
        if (!list.at(index).isObject()) fail(key, "holds an entry that is not an object");
        return Reader(list.at(index).toObject(), path_ + key + "[" + std::to_string(index) + "].");
    }
    measure::PointF pointAt(const char* key) {
        const QJsonArray a = array(key, 2);
        if (a.size() != 2 || !a[0].isDouble() || !a[1].isDouble()) fail(key, "is not a point");
        constexpr double big = std::numeric_limits<float>::max();
        const double x = a[0].toDouble(), y = a[1].toDouble();
        if (!std::isfinite(x) || !std::isfinite(y) || std::abs(x) > big || std::abs(y) > big)
            fail(key, "is out of range");
        return {static_cast<float>(x), static_cast<float>(y)};
    }
    void readBox(measure::Box& b) {
        b.left = single("left");
        b.top = single("top");
        b.width = single("width");
        b.height = single("height");
        b.visible = boolean("visible");
    }
    const QJsonObject& json() const { return object_; }
    const std::string& path() const { return path_; }

  private:
    QJsonObject object_;
    std::string path_;
    QJsonValue value_;
};

measure::MeasureState readMeasure(Reader r) {
    measure::MeasureState s;
    s.mode = static_cast<std::int16_t>(r.integer("mode", measure::Idle, measure::ScalePoints));
    s.lastPoint = r.pointAt("lastPoint");
    const QJsonArray starts = r.array("lineStart", measure::MeasureState::kLineStarts);
    if (starts.size() != measure::MeasureState::kLineStarts) r.fail("lineStart", "does not have 21 entries");
    for (qsizetype i = 0; i < starts.size(); ++i) {
        const double d = starts[i].toDouble(-1e9);
        if (!starts[i].isDouble() || d != std::floor(d) || d < -32768 || d > 32767)
            r.fail("lineStart", "holds an entry that is not a whole number");
        s.lineStart[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(d);
    }
    s.segmentIndex = r.int16("segmentIndex");
    s.lineNumber =
        static_cast<std::int16_t>(r.integer("lineNumber", 0, measure::MeasureState::kLineStarts - 1));
    s.scaleDistance = r.single("scaleDistance");
    s.scaleX = r.single("scaleX");
    s.scaleY = r.single("scaleY");
    s.grabPoint = r.pointAt("grabPoint");
    s.measureNumber = r.int16("measureNumber");
    s.areaText = r.text("areaText");
    s.areaCentroidText = r.text("areaCentroidText");
    s.streamLengthText = r.text("streamLengthText");
    s.belowCentroidText = r.text("belowCentroidText");
    s.lastFinishedMode = static_cast<std::int16_t>(r.integer("lastFinishedMode", 0, 2));
    s.distanceStep = r.single("distanceStep");
    s.feetUnits = r.boolean("feetUnits");
    s.pixelUnits = r.boolean("pixelUnits");
    s.generalPixels = r.boolean("generalPixels");
    s.refPixel = r.pointAt("refPixel");
    const QJsonArray ref = r.array("refCoord", 2);
    for (qsizetype i = 0; i < 2; ++i) {
        const double d = i < ref.size() && ref[i].isDouble() ? ref[i].toDouble() : 1e9;
        if (d != std::floor(d) || d < -32768 || d > 32767) r.fail("refCoord", "is not two whole numbers");
        s.refCoord[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(d);
    }
    s.viewUnlocked = r.boolean("viewUnlocked");
    s.centroid = r.pointAt("centroid");
    s.areaCentroid = r.pointAt("areaCentroid");
    s.scalePoint2 = r.pointAt("scalePoint2");
    s.areaFactor = r.single("areaFactor");
    s.lengthUnitText = r.text("lengthUnitText");
    s.areaUnitText = r.text("areaUnitText");
    s.removeAll = r.boolean("removeAll");
    // Projects written before the map origin was held on the picture have it at the view's corner.
    if (r.has("mapOriginPinned")) {
        s.mapOriginPinned = r.boolean("mapOriginPinned");
        s.mapOrigin = r.pointAt("mapOrigin");
    }
    return s;
}

template <typename T>
std::map<std::string, T> readNamed(Reader r, const char* key, bool (QJsonValue::*is)() const,
                                   T (*convert)(const QJsonValue&)) {
    Reader named = r.object(key);
    std::map<std::string, T> out;
    for (auto it = named.json().begin(); it != named.json().end(); ++it) {
        const QJsonValue value = it.value();
        if (!(value.*is)()) r.fail(key, "holds an entry of the wrong kind");
        out.emplace(it.key().toStdString(), convert(value));
    }
    return out;
}

constexpr qsizetype kMaxItems = 100000;  // segments or labels: far more than any traced basin has

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

// The measuring logic's counters must agree with the segments the file holds, or every command would
// run past them: no segment lies beyond the one to draw next, and each line begun starts within them.
void checkCounters(const Project& p) {
    const measure::MeasureState& s = p.measure;
    if (s.segmentIndex < 0) throw ProjectError("the value \"measureState.segmentIndex\" is out of range");
    if (p.window.line1.rbegin()->first > s.segmentIndex)
        throw ProjectError("the value \"measureState.segmentIndex\" is below the segments the file holds");
    for (int i = 0; i <= s.lineNumber; ++i) {
        const int start = s.lineStart[static_cast<std::size_t>(i)];
        if (start < 0 || start > s.segmentIndex + 1)
            throw ProjectError("the value \"measureState.lineStart\" names a segment the file does not hold");
    }
}

}  // namespace

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
    root["measureState"] = measureObject(p.measure);
    QJsonObject window{{"caption", q(p.window.caption)},
                       {"text1",
                        [&] {
                            QJsonObject t = box(p.window.text1);
                            t["text"] = q(p.window.text1.text);
                            t["caret"] = p.window.text1.caret;
                            return t;
                        }()},
                       {"shape1", box(p.window.shape1)},
                       {"shape2", box(p.window.shape2)},
                       {"frameScale", box(p.window.frameScale)},
                       {"text2", q(p.window.text2)},
                       {"upDown1Value", p.window.upDown1Value},
                       {"upDown1Step", p.window.upDown1Step},
                       {"option1", p.window.option1},
                       {"dialogCancelRaisesError", p.window.dialogCancelRaisesError},
                       {"crossPointer", p.window.pointer == measure::Pointer::Cross}};
    QJsonArray segments;
    for (const auto& [index, s] : p.window.line1) {
        segments.append(QJsonObject{{"index", index},
                                    {"x1", static_cast<double>(s.x1)},
                                    {"y1", static_cast<double>(s.y1)},
                                    {"x2", static_cast<double>(s.x2)},
                                    {"y2", static_cast<double>(s.y2)},
                                    {"width", s.width},
                                    {"color", static_cast<double>(s.color)},
                                    {"visible", s.visible}});
    }
    window["segments"] = segments;
    QJsonArray labels;
    for (const auto& label : p.window.label1) {
        QJsonObject l = box(label);
        l["caption"] = q(label.caption);
        labels.append(l);
    }
    window["labels"] = labels;
    root["window"] = window;
    if (p.runoff) {
        QJsonObject texts, captions, checks;
        for (const auto& [name, value] : p.runoff->texts) texts[q(name)] = q(value);
        for (const auto& [name, value] : p.runoff->captions) captions[q(name)] = q(value);
        for (const auto& [name, value] : p.runoff->checks) checks[q(name)] = value;
        root["runoff"] = QJsonObject{{"texts", texts},
                                     {"captions", captions},
                                     {"checks", checks},
                                     {"stormFile", q(storedPath(p.runoff->stormFile, projectFile))},
                                     {"storageFile", q(storedPath(p.runoff->storageFile, projectFile))}};
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

Project read(std::string_view bytes, const std::string& projectFile) {
    QJsonParseError parse{};
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), &parse);
    if (parse.error != QJsonParseError::NoError) {
        // A file that does not even start like JSON is some other kind of file.
        const auto first = bytes.find_first_not_of(" \t\r\n");
        if (first == std::string_view::npos || bytes[first] != '{')
            throw ProjectError("it is not a project file");
        throw ProjectError("the file is damaged (" + parse.errorString().toStdString() + " at byte " +
                           std::to_string(parse.offset) + ")");
    }
    if (!doc.isObject() || doc.object().value("format").toString() != QLatin1StringView(kFormatName))
        throw ProjectError("it is not a project file");
    Reader root(doc.object(), "");
    const QJsonValue version = root.at("version");
    if (!version.isDouble() || version.toDouble() < 1 || version.toDouble() != std::floor(version.toDouble()))
        root.fail("version", "is not a format version");
    if (version.toDouble() > kFormatVersion) {
        throw ProjectError("it was written in format version " + common::generalText(version.toDouble()) +
                           " by a newer program; this one reads format version " +
                           std::to_string(kFormatVersion) + " and older");
    }

    Project p;
    p.picturePath = readBackPath(root.text("picturePath"), projectFile);
    Reader view = root.object("view");
    p.picture = {static_cast<float>(view.number("left", -kMaxViewExtent, kMaxViewExtent)),
                 static_cast<float>(view.number("top", -kMaxViewExtent, kMaxViewExtent)),
                 static_cast<float>(view.number("width", 0, kMaxViewExtent)),
                 static_cast<float>(view.number("height", 0, kMaxViewExtent))};
    // A picture shown with no width or height cannot be traced on, and every point on it divides by 0.
    if (!(p.picture.width > 0)) view.fail("width", "is not above 0");
    if (!(p.picture.height > 0)) view.fail("height", "is not above 0");
    p.stretch = view.boolean("stretch");
    p.scrollZoomFactor = view.single("scrollZoomFactor");
    if (!(p.scrollZoomFactor > 0 && p.scrollZoomFactor <= 0.5f))
        view.fail("scrollZoomFactor", "is out of range");
    p.measure = readMeasure(root.object("measureState"));

    Reader w = root.object("window");
    p.window.caption = w.text("caption");
    Reader t = w.object("text1");
    t.readBox(p.window.text1);
    p.window.text1.text = t.text("text");
    p.window.text1.caret = t.integer("caret", 0, static_cast<int>(p.window.text1.text.size()));
    w.object("shape1").readBox(p.window.shape1);
    w.object("shape2").readBox(p.window.shape2);
    w.object("frameScale").readBox(p.window.frameScale);
    p.window.text2 = w.text("text2");
    p.window.upDown1Value = w.integer("upDown1Value", -2147483647, 2147483647);
    p.window.upDown1Step = w.integer("upDown1Step", -2147483647, 2147483647);
    p.window.option1 = w.integer("option1", -1, 16);
    p.window.dialogCancelRaisesError = w.boolean("dialogCancelRaisesError");
    p.window.pointer = w.boolean("crossPointer") ? measure::Pointer::Cross : measure::Pointer::Default;
    // Segment 0 and label 0 come from the file when it holds them.
    p.window.line1.clear();
    p.window.label1.clear();
    const QJsonArray segments = w.array("segments", kMaxItems);
    for (qsizetype i = 0; i < segments.size(); ++i) {
        Reader s = w.element(segments, i, "segments");
        const int index = s.integer("index", 0, 32767);
        measure::Segment seg{s.single("x1"),
                             s.single("y1"),
                             s.single("x2"),
                             s.single("y2"),
                             s.integer("width", 0, 1000),
                             static_cast<std::uint32_t>(s.integer("color", 0, 0xFFFFFF)),
                             s.boolean("visible")};
        if (!p.window.line1.emplace(index, seg).second) w.fail("segments", "holds one segment index twice");
    }
    // The window always has segment 0 and label 0.
    p.window.line1.try_emplace(0, measure::Segment{});
    const QJsonArray labels = w.array("labels", kMaxItems);
    for (qsizetype i = 0; i < labels.size(); ++i) {
        Reader l = w.element(labels, i, "labels");
        measure::Label label;
        l.readBox(label);
        label.caption = l.text("caption");
        p.window.label1.push_back(std::move(label));
    }
    if (p.window.label1.empty()) p.window.label1.emplace_back();
    // Each measured area has its label: the measuring logic finds the current one by its number.
    if (p.measure.measureNumber < 0 || p.measure.measureNumber > static_cast<int>(p.window.label1.size()))
        throw ProjectError("the value \"measureState.measureNumber\" names a label the file does not hold");
    checkCounters(p);

    if (doc.object().contains("runoff")) {
        Reader r = root.object("runoff");
        RunoffInputs inputs;
        inputs.texts = readNamed<std::string>(r, "texts", &QJsonValue::isString,
                                              [](const QJsonValue& v) { return v.toString().toStdString(); });
        inputs.captions =
            readNamed<std::string>(r, "captions", &QJsonValue::isString,
                                   [](const QJsonValue& v) { return v.toString().toStdString(); });
        inputs.checks =
            readNamed<bool>(r, "checks", &QJsonValue::isBool, [](const QJsonValue& v) { return v.toBool(); });
        inputs.stormFile = readBackPath(r.optionalText("stormFile"), projectFile);
        inputs.storageFile = readBackPath(r.optionalText("storageFile"), projectFile);
        p.runoff = std::move(inputs);
    }
    return p;
}

}  // namespace brelvo::app::project
