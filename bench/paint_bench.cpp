// One paint pass of a full grid of 150 goal panels on the in-memory canvas: the full paint of the
// paint event and the timer's pass without background.
#include <benchmark/benchmark.h>

#include "render/layout.h"
#include "render/painter.h"
#include "support/text.h"
#include "tests/common/test_canvas.h"

namespace kestrival {
namespace {

struct FullGrid {
    FullGrid() {
        setting.ReadValues(now.date, goals);
        setting.Style = ChooseRenderStyle(6);
        setting.CL = 15;
        setting.RW = 10;
        goals.Clear();
        for (int i = 0; i < 150; ++i) {
            goals.Add(FormatText(u"目標%d,2026/%02d/01,2027/%02d/15", {i, i % 12 + 1, i % 12 + 1}));
        }
    }
    const LocalDateTime now{{2026, 12, 10}, 12, 0, 0, 0};
    ExecuteSetting setting;
    GoalList goals;
};

void BM_PaintPass150Panels(benchmark::State& state) {
    FullGrid grid;
    TestCanvas canvas(GadgetSize(grid.setting, 13));
    const bool fullPaint = state.range(0) != 0;
    for (auto _ : state) {
        canvas.ClearTexts();
        benchmark::DoNotOptimize(PaintGadget(canvas, grid.setting, grid.goals, grid.now, fullPaint));
    }
}
BENCHMARK(BM_PaintPass150Panels)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrival
