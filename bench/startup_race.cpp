// Start-up from outside: the time from starting a process to its first window being painted,
// and the process's peak memory at that moment, for the program on a course folder against a
// minimal Qt Widgets program showing one window, in alternating runs. Prints the medians as
// rows of the benchmark table.
//   startup_race PROGRAM BASELINE COURSE_DIR [RUNS]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Run {
    double ms = -1;
    long peakKb = -1;
};

long peakKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

Run race(const char* program, const char* folder)
{
    int ready[2];
    if (pipe(ready) != 0)
        std::exit(1);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        setenv("OKULYK_READY_FD", std::to_string(ready[1]).c_str(), 1);
        if (chdir(folder) != 0)
            _exit(127);
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    char byte = 0;
    Run run;
    if (read(ready[0], &byte, 1) == 1) {
        run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
        run.peakKb = peakKilobytes(child);
    }
    close(ready[0]);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_race PROGRAM BASELINE COURSE_DIR [RUNS]\n");
        return 2;
    }
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 11;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // One run of each first, so that both start from a warm file cache.
    race(argv[1], argv[3]);
    race(argv[2], argv[3]);
    std::vector<double> ms[2];
    std::vector<double> kb[2];
    for (int i = 0; i < runs; ++i) {
        for (int which = 0; which < 2; ++which) {
            const Run run = race(argv[1 + which], argv[3]);
            if (run.ms < 0) {
                std::fprintf(stderr, "%s did not show its window\n", argv[1 + which]);
                return 1;
            }
            ms[which].push_back(run.ms);
            kb[which].push_back(double(run.peakKb));
        }
    }
    // Rows of the benchmark table: ROW|id|what|measured|baseline|ratio|target|met.
    const double time = median(ms[0]) / median(ms[1]);
    const double memory = median(kb[0]) / median(kb[1]);
    std::printf("ROW|B1|start to the sign-in window painted, demo course|%.1f ms|%.1f ms|%.2f×|"
                "≤ 1.5×|%s\n",
                median(ms[0]), median(ms[1]), time, time <= 1.5 ? "yes" : "NO");
    std::printf("ROW|B1|peak memory at that moment|%.1f MB|%.1f MB|%.2f×|≤ 1.5×|%s\n",
                median(kb[0]) / 1024, median(kb[1]) / 1024, memory, memory <= 1.5 ? "yes" : "NO");
    return 0;
}
