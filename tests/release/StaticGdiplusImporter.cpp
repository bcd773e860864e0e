// A program that imports GDI+ the ordinary way, as the tool once did: the loader finds gdiplus.dll
// before the program runs, looking in the program's folder first. It shows that a planted
// gdiplus.dll is really taken where the search allows it, so its absence from the tool means something.
#include "framework/Gdiplus.h"

int main()
{
    const CGdiplusSession gdiplus;
    return gdiplus.IsStarted() ? 0 : 1;
}
