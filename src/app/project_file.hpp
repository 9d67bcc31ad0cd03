// A project file: everything needed to come back to a job (the map picture's path, the view, the
// measuring logic's state, the lines, markers and labels, the coordinate listing and the runoff
// window's inputs) as UTF-8 JSON with a format version. Reading validates every value: a damaged file,
// a file of a newer format or a file that is no project is refused as a whole.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "common/failure.hpp"
#include "mapview/view_geometry.hpp"
#include "measure/measure_document.hpp"
#include "runoff/kept_results.hpp"
#include "runoff/storm_table_tree.hpp"
#include "runoff/temporal_pattern.hpp"

namespace brelvo::app::project {

// The format version this program writes; it reads this one and older.
inline constexpr int kFormatVersion = 1;
// The value of the file's "format" key.
inline constexpr const char* kFormatName = "brelvo-project";
// The extension of project files, with its dot.
inline constexpr const char* kExtension = ".brelvo";

// The runoff window's inputs by control name: text boxes and list texts, label captions, check boxes;
// and the storm and storage files its runs used last, where their dialogs open next.
struct RunoffInputs {
    std::map<std::string, std::string> texts;
    std::map<std::string, std::string> captions;
    std::map<std::string, bool> checks;
    std::string stormFile;    // absolute; empty when no run has used a storm file
    std::string storageFile;  // absolute; empty when no storage routing has used a *.RAT file
    // The precipitation-frequency table imported last and the storm chosen from it; none before an import.
    std::optional<runoff::KeptStormTable> stormTable;
    // The imported temporal distribution (key "temporalPattern"); none before an import.
    std::optional<runoff::TemporalPattern> temporalPattern;
    // The last run and the last frequency rows with the fingerprints of the inputs they came from (key
    // "results"); none before a run, and in projects written before results were kept.
    std::optional<runoff::KeptResults> results;
    friend bool operator==(const RunoffInputs&, const RunoffInputs&) = default;
};

// The fingerprint of the inputs alone: every text, caption (but the window's caption, which a run
// writes) and check, the files by name, the imported table and distribution; the results are left out.
std::string inputsFingerprint(const RunoffInputs& inputs);

// The elevation model opened beside the map (key "elevationModel"): its file, and what the user answered
// where the file says nothing.
struct ElevationSource {
    std::string path;    // absolute
    std::string unit;    // the heights' unit as the user gave it ("m", "ft", "US ft"); empty: the file's
    std::string crs;     // the system as the user gave it ("EPSG:n"); empty: the file's
    bool isMap = false;  // its relief is the map picture (there was no map)
    friend bool operator==(const ElevationSource&, const ElevationSource&) = default;
};

struct Project {
    std::string picturePath;  // absolute; empty when the map has no picture from a file
    mapview::RectF picture;   // the picture's rectangle in the view, view units
    bool stretch = false;
    float scrollZoomFactor = 0.05f;
    measure::MeasureWork work;                 // the measuring document's work (its state and controls)
    std::optional<RunoffInputs> runoff;        // present once the runoff window has been opened
    std::optional<ElevationSource> elevation;  // present while a model is open
    friend bool operator==(const Project&, const Project&) = default;
};

// Why a file cannot be read as a project: the failure "Invalid file format", its cause saying what is
// wrong with the file (without its name).
[[nodiscard]] inline common::RuntimeFailure ProjectError(std::string problem) {
    return common::invalidFileFormat().because(std::move(problem));
}

// The file's bytes. The picture path and the storm and storage files are written relative to the
// project file's folder when the file lies in it or below it, else absolute; an empty `projectFile`
// writes them as they are.
std::string write(const Project& project, const std::string& projectFile);

// Reads a project; a relative path is taken from the project file's folder. The storm and storage
// files may be missing (projects written before they were kept): they are empty then. Throws
// ProjectError's failure.
Project read(std::string_view bytes, const std::string& projectFile);

// A file's path as stored in a project file at `projectFile`: relative with "/" when the file lies in
// the project's folder or below it, else absolute.
std::string storedPath(const std::string& path, const std::string& projectFile);

// Why a project file could not be read at all (readDataFile's failure), in the project's own words:
// too large, not a regular file, or unreadable.
[[nodiscard]] const char* unreadableReason(const common::RuntimeFailure& failure, const std::string& path);

// The name a save gives a file typed without an extension: `name` + ".brelvo".
std::string withProjectExtension(const std::string& name);

}  // namespace brelvo::app::project
