// A DLL planted beside the tool: in a folder where someone has put a gdiplus.dll of their own, the
// tool shows its panel with the system's GDI+ while the planted one stays unloaded; a program that
// imports GDI+ the ordinary way, started in the same folder, does load it, so the setup would
// catch the fault.
#include <gtest/gtest.h>

#include "ToolDriver.h"

namespace {

const wchar_t kImporter[] = L"static_gdiplus_importer.exe";

// Wine looks for gdiplus.dll as Windows does, for the programs named: native before builtin, so
// that a gdiplus.dll in a program's folder wins over Wine's own. (WINEDLLOVERRIDES set here would
// not reach the programs started: Wine reads it from the environment it was started with.)
TEST(PlantedGdiplus, TheToolShowsItsPanelWithTheSystemsGdiplusWhileAnOrdinaryImportLoadsThePlantedOne)
{
    const WineProgramSetting toolSearch{kTool, L"DllOverrides", L"gdiplus", L"native,builtin"};
    const WineProgramSetting importerSearch{kImporter, L"DllOverrides", L"gdiplus", L"native,builtin"};
    ToolSetup setup;
    setup.besideIt = {{kImporter, kImporter}, {L"planted\\gdiplus.dll", L"gdiplus.dll"}};
    ToolRun tool(setup);
    // The planted DLL leaves this file when a process loads it; the importer runs after the tool.
    const CString marker = tool.Folder() + L"\\gdiplus.dll.loaded";
    EXPECT_NE(tool.MainPanel(30000), nullptr) << "the tool did not show its panel";
    tool.End();
    EXPECT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the planted gdiplus.dll was loaded";

    ExitCodeWithin(StartProgram(tool.Folder() + L"\\" + kImporter), 30000);
    EXPECT_NE(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES)
        << "the planted DLL was not loaded by an ordinary import: the setup proves nothing";
}

}  // namespace
