// Start-up of the updater: spawning brantel headless until its main dialog's first frame
// (--exit-after-first-frame), and until the list is filled, against spawning it for --help
// (process start and exit alone). Target: the first frame within 100 ms.
// Process start of the programs (--help) against a program that links only the C++ runtime:
// the tools without windows load no display stack, so they stay within 1.5 times of it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>
#include <sys/wait.h>
#include "bench_times.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string g_device;

int Spawn(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Run(benchmark::State& state, const std::vector<std::string>& args)
{
    for (auto _ : state) {
        if (Spawn(args) != 0) {
            state.SkipWithError((args[0] + " failed").c_str());
            break;
        }
    }
}

void BM_Baseline(benchmark::State& state) { Run(state, {BASELINE_EXE, "--help"}); }
void BM_MsktoolHelp(benchmark::State& state) { Run(state, {MSKTOOL_EXE, "--help"}); }
void BM_UpdateHelp(benchmark::State& state) { Run(state, {UPDATE_EXE, "--help"}); }
void BM_SpawnHelp(benchmark::State& state) { Run(state, {BRANTEL_EXE, "--help"}); }
void BM_FirstFrame(benchmark::State& state)
{
    Run(state, {BRANTEL_EXE, "--device-root", g_device, "--display", "headless", "--exit-after-first-frame"});
}
void BM_ListFilled(benchmark::State& state)
{
    Run(state, {BRANTEL_EXE, "--device-root", g_device, "--display", "headless", "--script", g_device + "/fill.txt"});
}
BENCHMARK(BM_Baseline)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MsktoolHelp)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateHelp)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpawnHelp)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstFrame)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListFilled)->UseRealTime()->Unit(benchmark::kMillisecond);


}  // namespace

int main(int argc, char** argv)
{
    // A demo device: the skin, a card with a folder of packages and the other root.
    g_device = (fs::temp_directory_path() / ("bench-brantel-" + std::to_string(getpid()))).string();
    fs::create_directories(g_device + "/SDMMC/update");
    fs::create_directories(g_device + "/ResidentFlash");
    fs::copy_file(BRANTEL_PACK, g_device + "/SDMMC/brantel.pack");
    for (int i = 0; i < 12; ++i)
        std::ofstream(g_device + "/SDMMC/update/p" + std::to_string(i) + ".msk") << "x";
    std::ofstream(g_device + "/ResidentFlash/b.msk") << "x";
    std::ofstream(g_device + "/fill.txt") << "wait 5\nquit\n";
    BenchTimes times(true);
    int status = RunBenchmarks(argc, argv, times, [](const BenchTimes& t) {
        for (const char* name : {"BM_FirstFrame/real_time", "BM_ListFilled/real_time"}) {
            const double ms = t.Time(name), ratio = t.Ratio(name, "BM_SpawnHelp/real_time");
            if (ratio > 0)
                std::printf("%s: %.1f ms, %.2f x spawning for --help (target < 100 ms)\n", name, ms, ratio);
        }
        const std::string baseline = "BM_Baseline/real_time";
        t.PrintRatio("msktool --help / C++ runtime alone", "BM_MsktoolHelp/real_time", baseline, 1.5);
        t.PrintRatio("brantel-update --help / C++ runtime alone", "BM_UpdateHelp/real_time", baseline, 1.5);
        t.PrintRatio("brantel --help / C++ runtime alone", "BM_SpawnHelp/real_time", baseline, "window program: scale");
        t.PrintRatio("brantel first frame / C++ runtime alone", "BM_FirstFrame/real_time", baseline, "scale");
    });
    fs::remove_all(g_device);
    return status;
}
