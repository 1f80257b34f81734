// Renders the README's pictures with the program's GDI canvas: the default gadget, and a 3 x 2
// grid with a running, a not-started, an ended and a title-only goal. Writes BMP files named on
// the command line (default.bmp grid.bmp), and optionally the same grid in the classic look of
// Windows 2000 and XP (classic.bmp), the default gadget on a display at 150 % (default-150.bmp), and
// four goals with counting choices and reminders (choices.bmp), and those at 150 and 200 %.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "render/layout.h"
#include "render/painter.h"
#include "render/win32/gdi_canvas.h"
#include "support/text.h"
#include "support/win32/clock.h"

using namespace kestrival;

namespace {

void WriteBmp(GdiCanvas& canvas, const wchar_t* path) {
    const Size size = canvas.ClientSize();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = size.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::string pixels(static_cast<std::size_t>(size.width) * size.height * 4, '\0');
    HBITMAP bitmap = static_cast<HBITMAP>(::GetCurrentObject(canvas.dc(), OBJ_BITMAP));
    ::GetDIBits(canvas.dc(), bitmap, 0, size.height, pixels.data(), &info, DIB_RGB_COLORS);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

std::u16string Day(const LocalDateTime& now, int offset) {
    return DateText(DateOfDayNumber(DayNumber(now.date) + offset));
}

void Render(ExecuteSetting& setting, const GoalList& goals, const LocalDateTime& now, const wchar_t* path,
            std::int32_t dpi = kDesignDpi) {
    GdiCanvas canvas(setting.Style.Font);
    canvas.SetDpi(dpi);
    canvas.Resize(GadgetSize(setting, canvas.TextExtent(u"H").height, dpi));
    PaintGadget(canvas, setting, goals, now, true);
    canvas.Resize(GadgetSize(setting, canvas.TextExtent(u"H").height, dpi));
    PaintGadget(canvas, setting, goals, now, true);
    WriteBmp(canvas, path);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const LocalDateTime now = Win32Clock().Now();
    ExecuteSetting setting;
    GoalList goals;
    setting.ReadValues(now.date, goals);
    setting.Style = ChooseRenderStyle(6);
    Render(setting, goals, now, argv[1]);
    if (argc > 4) Render(setting, goals, now, argv[4], 144);  // the default gadget at 150 %

    setting.TITLE = u"目標カウンター";
    setting.DVIEW = 1;
    setting.CL = 3;
    setting.RW = 2;
    setting.SR = 1;
    goals.Clear();
    goals.Add(u"資格試験," + Day(now, -40) + u"," + Day(now, 25));
    goals.Add(u"新しい仕事," + Day(now, 12) + u"," + Day(now, 120));
    goals.Add(u"引っ越し," + Day(now, -90) + u"," + Day(now, -14));
    goals.Add(u"毎日の散歩,,");
    Render(setting, goals, now, argv[2]);
    if (argc > 3) {
        setting.Style = ChooseRenderStyle(5);
        Render(setting, goals, now, argv[3]);
    }
    if (argc > 5) {  // goals with counting choices
        setting.Style = ChooseRenderStyle(6);
        setting.CL = 2;
        goals.Clear();
        goals.Add(u"入学試験," + Day(now, -40) + u"," + Day(now, 25));
        goals.Add(u"提出期限," + Day(now, -10) + u"," + Day(now, 30));
        goals.Add(u"誕生日,2000/05/10,2000/05/10");
        goals.Add(u"年度末,2025/04/01,2026/03/31");
        setting.CNT = {ParseCountChoices(u"T"), ParseCountChoices(u"W"), ParseCountChoices(u"Y"),
                       ParseCountChoices(u"TWY")};
        setting.RMD = {GoalReminders{ParseReminderChoices(u"0,7"), std::nullopt}, GoalReminders{},
                       GoalReminders{ParseReminderChoices(u"1"), std::nullopt}, GoalReminders{}};
        setting.OFFDAYS = u"12/29-01/03";
        Render(setting, goals, now, argv[5]);
        if (argc > 6) Render(setting, goals, now, argv[6], 144);
        if (argc > 7) Render(setting, goals, now, argv[7], 192);
    }
    return 0;
}
