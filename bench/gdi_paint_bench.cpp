// One paint pass of 150 goal panels on the program's GDI canvas (run under Wine or on Windows),
// beside the same pass with fills and frames drawn by GDI calls, as the canvas drew them before.
// The two canvases take turns, pass by pass, so a slow moment of the machine falls on both; it
// prints the medians and the fastest passes and the median of the paired ratios.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/stopwatch.h"
#include "render/layout.h"
#include "render/painter.h"
#include "render/win32/gdi_canvas.h"
#include "support/text.h"
#include "tests/common/win32/gdi_drawn_canvas.h"

using namespace kestrival;

namespace {

double PassMs(GdiCanvas& canvas, ExecuteSetting& setting, const GoalList& goals, const LocalDateTime& now,
              bool fullPaint) {
    const double start = Seconds();
    PaintGadget(canvas, setting, goals, now, fullPaint);
    ::GdiFlush();
    return (Seconds() - start) * 1000.0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Fastest(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

}  // namespace

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
    GdiDrawnCanvas gdiDrawn(setting.Style.Font);
    for (GdiCanvas* c : {&canvas, static_cast<GdiCanvas*>(&gdiDrawn)}) {
        c->Resize(GadgetSize(setting, c->TextExtent(u"H").height));
    }
    for (bool fullPaint : {true, false}) {
        std::vector<double> own, drawn, ratios;
        for (int i = 0; i < 60; ++i) {
            const bool ownFirst = i % 2 == 0;
            const double first = PassMs(ownFirst ? canvas : gdiDrawn, setting, goals, now, fullPaint);
            const double second = PassMs(ownFirst ? gdiDrawn : canvas, setting, goals, now, fullPaint);
            own.push_back(ownFirst ? first : second);
            drawn.push_back(ownFirst ? second : first);
            ratios.push_back(own.back() / drawn.back());
        }
        std::printf(
            "GDI paint pass, 150 panels, %s: median %.2f ms, fastest %.2f ms; with GDI-drawn fills %.2f ms, "
            "fastest %.2f ms; paired ratio %.2f\n",
            fullPaint ? "full paint" : "timer pass", Median(own), Fastest(own), Median(drawn), Fastest(drawn),
            Median(ratios));
    }
    return 0;
}
