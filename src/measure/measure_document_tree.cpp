// The measuring document as a value tree: the measuring state's fields in one table (name, member,
// whether a project keeps it, the range it is read in), used both to write and to read; the window's
// controls as they are kept in projects.
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>

#include "common/messages.hpp"
#include "measure/measure_document.hpp"

namespace brelvo::measure {

namespace msg = common::msg;

namespace {

using common::TreeError;
using common::TreeReader;
using common::ValueTree;

using Starts = std::array<std::int16_t, MeasureState::kLineStarts>;
using Coord = std::array<std::int16_t, 2>;
using Member = std::variant<std::int16_t MeasureState::*, float MeasureState::*, bool MeasureState::*,
                            std::string MeasureState::*, PointF MeasureState::*, Starts MeasureState::*,
                            Coord MeasureState::*>;

enum class Kept {
    Always,   // written and read
    Passing,  // shown in dumps; not the user's work, so never kept in a project (older files may hold it)
    Later,    // written and read; files written before it was kept lack it (it then keeps its default)
};

struct Field {
    const char* name;
    Member member;
    Kept kept = Kept::Always;
    int low = -32768;  // range of a whole number
    int high = 32767;
};

// The one list of the measuring state's fields, in the order the dump shows them.
const std::array<Field, 31> kFields{{
    {"mode", &MeasureState::mode, Kept::Always, Idle, ScalePoints},
    {"lastPoint", &MeasureState::lastPoint},
    {"lineStart", &MeasureState::lineStart},
    {"segmentIndex", &MeasureState::segmentIndex},
    {"lineNumber", &MeasureState::lineNumber, Kept::Always, 0, MeasureState::kLineStarts - 1},
    {"scaleDistance", &MeasureState::scaleDistance},
    {"scaleX", &MeasureState::scaleX},
    {"scaleY", &MeasureState::scaleY},
    {"grabPoint", &MeasureState::grabPoint, Kept::Passing},
    {"measureNumber", &MeasureState::measureNumber},
    {"areaText", &MeasureState::areaText},
    {"areaCentroidText", &MeasureState::areaCentroidText},
    {"streamLengthText", &MeasureState::streamLengthText},
    {"belowCentroidText", &MeasureState::belowCentroidText},
    {"lastFinishedMode", &MeasureState::lastFinishedMode, Kept::Always, 0, 2},
    {"distanceStep", &MeasureState::distanceStep},
    {"feetUnits", &MeasureState::feetUnits},
    {"pixelUnits", &MeasureState::pixelUnits},
    {"generalPixels", &MeasureState::generalPixels},
    {"refPixel", &MeasureState::refPixel},
    {"refCoord", &MeasureState::refCoord},
    {"viewUnlocked", &MeasureState::viewUnlocked},
    {"centroid", &MeasureState::centroid},
    {"areaCentroid", &MeasureState::areaCentroid},
    {"scalePoint2", &MeasureState::scalePoint2},
    {"areaFactor", &MeasureState::areaFactor},
    {"lengthUnitText", &MeasureState::lengthUnitText},
    {"areaUnitText", &MeasureState::areaUnitText},
    {"removeAll", &MeasureState::removeAll, Kept::Passing},
    {"mapOrigin", &MeasureState::mapOrigin, Kept::Later},
    {"mapOriginPinned", &MeasureState::mapOriginPinned, Kept::Later},
}};

ValueTree point(const PointF& p) {
    return ValueTree::list({ValueTree::single(p.x), ValueTree::single(p.y)});
}

template <std::size_t N>
ValueTree numbers(const std::array<std::int16_t, N>& values) {
    ValueTree list = ValueTree::list();
    for (const auto v : values) list.append(ValueTree::integer(v));
    return list;
}

ValueTree valueOf(const MeasureState& s, const Member& member) {
    return std::visit(
        [&s](auto m) {
            const auto& v = s.*m;
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::int16_t>) return ValueTree::integer(v);
            if constexpr (std::is_same_v<T, float>) return ValueTree::single(v);
            if constexpr (std::is_same_v<T, bool>) return ValueTree::boolean(v);
            if constexpr (std::is_same_v<T, std::string>) return ValueTree::text(v);
            if constexpr (std::is_same_v<T, PointF>) return point(v);
            if constexpr (std::is_same_v<T, Starts> || std::is_same_v<T, Coord>) return numbers(v);
        },
        member);
}

// A fixed list of whole numbers: the line starts (21 of them) and the reference coordinates (two).
template <std::size_t N>
void readNumbers(const TreeReader& r, const Field& f, std::array<std::int16_t, N>& out) {
    const ValueTree::List& items = r.list(f.name, N);
    const bool starts = N == MeasureState::kLineStarts;
    if (starts && items.size() != N) r.fail(f.name, msg::kValueNotTwentyOneEntries);
    for (std::size_t i = 0; i < N; ++i) {
        if (i >= items.size() || !common::wholeNumberIn(items[i], -32768, 32767))
            r.fail(f.name, starts ? msg::kValueEntryNotWhole : msg::kValueNotTwoWholeNumbers);
        out[i] = static_cast<std::int16_t>(items[i].asNumber());
    }
}

void readField(const TreeReader& r, const Field& f, MeasureState& s) {
    std::visit(
        [&](auto m) {
            auto& v = s.*m;
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::int16_t>)
                v = static_cast<std::int16_t>(r.integer(f.name, f.low, f.high));
            if constexpr (std::is_same_v<T, float>) v = r.single(f.name);
            if constexpr (std::is_same_v<T, bool>) v = r.boolean(f.name);
            if constexpr (std::is_same_v<T, std::string>) v = r.text(f.name);
            if constexpr (std::is_same_v<T, PointF>) {
                const auto [x, y] = r.pair(f.name);
                v = {x, y};
            }
            if constexpr (std::is_same_v<T, Starts> || std::is_same_v<T, Coord>) readNumbers(r, f, v);
        },
        f.member);
}

MeasureState readState(const TreeReader& r) {
    MeasureState s;
    // The fields kept since a later version are read together, when the file holds the last of them.
    const bool hasLater = r.has("mapOriginPinned");
    for (const Field& f : kFields) {
        if (f.kept == Kept::Passing || (f.kept == Kept::Later && !hasLater)) continue;
        readField(r, f, s);
    }
    return s;
}

ValueTree box(const Box& b) {
    ValueTree t = ValueTree::map();
    t.set("left", ValueTree::single(b.left));
    t.set("top", ValueTree::single(b.top));
    t.set("width", ValueTree::single(b.width));
    t.set("height", ValueTree::single(b.height));
    t.set("visible", ValueTree::boolean(b.visible));
    return t;
}

void readBox(const TreeReader& r, Box& b) {
    b.left = r.single("left");
    b.top = r.single("top");
    b.width = r.single("width");
    b.height = r.single("height");
    b.visible = r.boolean("visible");
}

constexpr std::size_t kMaxItems = 100000;  // segments or labels: far more than any traced basin has
// A line traced whole: two numbers a vertex, and a delineated boundary of a 10,000^2 model has some 41,000.
constexpr std::size_t kMaxPathNumbers = 8000000;

ValueTree writeControls(const SurfaceControls& c) {
    ValueTree w = ValueTree::map();
    w.set("caption", ValueTree::text(c.caption));
    ValueTree& t = w.set("text1", box(c.text1));
    t.set("text", ValueTree::text(c.text1.text));
    t.set("caret", ValueTree::integer(c.text1.caret));
    w.set("shape1", box(c.shape1));
    w.set("shape2", box(c.shape2));
    w.set("frameScale", box(c.frameScale));
    w.set("text2", ValueTree::text(c.text2));
    w.set("upDown1Value", ValueTree::integer(c.upDown1Value));
    w.set("upDown1Step", ValueTree::integer(c.upDown1Step));
    w.set("option1", ValueTree::integer(c.option1));
    w.set("dialogCancelRaisesError", ValueTree::boolean(c.dialogCancelRaisesError));
    w.set("crossPointer", ValueTree::boolean(c.pointer == Pointer::Cross));
    ValueTree& segments = w.set("segments", ValueTree::list());
    for (const auto& [index, s] : c.line1) {
        ValueTree& seg = segments.append(ValueTree::map());
        seg.set("index", ValueTree::integer(index));
        seg.set("x1", ValueTree::single(s.x1));
        seg.set("y1", ValueTree::single(s.y1));
        seg.set("x2", ValueTree::single(s.x2));
        seg.set("y2", ValueTree::single(s.y2));
        seg.set("width", ValueTree::integer(s.width));
        seg.set("color", ValueTree::integer(s.color));
        seg.set("visible", ValueTree::boolean(s.visible));
        // A line traced whole keeps its vertices as one list: x, y, x, y, ...
        if (!s.path.empty()) {
            ValueTree& path = seg.set("path", ValueTree::list());
            for (const PointF& p : s.path) {
                path.append(ValueTree::single(p.x));
                path.append(ValueTree::single(p.y));
            }
        }
        // An area's holes: a list of such lists.
        if (!s.holes.empty()) {
            ValueTree& holes = seg.set("holes", ValueTree::list());
            for (const auto& ring : s.holes) {
                ValueTree& hole = holes.append(ValueTree::list());
                for (const PointF& p : ring) {
                    hole.append(ValueTree::single(p.x));
                    hole.append(ValueTree::single(p.y));
                }
            }
        }
    }
    ValueTree& labels = w.set("labels", ValueTree::list());
    for (const Label& label : c.label1) {
        ValueTree& l = labels.append(box(label));
        l.set("caption", ValueTree::text(label.caption));
    }
    return w;
}

// Vertices as two numbers each, at least `least` of them, else the value `name` is refused.
std::vector<PointF> readPoints(const TreeReader& s, const ValueTree::List& numbers, const char* name,
                               std::size_t least, std::string_view why) {
    if (numbers.size() < 2 * least || numbers.size() % 2 != 0) s.fail(name, why);
    constexpr double big = std::numeric_limits<float>::max();
    std::vector<PointF> points;
    points.reserve(numbers.size() / 2);
    for (std::size_t i = 0; i < numbers.size(); i += 2) {
        for (std::size_t k = i; k < i + 2; ++k) {
            const double v = numbers[k].asNumber();
            if (!numbers[k].isNumber() || !std::isfinite(v) || std::fabs(v) > big) s.fail(name, why);
        }
        points.push_back(
            {static_cast<float>(numbers[i].asNumber()), static_cast<float>(numbers[i + 1].asNumber())});
    }
    return points;
}

// A line traced whole: its vertices, two numbers each, at least two; its ends are the path's. An area's
// holes: lists of at least three vertices, all the points together within the path's bound.
void readPath(const TreeReader& s, Segment& seg) {
    seg.path = readPoints(s, s.list("path", kMaxPathNumbers), "path", 2, msg::kValuePathPoints);
    if (s.has("holes")) {
        const ValueTree::List& holes = s.list("holes", kMaxPathNumbers / 6);
        std::size_t total = seg.path.size() * 2;
        for (const ValueTree& hole : holes) {
            if (hole.kind() != ValueTree::Kind::List) s.fail("holes", msg::kValueHolePoints);
            total += hole.asList().size();
            if (total > kMaxPathNumbers) s.fail("holes", msg::kValueHolePoints);
            seg.holes.push_back(readPoints(s, hole.asList(), "holes", 3, msg::kValueHolePoints));
        }
    }
    seg.x1 = seg.path.front().x;
    seg.y1 = seg.path.front().y;
    seg.x2 = seg.path.back().x;
    seg.y2 = seg.path.back().y;
}

SurfaceControls readControls(const TreeReader& w) {
    SurfaceControls c;
    c.caption = w.text("caption");
    const TreeReader t = w.map("text1");
    readBox(t, c.text1);
    c.text1.text = t.text("text");
    c.text1.caret = t.integer("caret", 0, static_cast<int>(c.text1.text.size()));
    readBox(w.map("shape1"), c.shape1);
    readBox(w.map("shape2"), c.shape2);
    readBox(w.map("frameScale"), c.frameScale);
    c.text2 = w.text("text2");
    c.upDown1Value = w.integer("upDown1Value", -2147483647, 2147483647);
    c.upDown1Step = w.integer("upDown1Step", -2147483647, 2147483647);
    c.option1 = w.integer("option1", -1, 16);
    c.dialogCancelRaisesError = w.boolean("dialogCancelRaisesError");
    c.pointer = w.boolean("crossPointer") ? Pointer::Cross : Pointer::Default;
    // Segment 0 and label 0 come from the file when it holds them.
    c.line1.clear();
    c.label1.clear();
    const ValueTree::List& segments = w.list("segments", kMaxItems);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const TreeReader s = w.item(segments, i, "segments");
        const int index = s.integer("index", 0, 32767);
        Segment seg{s.single("x1"),
                    s.single("y1"),
                    s.single("x2"),
                    s.single("y2"),
                    s.integer("width", 0, 1000),
                    static_cast<std::uint32_t>(s.integer("color", 0, 0xFFFFFF)),
                    s.boolean("visible"),
                    {},
                    {}};
        if (s.has("path")) readPath(s, seg);
        if (!c.line1.emplace(index, seg).second) w.fail("segments", msg::kValueSegmentTwice);
    }
    // The window always has segment 0 and label 0.
    c.line1.try_emplace(0, Segment{});
    const ValueTree::List& labels = w.list("labels", kMaxItems);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const TreeReader l = w.item(labels, i, "labels");
        Label label;
        readBox(l, label);
        label.caption = l.text("caption");
        c.label1.push_back(std::move(label));
    }
    if (c.label1.empty()) c.label1.emplace_back();
    return c;
}

// The counters must agree with the segments and labels the tree holds, or every command would run
// past them: each measured area has its label, no segment lies beyond the one to draw next, and each
// line begun starts within them.
void checkCounters(const MeasureWork& w) {
    const MeasureState& s = w.state;
    if (s.measureNumber < 0 || s.measureNumber > static_cast<int>(w.controls.label1.size()))
        throw TreeError(msg::treeValueRefused("measureState.measureNumber", msg::kValueLabelNotHeld));
    if (s.segmentIndex < 0)
        throw TreeError(msg::treeValueRefused("measureState.segmentIndex", msg::kValueOutOfRange));
    if (w.controls.line1.rbegin()->first > s.segmentIndex)
        throw TreeError(msg::treeValueRefused("measureState.segmentIndex", msg::kValueBelowSegmentsHeld));
    for (int i = 0; i <= s.lineNumber; ++i) {
        const int start = s.lineStart[static_cast<std::size_t>(i)];
        if (start < 0 || start > s.segmentIndex + 1)
            throw TreeError(msg::treeValueRefused("measureState.lineStart", msg::kValueSegmentNotHeld));
    }
}

// The picture's georeference: null, or its coordinate system, geotransform (doubles, written so that
// they read back exactly) and where it came from.
ValueTree writeGeoreference(const std::optional<Georeference>& georef) {
    if (!georef) return ValueTree{};
    ValueTree g = ValueTree::map();
    g.set("crs", ValueTree::text(georef->crs));
    g.set("wkt", ValueTree::text(georef->wkt));
    ValueTree& transform = g.set("geotransform", ValueTree::list());
    for (const double v : georef->geotransform) transform.append(ValueTree::number(v));
    g.set("source", ValueTree::text(georefSourceText(georef->source)));
    return g;
}

bool isEpsgCode(const std::string& crs) {
    const std::string lead = "EPSG:";
    if (crs.size() <= lead.size() || crs.compare(0, lead.size(), lead) != 0) return false;
    return crs.find_first_not_of("0123456789", lead.size()) == std::string::npos;
}

// Files of earlier versions hold no georeference: the picture then has none.
std::optional<Georeference> readGeoreference(const TreeReader& root) {
    constexpr const char* kKey = "georeference";
    if (!root.has(kKey) || root.at(kKey).kind() == ValueTree::Kind::Null) return std::nullopt;
    const TreeReader r = root.map(kKey);
    Georeference g;
    g.crs = r.text("crs");
    if (!g.crs.empty() && !isEpsgCode(g.crs)) r.fail("crs", msg::kValueNotEpsgCode);
    g.wkt = r.text("wkt");
    const ValueTree::List& transform = r.list("geotransform", 64);
    if (transform.size() != g.geotransform.size()) r.fail("geotransform", msg::kValueNotSixNumbers);
    for (std::size_t i = 0; i < transform.size(); ++i) {
        if (!transform[i].isNumber() || !std::isfinite(transform[i].asNumber()))
            r.fail("geotransform", msg::kValueNotSixNumbers);
        g.geotransform[i] = transform[i].asNumber();
    }
    if (!g.valid()) r.fail("geotransform", msg::kValueGeotransformNotInvertible);
    const std::optional<GeorefSource> source = georefSourceFromText(r.text("source"));
    if (!source) r.fail("source", msg::kValueNotGeorefSource);
    g.source = *source;
    return g;
}

}  // namespace

ValueTree MeasureDocument::writeState(const MeasureState& state, TreePurpose purpose) {
    ValueTree t = ValueTree::map();
    for (const Field& f : kFields) {
        if (f.kept == Kept::Passing && purpose != TreePurpose::Dump) continue;
        t.set(f.name, valueOf(state, f.member));
    }
    return t;
}

ValueTree MeasureDocument::write(const MeasureWork& work, TreePurpose purpose) {
    ValueTree root = ValueTree::map();
    root.set("measureState", writeState(work.state, purpose));
    root.set("window", writeControls(work.controls));
    root.set("georeference", writeGeoreference(work.georef));
    root.set("delineation", writeDelineation(work.delineation, work.delineationSettings));
    return root;
}

MeasureWork MeasureDocument::read(const ValueTree& tree) {
    if (tree.kind() != ValueTree::Kind::Map) throw TreeError(std::string(msg::kMeasuringDocumentNotObject));
    const TreeReader root(tree, "");
    MeasureWork w;
    w.state = readState(root.map("measureState"));
    w.controls = readControls(root.map("window"));
    w.georef = readGeoreference(root);
    readDelineation(root, w.delineation, w.delineationSettings);
    checkCounters(w);
    return w;
}

}  // namespace brelvo::measure
