// Unit-hydrograph methods and the convolution of excess rainfall (inches per step) into flows (cfs).
#include "runoff/unit_graphs.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>

#include "basin/basin_block.hpp"
#include "common/data_file.hpp"
#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "common/program_folder.hpp"
#include "runoff/curve_fit.hpp"
#include "runoff/losses.hpp"

namespace brelvo::runoff {

namespace {

constexpr int kLastGraphIndex = basin::kMaxGraphPoints - 1;  // 2000: graph and unit-graph arrays
constexpr int kLastOrdinate = basin::kHydrographUpper;       // 9000: qi

// 26.89 cfs for 24 hours is one inch of runoff over one square mile (645.36 cfs-hours).
constexpr double kInchCfsDays = 26.89;
constexpr double kAcreFeetPerCfsDay = 1.9835;

// a / b, with a zero divisor a failure rather than an infinite flow.
double divide(double a, double b) {
    if (b == 0) throw common::divisionByZero();
    return a / b;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Comma- or line-separated fields of a file that is not trusted: fields are kept to a bounded length,
// each is read strictly, and a file that ends early is a failure. Lines are counted for the refusals.
class FieldReader {
  public:
    FieldReader(std::istream& in, std::string_view fileName) : in_(in), fileName_(fileName) {}

    void discardLine() {
        if (in_.peek() == std::char_traits<char>::eof()) throw common::inputPastEndOfFile();
        for (int c = in_.get(); c != std::char_traits<char>::eof() && c != '\n'; c = in_.get()) {
        }
        ++line_;
    }

    // The next non-empty field, its line and its text.
    struct Field {
        std::string text;
        int line = 0;
    };
    Field next() {
        std::optional<Field> field = nextOrEnd();
        if (!field) throw common::inputPastEndOfFile();
        return std::move(*field);
    }

    // The same, or nothing at the end of the file.
    std::optional<Field> nextOrEnd() {
        for (;;) {
            Field field{std::string(), line_};
            bool ended = false;
            for (;;) {
                const int c = in_.get();
                if (c == std::char_traits<char>::eof()) {
                    ended = true;
                    break;
                }
                if (c == '\n') ++line_;
                if (c == ',' || c == '\n' || c == '\r') break;
                if (field.text.size() < kMaxFieldLength &&
                    !(field.text.empty() && isBlank(static_cast<char>(c)))) {
                    field.text.push_back(static_cast<char>(c));
                }
            }
            if (!field.text.empty() && !hasOnlyBlanks(field.text)) return field;
            if (ended) return std::nullopt;
        }
    }

    // The next non-empty field as a number, read strictly.
    float number() {
        const Field field = next();
        return common::fileNumber(fileName_, field.line, field.text);
    }

    std::string_view fileName() const { return fileName_; }

  private:
    static bool hasOnlyBlanks(const std::string& text) {
        return std::all_of(text.begin(), text.end(), [](char c) { return isBlank(c); });
    }
    static constexpr std::size_t kMaxFieldLength = 256;
    std::istream& in_;
    std::string fileName_;
    int line_ = 1;
};

}  // namespace

DimensionlessGraph parseDimensionlessGraph(std::istream& in, std::string_view fileName) {
    FieldReader reader(in, fileName);
    reader.discardLine();
    reader.discardLine();
    const FieldReader::Field count = reader.next();
    const float points = common::fileNumber(fileName, count.line, count.text);
    if (points != std::floor(points) || points < 1 || points > static_cast<float>(basin::kMaxGraphPoints)) {
        throw common::subscriptOutOfRange().because(
            common::msg::graphCountNotWhole(fileName, count.line, count.text));
    }
    const int m = static_cast<int>(points);
    DimensionlessGraph graph;
    const FieldReader::Field spacing = reader.next();
    graph.spacingPercent = common::fileNumber(fileName, spacing.line, spacing.text);
    if (!(graph.spacingPercent > 0)) {
        throw common::invalidProcedureCall().because(
            common::msg::graphSpacingNotPositive(fileName, spacing.line, spacing.text));
    }
    graph.ordinates.reserve(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) {
        const std::optional<FieldReader::Field> field = reader.nextOrEnd();
        if (!field) throw common::inputPastEndOfFile().because(common::msg::graphEndsEarly(fileName, m, i));
        const float ordinate = common::fileNumber(fileName, field->line, field->text);
        if (ordinate < 0) {
            throw common::invalidProcedureCall().because(
                common::msg::graphNegativeOrdinate(fileName, field->line, field->text));
        }
        graph.ordinates.push_back(ordinate);
    }
    // Nothing may follow the ordinates: a field more is a decimal comma that split a number, a repeated
    // line or a count that is too small, and the graph would be read shifted or cut.
    if (const std::optional<FieldReader::Field> more = reader.nextOrEnd()) {
        throw common::subscriptOutOfRange().because(
            common::msg::graphOrdinateBeyondCount(fileName, more->line, more->text, m));
    }
    return graph;
}

std::vector<float> sampleUnitGraph(const DimensionlessGraph& graph, float basinArea, float lagHours,
                                   float udur) {
    const int points = static_cast<int>(graph.ordinates.size());
    if (points < 1 || points > basin::kMaxGraphPoints) throw common::subscriptOutOfRange();

    const float tp = udur / 2 + lagHours;                                        // time to peak, hours
    const float scale = common::toSingle(divide(basinArea * kInchCfsDays, tp));  // cfs per unit of ordinate
    std::vector<float> times(static_cast<std::size_t>(points));                  // hours
    std::vector<float> flows(static_cast<std::size_t>(points));                  // cfs
    for (int i = 0; i < points; ++i) {
        const float r = static_cast<float>(i) * graph.spacingPercent / 100;  // fraction of the time to peak
        times[static_cast<std::size_t>(i)] = r * tp;
        flows[static_cast<std::size_t>(i)] = graph.ordinates[static_cast<std::size_t>(i)] * scale;
    }
    // Points 1..M-1 carry the fit; point 0 (time 0) is only the left end of the first interval, slope 0.
    std::vector<float> slopes(static_cast<std::size_t>(points), 0.0f);
    CRVFIT(times, flows, slopes, points - 1);

    std::vector<float> u;
    float total = 0;  // cfs
    int search = 1;
    const double lastTime = times.back();
    // Time in double so that thousands of small steps do not drift off the graph's end.
    for (double t = udur; t <= lastTime; t += udur) {
        if (static_cast<int>(u.size()) > kLastGraphIndex) {
            throw common::subscriptOutOfRange().because(std::string(common::msg::kUnitGraphTooLong));
        }
        const float value = curveValueAt(static_cast<float>(t), times, flows, slopes, points - 1, search);
        u.push_back(value);
        total = total + value;
        // Ordinates near the single range overflow the curve or its sum: the graph would scale to 0.
        if (!std::isfinite(total)) {
            throw common::overflow().because(std::string(common::msg::kUnitGraphOverflow));
        }
    }

    // One inch over the basin: sum(u) * udur / 24 cfs-days = basinArea * 26.89 cfs-days.
    if (!u.empty()) {
        const float sampledDays = total * udur / 24;
        if (sampledDays == 0) throw common::divisionByZero();
        for (float& value : u) {
            value = common::toSingle(value * (basinArea * kInchCfsDays) / sampledDays);
            if (!std::isfinite(value))
                throw common::overflow().because(std::string(common::msg::kUnitGraphOverflow));
        }
    }
    return u;
}

std::optional<GraphResult> convolveUnitGraph(const basin::Storm& storm, float imperviousFraction,
                                             const std::vector<float>& u, basin::Hydrograph& hydrograph) {
    const int nRain = storm.steps;
    GraphResult result;
    result.excessIn = storm.excessIn;
    mixImpervious(storm.rainIn, imperviousFraction, 0, nRain, result.excessIn);  // proves 0..nRain exist
    float excessTotal = 0;                                                       // inches
    for (int i = 0; i <= nRain; ++i) excessTotal = excessTotal + result.excessIn[i];
    if (excessTotal == 0) return std::nullopt;

    // Ordinate n sums excess(i) * u(n - i) for i = 1..min(n, nRain), so it reads u up to index n - 1;
    // the unit-graph array ends at 2,000, so no ordinate past 2,001 can be formed (and none past
    // qi's 9,000). Without rain steps no unit-graph index is read and only qi's bound applies.
    const int lastOrdinate = nRain >= 1 ? std::min(kLastGraphIndex + 1, kLastOrdinate) : kLastOrdinate;
    const int unitLength = std::min(static_cast<int>(u.size()), kLastGraphIndex + 1);
    thread_local ConvolutionScratch scratch;
    std::copy(u.begin(), u.begin() + unitLength, scratch.unit.begin());
    float* const q = scratch.flows.data();  // cfs
    std::fill(q, q + lastOrdinate + 1, 0.0f);

    // The direct sum, taken rain step by rain step: every ordinate still receives its terms in the
    // order i = 1, 2, ..., so each float sum is the same as when summed ordinate by ordinate. Terms
    // with u past its last sampled value are 0 and left out. Ranges are checked here once:
    // i <= nRain <= excessStep's upper bound (mixed above), j < unitLength, i + j <= lastOrdinate.
    // The output and the unit graph never overlap, which lets the inner loop run in vector registers
    // (each ordinate still gets its terms one by one, in the same order).
    const float* excess = result.excessIn.values().data();
    const float* __restrict unit = scratch.unit.data();
    for (int i = 1; i <= nRain && i <= lastOrdinate; ++i) {
        const float e = excess[i];
        const int count = std::min(unitLength, lastOrdinate - i + 1);
        float* __restrict out = q + i;
        for (int j = 0; j < count; ++j) out[j] = out[j] + e * unit[j];
    }

    // The hydrograph ends at the first ordinate after a peak that falls below the threshold, once the
    // storm is over (n > nRain): while rain is still falling a low ordinate is not the end, whether it
    // follows a small early "peak" of a storm that starts gently or a lull within the storm.
    float maxq = 0;       // cfs
    float threshold = 0;  // cfs
    float sum = 0;        // cfs
    bool peakFound = false;
    std::int16_t tmax = hydrograph.peakIndex;
    int end = -1;
    for (int n = 0; n <= lastOrdinate; ++n) {
        const float flow = q[n];
        if (flow > maxq) {
            tmax = static_cast<std::int16_t>(n);
            maxq = flow;
            peakFound = true;
            threshold = maxq > 10 ? 1.0f : 0.0001f;
        }
        sum = sum + flow;
        if (peakFound && n > nRain && flow < threshold) {
            end = n;
            break;
        }
    }
    if (end < 0) throw common::subscriptOutOfRange();  // the next ordinate would pass an array bound

    hydrograph.flowCfs.redim(kLastOrdinate);
    for (int n = 0; n <= end; ++n) hydrograph.flowCfs[n] = q[n];
    hydrograph.last = static_cast<std::int16_t>(end);
    hydrograph.peakCfs = maxq;
    hydrograph.peakIndex = tmax;
    result.ordinateSum = sum;
    return result;
}

std::optional<GraphResult> unitGraphFile(const basin::Storm& storm, const GraphBasin& basin,
                                         const std::string& fileName, const std::string& programFolder,
                                         basin::Hydrograph& hydrograph) {
    const std::string path = common::findDataFile(fileName, programFolder);
    if (const std::optional<std::string> problem = missingGraphFile(fileName, programFolder)) {
        // A name that leads to a folder or a device is no missing file: it cannot be read as a graph.
        std::error_code ec;
        throw(std::filesystem::exists(path, ec) ? common::pathFileAccessError() : common::fileNotFound())
            .because(*problem);
    }
    std::istringstream in(common::readDataFile(path, common::kMaxDataFileBytes));
    const DimensionlessGraph graph = parseDimensionlessGraph(in, fileName);
    const std::vector<float> u = sampleUnitGraph(graph, basin.areaSqMi, basin.lagHours, basin.stepHours);
    return convolveUnitGraph(storm, basin.imperviousFraction, u, hydrograph);
}

std::optional<GraphResult> triangleGraph(const basin::Storm& storm, const GraphBasin& basin,
                                         basin::Hydrograph& hydrograph) {
    const int nRain = storm.steps;
    GraphResult result;
    result.excessIn = storm.excessIn;
    mixImpervious(storm.rainIn, basin.imperviousFraction, 0, nRain, result.excessIn);
    float excessTotal = 0;  // inches
    for (int i = 0; i <= nRain; ++i) excessTotal = excessTotal + result.excessIn[i];
    if (excessTotal == 0) return std::nullopt;

    // Steps to peak and of the recession; a zero count or lag would divide by zero below.
    const std::int16_t np =
        common::toInt16(common::toSingle(divide(basin.stepHours / 2 + basin.lagHours, basin.stepHours)));
    const std::int16_t nr = common::toInt16(np * 1.67);
    const std::int16_t nb = common::checkedAdd(np, nr);
    if (np == 0 || nr == 0 || basin.lagHours == 0) throw common::divisionByZero();

    hydrograph.flowCfs.redim(kLastOrdinate);
    // Rain step n adds ordinates k = 1..nb at qi(n + k - 1). The range is checked once per rain step: the
    // ordinates that fit are added, and a base that runs past the end of qi is "Subscript out of range".
    float* const qi = &hydrograph.flowCfs[0];
    const float* const excess = result.excessIn.values().data();  // 0..nRain, proved by mixImpervious above
    const float npf = static_cast<float>(np);
    const float nrf = static_cast<float>(nr);
    for (int n = 1; n <= nRain; ++n) {
        // Peak rate in cfs: 484 cfs per square mile per inch of excess per hour of lag.
        const float qp = basin.areaSqMi * 484 * excess[n] / basin.lagHours;
        const int count = std::min<int>(nb, kLastOrdinate - n + 1);  // ordinates that fit in qi
        float* const flow = qi + n - 1;                              // flow[k] is qi(n + k - 1)
        const int rise = std::min<int>(np, count);
        for (int k = 1; k <= rise; ++k) flow[k] = flow[k] + static_cast<float>(k) * qp / npf;
        for (int k = np + 1; k <= count; ++k)
            flow[k] = flow[k] + static_cast<float>(nr - (k - np)) * qp / nrf;
        if (nb >= 1 && count < nb) throw common::subscriptOutOfRange();
    }
    // The rain steps are counted in 16 bits: the count passes 32,767 after a last step of 32,767.
    if (nRain == INT16_MAX) throw common::overflow();
    // The base, the rain and a closing zero ordinate.
    hydrograph.last = common::checkedAdd(common::checkedAdd(nb, nRain), 1);

    // The peak is searched afresh: maxq is the peak of this hydrograph, not of an earlier one.
    hydrograph.peakCfs = 0;
    float sum = 0;  // cfs
    for (std::int16_t k = 1; k <= hydrograph.last; k = common::checkedAdd(k, 1)) {
        const float flow = hydrograph.flowCfs[k];
        if (flow > hydrograph.peakCfs) {
            hydrograph.peakIndex = k;
            hydrograph.peakCfs = flow;
        }
        sum = sum + flow;
    }
    result.ordinateSum = sum;
    return result;
}

bool rationalCOutOfRange(float c) {
    return c == 0 || c > 1;
}

std::optional<GraphResult> rationalGraph(const basin::Storm& storm, const GraphBasin& basin,
                                         basin::Hydrograph& hydrograph) {
    const float c = basin.c;

    // The excess test comes first, so that a storm without excess leaves the previous hydrograph,
    // its peak and its method flag as they were.
    const int nRain = storm.steps;
    const float f = basin.imperviousFraction;
    float excessTotal = 0;  // inches, after C
    for (int i = 1; i <= nRain; ++i) {
        excessTotal = excessTotal + (storm.rainIn[i] * f + storm.excessIn[i] * (1 - f)) * c;
    }
    if (excessTotal == 0) return std::nullopt;

    const float lag = basin.lagHours;    // time of concentration, hours
    const float udur = basin.stepHours;  // hours
    const std::int16_t nc = common::toInt16(common::toSingle(divide(lag, udur)));  // steps in the window
    if (lag == 0) throw common::divisionByZero();

    GraphResult result;
    result.rational = true;
    result.excessIn = storm.excessIn;
    basin::Series& excess = result.excessIn;  // the impervious share is mixed in step by step
    hydrograph.flowCfs.redim(kLastOrdinate);
    const float acres = basin.areaSqMi * 640;
    hydrograph.peakCfs = 0;
    float sum = 0;     // cfs
    float window = 0;  // inches of excess over the last nc steps

    // During the rain: Q = C i A with i the mean intensity over the time of concentration.
    for (std::int16_t i = 1; i <= nRain; i = common::checkedAdd(i, 1)) {
        excess[i] = storm.rainIn[i] * f + excess[i] * (1 - f);
        window = window + excess[i];
        if (i > nc) window = window - excess[i - nc];
        const float flow = window * c / lag * acres;
        hydrograph.flowCfs[i] = flow;
        sum = sum + flow;
        if (flow > hydrograph.peakCfs) {
            hydrograph.peakIndex = i;
            hydrograph.peakCfs = flow;
        }
    }

    // After the rain, a volume balance in acre-feet: the flow holds while more than twice the volume
    // so far remains, then the window empties backwards until the runoff volume is accounted for.
    const float vt = excessTotal * acres / 12;
    float vs = static_cast<float>(sum * kAcreFeetPerCfsDay * udur / 24);
    float remaining = vt - 2 * vs;
    std::int16_t k = static_cast<std::int16_t>(nRain);
    std::int16_t n = static_cast<std::int16_t>(nRain);
    for (;;) {
        n = common::checkedAdd(n, 1);
        // A recession that never balances (for example a window that empties to nothing) ends here.
        if (n > kLastOrdinate) throw common::subscriptOutOfRange();
        if (remaining > 0) {
            k = static_cast<std::int16_t>(nRain);
            remaining = static_cast<float>(remaining - window * c * acres * kAcreFeetPerCfsDay * udur / 24);
        } else {
            window = window - excess[k];
        }
        if (!(window > excess[k])) window = excess[k];
        const float flow = window * c / lag * acres;
        hydrograph.flowCfs[n] = flow;
        sum = sum + flow;
        k = static_cast<std::int16_t>(std::max(k - 1, 1));
        vs = static_cast<float>(sum * kAcreFeetPerCfsDay * udur / 24);
        if (static_cast<float>(vt - flow * kAcreFeetPerCfsDay * udur / 24 / 2) < vs) break;
    }
    // A closing zero ordinate, which must still fit in qi.
    hydrograph.last = common::checkedAdd(n, 1);
    if (hydrograph.last > kLastOrdinate) throw common::subscriptOutOfRange();
    result.ordinateSum = sum;
    return result;
}

std::optional<std::string> missingGraphFile(const std::string& listText, const std::string& programFolder) {
    if (basin::graphMethodOf(listText) != basin::GraphMethod::graphFile || listText.empty())
        return std::nullopt;
    const std::string path = common::findDataFile(listText, programFolder);
    const std::optional<common::RuntimeFailure> failure = common::dataFileFailure(path);
    if (!failure) return std::nullopt;
    // A name that leads to a folder or a device is told as such, never read.
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return failure->cause();
    if (common::installedDataFolder().empty()) return common::msg::missingGraphFile(listText, programFolder);
    return common::msg::missingGraphFileInstalled(listText, common::userDataFolder(),
                                                  common::installedDataFolder());
}

GraphChoices graphChoices(const std::string& programFolder) {
    GraphChoices choices;
    for (const std::string& item : basin::dimgraphItems()) {
        (missingGraphFile(item, programFolder) ? choices.absent : choices.present).push_back(item);
    }
    return choices;
}

}  // namespace brelvo::runoff
