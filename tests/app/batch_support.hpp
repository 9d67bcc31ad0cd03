// What the batch command's tests share: projects written by the project writer, the command run in this
// process, and the files it leaves read back.
#pragma once

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/batch_command.hpp"
#include "app/project_file.hpp"

namespace brelvo::testing_support::batch {

namespace project = app::project;

inline const std::string kUsage = "USAGE TEXT\n";

inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// A basin's runoff inputs as a project keeps them: one-hour steps, the given area, lag, unit graph and
// arrangement, a depth-duration table of up to three rows.
inline project::RunoffInputs basinInputs(const std::string& area, const std::string& lag,
                                         const std::string& graph, const std::string& arrangement,
                                         const std::vector<std::pair<std::string, std::string>>& table) {
    project::RunoffInputs in;
    in.captions["Label14"] = "Hydrograph Time Step (hours)";
    in.checks["chkAutoTimeStep"] = false;
    in.texts = {{"txtBasinArea", area},     {"txtLag", lag},          {"txtGraphtimestep", "1"},
                {"ComboRain", arrangement}, {"ComboDimgraph", graph}, {"txtTitle", "Basin " + area}};
    for (std::size_t row = 0; row < table.size(); ++row) {
        in.texts["txtDuration(" + std::to_string(row) + ")"] = table[row].first;
        in.texts["txtRain(" + std::to_string(row) + ")"] = table[row].second;
    }
    return in;
}

// One inch in one hour over one square mile through the triangle graph with a 2-hour lag: all of it
// runs off (50 acre-ft) and peaks at 242 cfs two hours in.
inline project::RunoffInputs oneInchBasin() {
    return basinInputs("1", "2", "Triangle Unit Graph", "Average", {{"1", "1.00"}});
}
// Its row after the project's name: no return period, then the five figures.
inline const std::string kOneInchFigures = ",,1.00,0.94,242,2.00,50";

// Writes a project with these runoff inputs (none: a project whose runoff window was never opened).
inline std::string writeProject(const QTemporaryDir& dir, const std::string& name,
                                const std::optional<project::RunoffInputs>& runoff) {
    project::Project p;
    p.picture = {0, 0, 9600, 7200};
    p.runoff = runoff;
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream(path, std::ios::binary) << project::write(p, path);
    return path;
}

struct BatchResult {
    int status = -1;
    std::string err;
};

inline BatchResult runBatch(const std::vector<std::string>& args) {
    std::ostringstream err;
    const int status = app::batch::runBatchCommand(args, kUsage, err);
    return {status, err.str()};
}

// The names in `folder` that a save leaves while it writes (".NAME.....saving").
inline std::vector<std::string> temporaryFiles(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".saving")) found.push_back(name);
    }
    return found;
}

}  // namespace brelvo::testing_support::batch
