// Running a program as a child process for the start-up and load benchmarks: its wall time from the
// spawn to its exit, its peak resident memory, its exit status and what it printed.
#pragma once

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace brelvo::bench {

struct ChildRun {
    double seconds = 0;  // spawn to exit
    double peakMiB = 0;  // peak resident set
    int status = -1;     // exit status, -1 when it did not exit normally
    std::string output;  // its standard output
};

inline ChildRun runChild(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    int out[2];
    ChildRun run;
    if (pipe(out) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return run;
    }
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(out[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, static_cast<std::size_t>(got));
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // KiB on Linux
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace brelvo::bench
