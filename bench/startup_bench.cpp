// Start-up to the first painted frame and the working set after start: Kestrival.exe beside two
// baselines, the bare window program and the same program drawing one line of Japanese text. The
// three are started in turn, in every order in turn, and each round gives one pair of ratios; the
// figures are the medians of the paired ratios with a 95 % interval (order statistics of the
// median), so a slow moment of the machine moves one pair, not the result. The first frame counts
// as painted when the window's pixel at (4, 4) shows the colour the programs paint there. The
// screen is looked at only once the program first waits for input: polling the window list and the
// screen every millisecond from the start kept the window server busy with the bench's own
// questions while the measured program needed it, and slowed most the program that asks it most.
//   kestrival_startup_bench.exe [ROUNDS [OTHER_KESTRIVAL_EXE]]
// With a second gadget build (an earlier commit's, say) it joins the rotation, and its ratio to this
// build is printed as well: a change's saving measured side by side.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#include "bench/stopwatch.h"
#include "support/win32/font_faces.h"
#include "tests/common/win32/wine_helpers.h"

using namespace kestrival;
using namespace kestrival::e2e;

namespace {

// Where a start of the gadget spent its time, as the gadget reports it (support/win32/startup_profile.h):
// from the process's creation to the program's entry, the program's stages, and what is left until
// the bench saw the frame on the screen.
constexpr const char* kStageNames[] = {"settings_folder", "lock",        "settings_file", "fonts",
                                       "window",          "first_paint", "other"};
constexpr const char* kStageLabels[] = {
    "process start to entry (loader, libraries, runtime)",
    "settings folder",
    "lock",
    "settings file",
    "fonts",
    "window creation",
    "first paint",
    "other program work",
    "first paint to seen on screen",
};
constexpr std::size_t kStageCount = std::size(kStageNames);
constexpr std::size_t kBreakdownCount = kStageCount + 2;

struct Sample {
    double firstFrameMs = -1;
    double workingSetKb = -1;
    std::vector<double> breakdownMs;  // kStageLabels' order; empty when the program gave no profile
};

struct Program {
    std::wstring exe;
    std::wstring arguments;
    const wchar_t* className;
    bool profiled = false;  // asked to report its start's stages
};

std::wstring ProfileFile() { return OwnFolder() + L"startup_profile.txt"; }

// The stages the program wrote at exit, set against the moment the bench started it.
std::vector<double> ReadBreakdown(double startSeconds, double firstFrameMs) {
    std::FILE* in = ::_wfopen(ProfileFile().c_str(), L"r");
    if (!in) return {};
    double frequency = 0, entry = 0;
    std::vector<double> ticks(kStageCount, -1);
    char name[64] = {};
    long long value = 0;
    while (std::fscanf(in, "%63s %lld", name, &value) == 2) {
        const std::string key = name;
        if (key == "frequency") frequency = static_cast<double>(value);
        if (key == "entry") entry = static_cast<double>(value);
        for (std::size_t i = 0; i < kStageCount; ++i) {
            if (key == kStageNames[i]) ticks[i] = static_cast<double>(value);
        }
    }
    std::fclose(in);
    if (frequency <= 0 || std::count(ticks.begin(), ticks.end(), -1.0) > 0) return {};
    std::vector<double> breakdown;
    breakdown.push_back((entry / frequency - startSeconds) * 1000.0);
    double inProgram = 0;
    for (const double t : ticks) {
        breakdown.push_back(t / frequency * 1000.0);
        inProgram += breakdown.back();
    }
    breakdown.push_back(firstFrameMs - breakdown.front() - inProgram);
    return breakdown;
}

Sample Measure(const Program& program) {
    Sample sample;
    std::wstring commandLine = L"\"" + program.exe + L"\"";
    if (!program.arguments.empty()) commandLine += L" " + program.arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ::DeleteFileW(ProfileFile().c_str());
    ::SetEnvironmentVariableW(L"KESTRIVAL_STARTUP_PROFILE", program.profiled ? ProfileFile().c_str() : nullptr);
    const double start = Seconds();
    if (!::CreateProcessW(program.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info)) {
        return sample;
    }
    ::WaitForInputIdle(info.hProcess, 10000);
    for (int i = 0; i < 4000; ++i) {
        HWND window = FindVisibleWindow(info.dwProcessId, program.className);
        if (window) {
            RECT r{};
            ::GetWindowRect(window, &r);
            if (ScreenPixel(r.left + 4, r.top + 4) == RGB(0x99, 0x99, 0xEE)) {
                sample.firstFrameMs = (Seconds() - start) * 1000.0;
                break;
            }
        }
        ::Sleep(1);
    }
    ::Sleep(500);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (::GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters)) {
        sample.workingSetKb = static_cast<double>(counters.WorkingSetSize) / 1024.0;
    }
    if (HWND window = FindVisibleWindow(info.dwProcessId, program.className)) ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    if (program.profiled && sample.firstFrameMs > 0) sample.breakdownMs = ReadBreakdown(start, sample.firstFrameMs);
    return sample;
}

// The median of the values and the ranks of a distribution-free 95 % interval around it.
struct MedianInterval {
    double median = -1, low = -1, high = -1;
};

MedianInterval MedianWithInterval(std::vector<double> values) {
    MedianInterval result;
    if (values.empty()) return result;
    std::sort(values.begin(), values.end());
    const double n = static_cast<double>(values.size());
    const std::size_t mid = values.size() / 2;
    result.median = values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
    const double spread = 1.96 * std::sqrt(n) / 2;
    const auto rank = [&](double r) {
        return static_cast<std::size_t>(std::clamp(r, 1.0, n)) - 1;  // 1-based rank to index
    };
    result.low = values[rank(std::floor(n / 2 - spread))];
    result.high = values[rank(std::ceil(n / 2 + 1 + spread))];
    return result;
}

std::vector<double> Ratios(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] > 0 && b[i] > 0) ratios.push_back(a[i] / b[i]);
    }
    return ratios;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? _wtoi(argv[1]) : 201;
    const std::wstring folder = OwnFolder();
    // The text baseline draws in the face the gadget chooses on this system.
    const std::wstring face = ChooseInstalledFace(u"Meiryo UI", 12);
    std::vector<Program> programs = {
        {folder + L"Kestrival.exe", L"", L"KestrivalGadget", true},
        {folder + L"kestrival_baseline.exe", L"", L"KestrivalBaseline"},
        {folder + L"kestrival_baseline.exe", face, L"KestrivalBaseline"},
    };
    // Another build of the gadget (an earlier commit's, say) joins the rotation when named.
    if (argc > 2) programs.push_back({argv[2], L"", L"KestrivalGadget"});
    const std::size_t count = programs.size();
    std::vector<std::vector<double>> frames(count), memory(count);
    std::vector<std::vector<double>> breakdown(kBreakdownCount);  // this build's stages, one list each
    // The rounds go through every order of the programs in turn, so each program starts first, last
    // and right after each of the others equally often: what one program leaves behind as it ends
    // (work for the window server and the display) does not fall on one of the others more.
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    for (int round = 0; round < rounds; ++round) {
        std::vector<Sample> samples(count);
        for (const std::size_t which : order) {
            samples[which] = Measure(programs[which]);
            ::Sleep(200);
        }
        std::next_permutation(order.begin(), order.end());
        for (std::size_t which = 0; which < count; ++which) {
            frames[which].push_back(samples[which].firstFrameMs);
            memory[which].push_back(samples[which].workingSetKb);
        }
        for (std::size_t i = 0; i < samples[0].breakdownMs.size(); ++i)
            breakdown[i].push_back(samples[0].breakdownMs[i]);
    }
    const MedianInterval startBare = MedianWithInterval(Ratios(frames[0], frames[1]));
    const MedianInterval startText = MedianWithInterval(Ratios(frames[0], frames[2]));
    const MedianInterval memoryBare = MedianWithInterval(Ratios(memory[0], memory[1]));
    const MedianInterval memoryText = MedianWithInterval(Ratios(memory[0], memory[2]));
    std::printf(
        "start to first painted frame, medians of %d rounds: Kestrival %.1f ms, bare window %.1f ms, "
        "text window %.1f ms\n",
        rounds, MedianWithInterval(frames[0]).median, MedianWithInterval(frames[1]).median,
        MedianWithInterval(frames[2]).median);
    std::printf("Kestrival's start, stage by stage (medians of %zu profiled starts, ms):\n", breakdown[0].size());
    for (std::size_t i = 0; i < kBreakdownCount; ++i) {
        std::printf("  %-52s %6.1f\n", kStageLabels[i], MedianWithInterval(breakdown[i]).median);
    }
    std::printf("working set after start, medians: Kestrival %.0f KiB, bare window %.0f KiB, text window %.0f KiB\n",
                MedianWithInterval(memory[0]).median, MedianWithInterval(memory[1]).median,
                MedianWithInterval(memory[2]).median);
    if (count > 3) {
        const MedianInterval startOther = MedianWithInterval(Ratios(frames[0], frames[3]));
        const MedianInterval memoryOther = MedianWithInterval(Ratios(memory[0], memory[3]));
        std::printf("other build %ls: first frame %.1f ms, working set %.0f KiB (medians)\n", argv[2],
                    MedianWithInterval(frames[3]).median, MedianWithInterval(memory[3]).median);
        std::printf("startup_ratio_other median=%.2f ci95=%.2f..%.2f memory_ratio_other median=%.2f\n",
                    startOther.median, startOther.low, startOther.high, memoryOther.median);
    }
    std::printf("startup_ratio_text median=%.2f ci95=%.2f..%.2f\n", startText.median, startText.low, startText.high);
    std::printf("memory_ratio_ci95 bare=%.2f..%.2f text=%.2f..%.2f\n", memoryBare.low, memoryBare.high, memoryText.low,
                memoryText.high);
    std::printf("startup_ratio median=%.2f ci95=%.2f..%.2f pairs=%zu\n", startBare.median, startBare.low,
                startBare.high, Ratios(frames[0], frames[1]).size());
    std::printf("memory_ratio bare=%.2f text=%.2f\n", memoryBare.median, memoryText.median);
    return 0;
}
