#include "support/qt/first_frame.h"

#include <QCoreApplication>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace kestrival {

void ReportFirstFrame() {
    static bool reported = false;
    const char* launch = std::getenv("KESTRIVAL_LAUNCH_NS");
    if (reported || !launch) return;
    reported = true;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const double nowNs = static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    std::fprintf(stderr, "first_frame_ms=%.3f rss_kb=%ld\n", (nowNs - std::strtod(launch, nullptr)) / 1e6,
                 resident * (::sysconf(_SC_PAGESIZE) / 1024));
    if (std::getenv("KESTRIVAL_EXIT_AFTER_FIRST_FRAME")) QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
}

}  // namespace kestrival
