// One paint pass of 150 goal panels on the program's GDI canvas (run under Wine or on Windows):
// prints the median and the fastest of a series of passes, for the full and the timer pass.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/stopwatch.h"
#include "render/layout.h"
#include "render/painter.h"
#include "render/win32/gdi_canvas.h"
#include "support/text.h"

using namespace kestrival;

namespace {}  // namespace

int main() {
    const LocalDateTime now{{2026, 12, 10}, 12, 0, 0, 0};
    ExecuteSetting setting;
    GoalList goals;
    setting.ReadValues(now.date, goals);
    setting.Style = ChooseRenderStyle(6);
    setting.CL = 15;
    setting.RW = 10;
    goals.Clear();
    for (int i = 0; i < 150; ++i)
        goals.Add(FormatText(u"目標%d,2026/%02d/01,2027/%02d/15", {i, i % 12 + 1, i % 12 + 1}));
    GdiCanvas canvas(setting.Style.Font);
    canvas.Resize(GadgetSize(setting, canvas.TextExtent(u"H").height));
    for (bool fullPaint : {true, false}) {
        std::vector<double> times;
        for (int i = 0; i < 60; ++i) {
            const double start = Seconds();
            PaintGadget(canvas, setting, goals, now, fullPaint);
            ::GdiFlush();
            times.push_back((Seconds() - start) * 1000.0);
        }
        std::sort(times.begin(), times.end());
        std::printf("GDI paint pass, 150 panels, %s: median %.2f ms, fastest %.2f ms\n",
                    fullPaint ? "full paint" : "timer pass", times[times.size() / 2], times.front());
    }
    return 0;
}
