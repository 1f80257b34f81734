// Start-up to the first painted frame and the working set after start: Kestrival.exe beside the
// bare window program, alternating, in one run. The first frame counts as painted when the
// window's pixel at (4, 4) shows the colour the program paints there (the default title band).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/stopwatch.h"
#include "tests/wine/wine_helpers.h"

using namespace kestrival;
using namespace kestrival::e2e;

namespace {

struct Sample {
    double firstFrameMs = -1;
    double workingSetKb = -1;
};

Sample Measure(const std::wstring& exe, const wchar_t* className) {
    Sample sample;
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const double start = Seconds();
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        return sample;
    }
    for (int i = 0; i < 4000; ++i) {
        HWND window = FindVisibleWindow(info.dwProcessId, className);
        if (window) {
            RECT r{};
            ::GetWindowRect(window, &r);
            if (ScreenPixel(r.left + 4, r.top + 4) == RGB(0x99, 0x99, 0xEE)) {
                sample.firstFrameMs = (Seconds() - start) * 1000.0;
                break;
            }
        }
        ::Sleep(2);
    }
    ::Sleep(1000);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (::GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters)) {
        sample.workingSetKb = static_cast<double>(counters.WorkingSetSize) / 1024.0;
    }
    if (HWND window = FindVisibleWindow(info.dwProcessId, className)) ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return sample;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? _wtoi(argv[1]) : 21;
    const std::wstring folder = OwnFolder();
    std::vector<double> kFrame, kMemory, bFrame, bMemory;
    for (int i = 0; i < runs; ++i) {
        // Alternate which program goes first, and let the system settle between starts.
        Sample k, b;
        if (i % 2 == 0) {
            k = Measure(folder + L"Kestrival.exe", L"KestrivalGadget");
            ::Sleep(300);
            b = Measure(folder + L"kestrival_baseline.exe", L"KestrivalBaseline");
        } else {
            b = Measure(folder + L"kestrival_baseline.exe", L"KestrivalBaseline");
            ::Sleep(300);
            k = Measure(folder + L"Kestrival.exe", L"KestrivalGadget");
        }
        ::Sleep(300);
        kFrame.push_back(k.firstFrameMs);
        kMemory.push_back(k.workingSetKb);
        bFrame.push_back(b.firstFrameMs);
        bMemory.push_back(b.workingSetKb);
    }
    const double kf = Median(kFrame), bf = Median(bFrame), km = Median(kMemory), bm = Median(bMemory);
    std::printf("start to first painted frame (median of %d): Kestrival %.0f ms, baseline %.0f ms, ratio %.2f\n", runs,
                kf, bf, kf / bf);
    std::printf("working set after start (median of %d):      Kestrival %.0f KiB, baseline %.0f KiB, ratio %.2f\n",
                runs, km, bm, km / bm);
    return 0;
}
