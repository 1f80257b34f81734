#include "support/win32/startup_profile.h"

#include <windows.h>

#include <array>
#include <cstdio>
#include <string>

namespace kestrival {
namespace {

constexpr std::array<const char*, static_cast<std::size_t>(StartupStage::kCount)> kStageNames = {
    "settings_folder", "lock", "settings_file", "fonts", "window", "first_paint", "other"};

struct Profile {
    bool on = false;
    bool complete = false;
    std::wstring file;
    LONGLONG entry = 0;
    LONGLONG last = 0;
    std::array<LONGLONG, kStageNames.size()> charged{};
};

Profile profile;

LONGLONG Now() {
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

}  // namespace

void StartStartupProfile() {
    const LONGLONG entry = Now();
    wchar_t file[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"KESTRIVAL_STARTUP_PROFILE", file, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    profile.on = true;
    profile.file.assign(file, length);
    profile.entry = profile.last = entry;
}

void ChargeStartup(StartupStage stage) {
    if (!profile.on || profile.complete) return;
    const LONGLONG now = Now();
    profile.charged[static_cast<std::size_t>(stage)] += now - profile.last;
    profile.last = now;
}

void EndStartupProfile(StartupStage stage) {
    ChargeStartup(stage);
    profile.complete = true;
}

void WriteStartupProfile() {
    if (!profile.on) return;
    std::FILE* out = ::_wfopen(profile.file.c_str(), L"w");
    if (!out) return;
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    std::fprintf(out, "frequency %lld\nentry %lld\n", frequency.QuadPart, profile.entry);
    for (std::size_t i = 0; i < kStageNames.size(); ++i)
        std::fprintf(out, "%s %lld\n", kStageNames[i], profile.charged[i]);
    std::fclose(out);
}

}  // namespace kestrival
