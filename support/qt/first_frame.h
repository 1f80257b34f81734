#pragma once
// For the start-up benchmark: when KESTRIVAL_LAUNCH_NS holds the wall-clock time (ns) at which the
// benchmark started the program, the first painted frame reports the time since then and the
// resident memory on stderr ("first_frame_ms=... rss_kb=..."), and with KESTRIVAL_EXIT_AFTER_FIRST_FRAME
// the program ends afterwards. Otherwise nothing happens.
namespace kestrival {

void ReportFirstFrame();

}  // namespace kestrival
