// The start-up and idle baselines: a program built as the tool is (same compiler, flags, static
// runtime and manifest) that starts GDI+ and shows one dialog from a template. Built with
// PICTURE_BASELINE it is a skinned baseline too: before the dialog shows it decodes one 400 × 600
// PNG resource (the main window's background) with GDI+, and it paints it as its background.
#include <windows.h>

#include <memory>

#include "framework/Gdiplus.h"
#include "framework/StepTimes.h"
#ifdef PICTURE_BASELINE
#include "controls/PngResource.h"
#endif

namespace {

std::unique_ptr<Gdiplus::Image> g_background;

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (message == WM_ERASEBKGND && g_background) {
        RECT client;
        GetClientRect(dialog, &client);
        Gdiplus::Graphics graphics(reinterpret_cast<HDC>(wParam));
        graphics.DrawImage(g_background.get(), 0, 0, client.right, client.bottom);
        MarkStep("background painted");
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    if (message == WM_INITDIALOG) MarkStep("dialog made");
    return message == WM_INITDIALOG;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    MarkStep("program entered");
    const CGdiplusSession gdiplus;
    MarkStep("GDI+ started");
#ifdef PICTURE_BASELINE
    LoadPngResource(g_background, 139);
    MarkStep("picture decoded");
#endif
    DialogBoxParamW(instance, MAKEINTRESOURCEW(1), nullptr, DialogProc, 0);
    g_background.reset();
    return 0;
}
