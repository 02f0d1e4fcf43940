// Times the cleanup against its peers on Wine's registry: every run starts as a process
// on a tree built fresh for it, the contenders take turns round by round so that drift
// of a shared machine weighs on all of them alike, and each round gives one ratio.
//   bench_runner OURS PEER EMPTY EMPTY_WITH_RESOURCES RUNS_CSV SUMMARY_CSV
#include "process.h"
#include "registry_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char Target[] = "Software\\SirCam";

// Runs a command line with no output and gives its wall time in seconds.
double Time(const std::string &commandLine)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0, NULL);
    PROCESS_INFORMATION process;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!StartWithOutput(commandLine, nul, &process)) {
        std::fprintf(stderr, "bench: cannot start %s: %lu\n", commandLine.c_str(), GetLastError());
        std::exit(1);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(nul);
    return static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Contender {
    const char *name;
    std::string commandLine;
};

struct Shape {
    const char *name;
    int width, depth, rounds;
};

long Keys(const Shape &shape)
{
    long keys = 1, level = 1;
    for (int i = 0; i < shape.depth; ++i)
        keys += level *= shape.width;
    return keys;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 7) {
        std::fprintf(stderr, "usage: bench_runner OURS PEER EMPTY EMPTY_WITH_RESOURCES RUNS_CSV SUMMARY_CSV\n");
        return 2;
    }
    const std::vector<Contender> contenders = {
        {"sircam_cleanup", std::string("\"") + argv[1] + "\""},
        {"reg delete /f", "reg.exe delete HKLM\\Software\\SirCam /f"},
        {"RegDeleteTree", std::string("\"") + argv[2] + "\""},
    };
    const Shape shapes[] = {{"10 wide 3 deep", 10, 3, 9}, {"10 wide 4 deep", 10, 4, 5}, {"chain 300 deep", 1, 300, 9}};
    FILE *runs = std::fopen(argv[5], "w");
    FILE *summary = std::fopen(argv[6], "w");
    if (!runs || !summary) {
        std::fprintf(stderr, "bench: cannot write %s or %s\n", argv[5], argv[6]);
        return 1;
    }
    std::fprintf(runs, "shape,keys,round,contender,seconds\n");
    std::fprintf(summary, "shape,keys,contender,median_seconds,microseconds_per_key,median_ratio_ours_to_it\n");
    std::printf("%-17s %7s  %-28s %10s %10s %12s\n", "shape", "keys", "contender", "median ms", "us/key",
                "ours/it");

    for (const Shape &shape : shapes) {
        long keys = Keys(shape);
        std::vector<std::vector<double>> seconds(contenders.size());
        for (int round = 0; round < shape.rounds; ++round) {
            for (std::size_t turn = 0; turn < contenders.size(); ++turn) {
                std::size_t c = (turn + round) % contenders.size();
                RemoveTree(Target);
                if (PlantTree(Target, shape.width, shape.depth) != ERROR_SUCCESS) {
                    std::fprintf(stderr, "bench: cannot build the tree\n");
                    return 1;
                }
                double elapsed = Time(contenders[c].commandLine);
                if (KeyExists(Target)) {
                    std::fprintf(stderr, "bench: %s left the key in place\n", contenders[c].name);
                    return 1;
                }
                seconds[c].push_back(elapsed);
                std::fprintf(runs, "%s,%ld,%d,%s,%.6f\n", shape.name, keys, round, contenders[c].name, elapsed);
            }
        }
        for (std::size_t c = 0; c < contenders.size(); ++c) {
            std::vector<double> ratios;
            for (int round = 0; round < shape.rounds; ++round)
                ratios.push_back(seconds[0][round] / seconds[c][round]);
            double median = Median(seconds[c]);
            std::fprintf(summary, "%s,%ld,%s,%.6f,%.3f,%.3f\n", shape.name, keys, contenders[c].name, median,
                         median / keys * 1e6, Median(ratios));
            std::printf("%-17s %7ld  %-28s %10.1f %10.2f %12.3f\n", shape.name, keys, contenders[c].name,
                        median * 1e3, median / keys * 1e6, Median(ratios));
        }
    }

    // Start-up: the cleanup on an absent key against programs that do nothing.
    RemoveTree(Target);
    const std::vector<Contender> startUp = {
        contenders[0],
        {"empty program", std::string("\"") + argv[3] + "\""},
        {"empty program with resources", std::string("\"") + argv[4] + "\""},
    };
    const int rounds = 31;
    std::vector<std::vector<double>> seconds(startUp.size());
    for (int round = 0; round < rounds; ++round)
        for (std::size_t turn = 0; turn < startUp.size(); ++turn) {
            std::size_t c = (turn + round) % startUp.size();
            seconds[c].push_back(Time(startUp[c].commandLine));
            std::fprintf(runs, "start-up,0,%d,%s,%.6f\n", round, startUp[c].name, seconds[c].back());
        }
    for (std::size_t c = 0; c < startUp.size(); ++c) {
        std::vector<double> ratios;
        for (int round = 0; round < rounds; ++round)
            ratios.push_back(seconds[0][round] / seconds[c][round]);
        std::fprintf(summary, "start-up,0,%s,%.6f,,%.3f\n", startUp[c].name, Median(seconds[c]), Median(ratios));
        std::printf("%-17s %7s  %-28s %10.1f %10s %12.3f\n", "start-up", "-", startUp[c].name, Median(seconds[c]) * 1e3,
                    "", Median(ratios));
    }
    std::fclose(runs);
    std::fclose(summary);
    return 0;
}
