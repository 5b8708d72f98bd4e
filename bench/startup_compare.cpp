// Starts the game's first-frame program and the bare window program in turn,
// many times, and prints the median time from process start to the first
// painted frame and the median peak resident set of each.
//
//   startup_compare RUNS GAME_PROGRAM BARE_PROGRAM
//
// Output, one figure a line: "<figure> <game> <bare>".

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double startupMs;
    double peakKb;
};

long long monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

// Runs `program` once; it prints when its first frame was painted.
Run runOnce(const std::string& program)
{
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);

    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t child = 0;
    const long long started = monotonicNanoseconds();
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        throw std::runtime_error("cannot start " + program);
    }

    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);

    long long frameAt = 0;
    long peakKb = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0
        || std::sscanf(text.c_str(), "firstframe_ns=%lld vmhwm_kb=%ld", &frameAt, &peakKb) != 2)
        throw std::runtime_error(program + " did not report its first frame: " + text);
    return {static_cast<double>(frameAt - started) / 1e6, static_cast<double>(peakKb)};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s RUNS GAME_PROGRAM BARE_PROGRAM\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const std::string game = argv[2];
    const std::string bare = argv[3];
    try {
        // One run each first, not counted, so both find the libraries and
        // fonts in the page cache.
        runOnce(game);
        runOnce(bare);

        std::vector<double> gameMs, bareMs, gameKb, bareKb;
        for (int i = 0; i < runs; ++i) {
            // Alternate, so a burst of noise on the machine hits both alike.
            const Run g = runOnce(game);
            const Run b = runOnce(bare);
            gameMs.push_back(g.startupMs);
            bareMs.push_back(b.startupMs);
            gameKb.push_back(g.peakKb);
            bareKb.push_back(b.peakKb);
        }
        std::printf("startup_ms %.2f %.2f\n", median(gameMs), median(bareMs));
        std::printf("peak_rss_mb %.2f %.2f\n", median(gameKb) / 1024, median(bareKb) / 1024);
        std::fprintf(stderr, "start-up ms, game: min %.1f max %.1f; bare: min %.1f max %.1f (%d runs each)\n",
                     *std::min_element(gameMs.begin(), gameMs.end()), *std::max_element(gameMs.begin(), gameMs.end()),
                     *std::min_element(bareMs.begin(), bareMs.end()), *std::max_element(bareMs.begin(), bareMs.end()),
                     runs);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "startup_compare: %s\n", error.what());
        return 1;
    }
}
