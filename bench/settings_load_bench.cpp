// Loading a settings file of 150, 1,000 and 10,000 goals: the program's load (one walk over the
// lines for all goals) beside the baseline that looks every ITEM key up on its own.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "settings/environment.h"
#include "settings/execute_setting.h"
#include "support/text.h"

namespace kestrival {
namespace {

ExecuteSetting DefaultsWithGoals(int goalCount, GoalList& goals) {
    ExecuteSetting setting;
    setting.ReadValues({2026, 12, 10}, goals);
    goals.Clear();
    for (int i = 1; i <= goalCount; ++i) goals.Add(FormatText(u"目標%d,2026/01/01,2027/%02d/01", {i, i % 12 + 1}));
    setting.BuildFileLines(goals);
    return setting;
}

std::string FileBytes(int goalCount) {
    GoalList goals;
    return DefaultsWithGoals(goalCount, goals).FileLines.ToBytes();
}

void BM_LoadSettings(benchmark::State& state) {
    const std::string bytes = FileBytes(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ExecuteSetting setting;
        GoalList goals;
        setting.FileLines.LoadFromBytes(bytes);
        setting.ReadValues({2026, 12, 10}, goals);
        benchmark::DoNotOptimize(goals.Count());
    }
}

// Baseline: every goal key looked up with its own scan from the first line.
void BM_LoadGoalsRescanBaseline(benchmark::State& state) {
    const std::string bytes = FileBytes(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ExtendStringList lines;
        GoalList goals;
        lines.LoadFromBytes(bytes);
        for (int n = 1;; ++n) {
            std::u16string value = lines.GetValue(FormatText(u"ITEM%d", {n}));
            if (value.empty()) break;
            goals.Add(std::move(value));
        }
        benchmark::DoNotOptimize(goals.Count());
    }
}

class BenchEnvironment : public Environment {
public:
    explicit BenchEnvironment(std::u16string root) : root_(std::move(root)) {}
    std::vector<std::u16string> Arguments() const override { return {ProgramPath()}; }
    std::u16string ProgramPath() const override { return root_ + u"/Kestrival.exe"; }
    char16_t PathSeparator() const override { return u'/'; }
    std::optional<std::u16string> DocumentsFolder() const override { return root_; }
    OsVersion Version() const override { return {6, 1}; }
    Size ScreenSize() const override { return {1920, 1080}; }

private:
    std::u16string root_;
};

class BenchClock : public LocalClock {
public:
    LocalDateTime Now() const override { return {{2026, 12, 10}, 12, 0, 0, 0}; }
};

// The whole start-up load: read, rewrite in one step, parse.
void BM_LoadSettingsFromDisk(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrival-bench-XXXXXX").string();
    const std::filesystem::path root = ::mkdtemp(pattern.data());
    const BenchEnvironment environment(FromUtf8(root.string()));
    const BenchClock clock;
    {
        ExecuteSetting setting;
        GoalList goals;
        setting.Load(environment, clock, goals);
        ExecuteSetting filled = DefaultsWithGoals(static_cast<int>(state.range(0)), goals);
        filled.SettingFile = setting.SettingFile;
        filled.Save(goals);
    }
    for (auto _ : state) {
        ExecuteSetting setting;
        GoalList goals;
        setting.Load(environment, clock, goals);
        benchmark::DoNotOptimize(goals.Count());
    }
    std::filesystem::remove_all(root);
}

BENCHMARK(BM_LoadSettings)->Arg(150)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadGoalsRescanBaseline)->Arg(150)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadSettingsFromDisk)->Arg(150)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrival
