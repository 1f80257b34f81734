#pragma once
// A colour swatch of the settings dialog for screen readers on Windows: a button named by the
// label beside it, with its colour as its value. The swatch paints itself, so without this a
// reader finds nothing there.
#include <windows.h>

namespace kestrival {

// The answer to the swatch's WM_GETOBJECT; 0 leaves the request to DefWindowProc.
LRESULT AnswerSwatchObject(HWND swatch, WPARAM flags, LPARAM objectId);
// On WM_NCDESTROY: the swatch's object, if a reader asked for one, stops answering.
void ForgetSwatchObject(HWND swatch);
// The swatch shows another colour.
void AnnounceSwatchValue(HWND swatch);

}  // namespace kestrival
