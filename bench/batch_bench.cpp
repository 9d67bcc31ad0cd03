// Batch throughput: `brelvo --batch` over 1,000 projects and six return periods of a precipitation-
// frequency table (6,000 runs, two threads) as a child process, against the compute kernel alone:
// runDesignStorm over the same 6,000 storms, prepared beforehand, on one thread in this process. The two
// are timed in interleaved pairs; the batch's wall time is held to a minute.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/batch_command.hpp"
#include "app/project_file.hpp"
#include "child_process.hpp"
#include "common/program_folder.hpp"
#include "interleaved_pairs.hpp"
#include "runoff/design_run.hpp"

#ifndef BRELVO_PROGRAM
#error "BRELVO_PROGRAM must name the brelvo executable"
#endif
#ifndef BRELVO_PFDS_FILE
#error "BRELVO_PFDS_FILE must name a precipitation-frequency table"
#endif

namespace {

namespace batch = brelvo::app::batch;
namespace project = brelvo::app::project;

constexpr int kProjects = 1000;
const char* const kReturnPeriods = "2,5,10,25,50,100";

// A basin of the SCS graph on five-minute steps: areas from 0.5 to 10.5 square miles, lags from 0.5 to
// 3.5 hours, losses by curve number.
std::string writeProject(const std::filesystem::path& folder, int k) {
    project::Project p;
    p.picture = {0, 0, 9600, 7200};
    project::RunoffInputs in;
    in.checks["chkAutoTimeStep"] = false;
    in.texts = {{"txtBasinArea", std::to_string(0.5 + (k % 100) / 10.0)},
                {"txtLag", std::to_string(0.5 + (k % 7) / 2.0)},
                {"txtGraphtimestep", "5"},
                {"txtCNloss", std::to_string(60 + k % 35)},
                {"ComboRain", "Peak at 2/3"},
                {"ComboDimgraph", "SCS.DGF"},
                {"txtTitle", "Basin " + std::to_string(k)}};
    p.runoff = in;
    const std::string path = (folder / ("basin" + std::to_string(k) + ".brelvo")).string();
    std::ofstream(path, std::ios::binary) << project::write(p, path);
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "brelvo_batch_bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::vector<std::string> projects;
    for (int k = 0; k < kProjects; ++k) projects.push_back(writeProject(folder, k));
    const std::string summary = (folder / "summary.csv").string();
    std::vector<std::string> command{
        BRELVO_PROGRAM,   "--batch",          summary,       "--jobs", "2", "--frequency",
        BRELVO_PFDS_FILE, "--return-periods", kReturnPeriods};
    command.insert(command.end(), projects.begin(), projects.end());

    // The kernel's 6,000 storms, each project's fields with one return period's table written in.
    const batch::CommandLine line = batch::parseCommandLine(
        {"--batch", summary, "--frequency", BRELVO_PFDS_FILE, "--return-periods", kReturnPeriods, "x"});
    const batch::FrequencyStorms storms = batch::readFrequencyStorms(*line.options);
    if (!storms.error.empty()) {
        std::fprintf(stderr, "%s\n", storms.error.c_str());
        return 1;
    }
    std::vector<brelvo::basin::RunoffFields> runs;
    for (const std::string& path : projects) {
        const batch::BatchProject loaded = batch::loadBatchProject(path);
        for (const int years : storms.periods) {
            runs.push_back(*loaded.fields);
            storms.apply(runs.back(), years, loaded.stormHours);
        }
    }
    const brelvo::runoff::ComputeContext context{brelvo::common::programFolder(), "", nullptr, {}};
    const auto kernel = [&] {
        const auto start = std::chrono::steady_clock::now();
        int reported = 0;
        for (const brelvo::basin::RunoffFields& fields : runs)
            reported += brelvo::runoff::runDesignStorm(fields, context).reported ? 1 : 0;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return reported == static_cast<int>(runs.size()) ? seconds : -1.0;
    };

    // One unmeasured run of each first: the program and the projects in the page cache.
    brelvo::bench::runChild(command);
    kernel();
    std::printf("%-4s %12s %12s %8s\n", "pair", "batch s", "kernel s", "ratio");
    const brelvo::bench::PairTimes times = brelvo::bench::interleavedPairs(
        [&] {
            const brelvo::bench::ChildRun a = brelvo::bench::runChild(command);
            if (a.status != 0) {
                std::fprintf(stderr, "a run failed: batch status %d\n", a.status);
                std::exit(1);
            }
            return a.seconds;
        },
        [&] {
            const double b = kernel();
            if (b <= 0) {
                std::fprintf(stderr, "a run failed: the kernel ran without a report\n");
                std::exit(1);
            }
            return b;
        },
        {.pairs = pairs, .warmUps = 0, .runsPerSide = 1});
    for (std::size_t k = 0; k < times.ratios.size(); ++k)
        std::printf("%-4zu %12.2f %12.2f %8.2f\n", k + 1, times.a[k], times.b[k], times.ratios[k]);
    const std::vector<double>& ratios = times.ratios;
    const std::vector<double>& walls = times.a;
    brelvo::bench::printRatioHeader();
    brelvo::bench::printRatioLine("batch, 6,000 runs on 2 jobs / kernel alone on one thread", ratios, 0.75,
                                  false);
    brelvo::bench::printRatioLine("batch wall time, seconds (1,000 projects x 6 periods)", walls, 60, false);
    std::filesystem::remove_all(folder);
    return 0;
}
