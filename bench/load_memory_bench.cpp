// Memory of loading one settings file: the peak and what stays held afterwards, above the
// figures of an empty file, for files of blank CR LF lines, lone CRs and goal lines.
//
//   kestrival_load_memory [--check] [MB...]    (default sizes: 10 100)
//
// Each load runs in a process of its own (this program started again with --measure), so that
// one peak does not hide the next. --check fails when a peak passes 4 times the file's size or
// what stays held passes 2 times.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "settings/execute_setting.h"
#include "support/text.h"
#include "tests/common/fakes.h"

namespace kestrival {
namespace {

struct Figures {
    long peakKb = 0;
    long heldKb = 0;
};

long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::char_traits<char>::length(field), nullptr, 10);
    }
    return 0;
}

// Loads the file at `path` ("<base>_set.txt") the way the program does and prints its figures.
int Measure(const std::string& base) {
    FakeEnvironment environment;
    environment.separator = u'/';
    environment.programPath = FromUtf8(base + ".exe");
    environment.arguments = {u"LOCAL"};
    FixedClock clock({{2026, 12, 10}, 9, 30, 0, 0});
    ExecuteSetting setting;
    GoalList goals;
    setting.Load(environment, clock, goals);
    std::printf("%ld %ld %d\n", StatusKb("VmHWM:"), StatusKb("VmRSS:"), setting.FileUnreadable ? 1 : 0);
    return 0;
}

std::string Run(const std::string& self, const std::string& base) {
    const std::string command = "'" + self + "' --measure '" + base + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[128] = {};
    const bool got = pipe && std::fgets(buffer, sizeof buffer, pipe);
    if (pipe) ::pclose(pipe);
    return got ? buffer : "";
}

void WriteFile(const std::string& path, const std::string& kind, std::size_t bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write("\xFF\xFE", 2);
    std::string unit;
    if (kind == "crlf") unit = std::string("\r\0\n\0", 4);
    if (kind == "cr") unit = std::string("\r\0", 2);
    std::string block;
    int goal = 0;
    for (std::size_t written = 2; written < bytes; written += block.size()) {
        block.clear();
        while (block.size() < (1u << 20)) {
            if (kind == "goals") {
                unit.clear();
                const std::u16string line = FormatText(u"ITEM%d=目標%d,2026/01/01,2027/01/01\r\n", {goal + 1, goal});
                ++goal;
                for (char16_t c : line) unit += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
            }
            block += unit;
        }
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
}

}  // namespace
}  // namespace kestrival

int main(int argc, char** argv) {
    using namespace kestrival;
    if (argc == 3 && std::string(argv[1]) == "--measure") return Measure(argv[2]);
    bool check = false;
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--check") {
            check = true;
        } else {
            sizes.push_back(std::atol(argv[i]));
        }
    }
    if (sizes.empty()) sizes = {10, 100};
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("kestrival-memory-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string base = (folder / "Kestrival").string();
    const std::string path = base + "_set.txt";

    WriteFile(path, "crlf", 0);
    long emptyPeak = 0, emptyHeld = 0;
    int ignored = 0;
    std::sscanf(Run(self, base).c_str(), "%ld %ld %d", &emptyPeak, &emptyHeld, &ignored);
    std::printf("%-6s %6s %12s %12s %8s %8s  %s\n", "kind", "MB", "peak MB", "held MB", "peak/f", "held/f", "");
    bool ok = true;
    for (long mb : sizes) {
        for (const char* kind : {"crlf", "cr", "goals"}) {
            const std::size_t bytes = static_cast<std::size_t>(mb) << 20;
            WriteFile(path, kind, bytes);
            long peak = 0, held = 0;
            int unreadable = 0;
            std::sscanf(Run(self, base).c_str(), "%ld %ld %d", &peak, &held, &unreadable);
            const double fileMb = static_cast<double>(bytes) / (1 << 20);
            const double peakMb = static_cast<double>(peak - emptyPeak) / 1024;
            const double heldMb = static_cast<double>(held - emptyHeld) / 1024;
            const bool within = peakMb <= 4 * fileMb + 2 && heldMb <= 2 * fileMb + 2;
            ok = ok && within;
            std::printf("%-6s %6ld %12.1f %12.1f %8.2f %8.2f  %s%s\n", kind, mb, peakMb, heldMb, peakMb / fileMb,
                        heldMb / fileMb, unreadable ? "refused as too large " : "", within ? "" : "OVER THE BOUND");
        }
    }
    std::filesystem::remove_all(folder);
    return check && !ok ? 1 : 0;
}
