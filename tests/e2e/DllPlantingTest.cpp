// A DLL planted beside the tool: the tool imports statically only the system's known DLLs, and in a
// folder where someone has put a gdiplus.dll of their own it shows its panel with the system's GDI+
// while the planted one stays unloaded.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "ToolDriver.h"

namespace {

const wchar_t kImporter[] = L"static_gdiplus_importer.exe";

// DLLs Windows 10 maps from its KnownDLLs section, never from a program's folder, and that the
// tool may therefore import the ordinary way. GDI+ and the common controls are left out: the tool
// delay-imports them and so does not depend on whether a given Windows lists them.
const wchar_t* const kKnownDlls[] = {
    L"advapi32.dll", L"clbcatq.dll", L"combase.dll", L"comdlg32.dll", L"gdi32.dll",    L"imagehlp.dll",
    L"imm32.dll",    L"kernel32.dll", L"msctf.dll",  L"msvcrt.dll",   L"normaliz.dll", L"nsi.dll",
    L"ole32.dll",    L"oleaut32.dll", L"psapi.dll",  L"rpcrt4.dll",   L"sechost.dll",  L"setupapi.dll",
    L"shcore.dll",   L"shell32.dll",  L"shlwapi.dll", L"user32.dll",  L"wldap32.dll",  L"ws2_32.dll",
};

CString Lower(CString text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return static_cast<wchar_t>(towlower(c)); });
    return text;
}

bool IsKnownDll(const CString& name)
{
    return std::any_of(std::begin(kKnownDlls), std::end(kKnownDlls), [&](const wchar_t* known) { return name == known; });
}

// The DLLs named in a program's import directory, in lower case: the loader maps these before any
// of the program's code runs. Delay imports are not among them.
std::vector<CString> StaticImports(const CString& path)
{
    // Mapped as an image for reading only: nothing of it runs, none of its imports loads.
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)> module(
        LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE), &FreeLibrary);
    if (!module) throw std::runtime_error("cannot map the program");
    const auto* image = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(module.get()) & ~ULONG_PTR(3));
    const auto& headers =
        *reinterpret_cast<const IMAGE_NT_HEADERS*>(image + reinterpret_cast<const IMAGE_DOS_HEADER*>(image)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<CString> names;
    if (imports.VirtualAddress == 0) return names;
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image + imports.VirtualAddress); entry->Name; ++entry) {
        const std::string name = reinterpret_cast<const char*>(image + entry->Name);
        names.push_back(Lower(CString(name.begin(), name.end())));
    }
    return names;
}

TEST(StaticImports, TheToolImportsOnlyKnownDlls)
{
    // The reader sees an ordinary GDI+ import where there is one.
    const std::vector<CString> ordinary = StaticImports(ExecutableFolder() + L"\\" + kImporter);
    ASSERT_NE(std::find(ordinary.begin(), ordinary.end(), L"gdiplus.dll"), ordinary.end());

    const std::vector<CString> imports = StaticImports(ExecutableFolder() + L"\\" + kTool);
    ASSERT_NE(std::find(imports.begin(), imports.end(), L"kernel32.dll"), imports.end());
    for (const CString& dll : imports)
        EXPECT_TRUE(IsKnownDll(dll)) << dll << " is loaded before the tool runs, looked for in its folder first";
}

bool IsInSystemFolder(const CString& path)
{
    const CString folder = path.substr(0, path.find_last_of(L'\\'));
    wchar_t system[MAX_PATH] = {};
    wchar_t wow64[MAX_PATH] = {};
    const UINT systemLength = GetSystemDirectoryW(system, MAX_PATH);
    const UINT wow64Length = GetSystemWow64DirectoryW(wow64, MAX_PATH);
    return folder == Lower(CString(system, systemLength)) || (wow64Length > 0 && folder == Lower(CString(wow64, wow64Length)));
}

// The tool, its companion library, the ordinary importer and a planted gdiplus.dll that leaves a
// marker when loaded, in one folder. Wine looks for gdiplus.dll as Windows does, for the programs
// named: native before builtin, so that a gdiplus.dll in a program's folder wins over Wine's own.
// (WINEDLLOVERRIDES set here would not reach the programs started: Wine reads it from the
// environment it was started with.)
TEST(PlantedGdiplus, TheToolShowsItsPanelWithTheSystemsGdiplusWhileAnOrdinaryImportLoadsThePlantedOne)
{
    const WineProgramSetting toolSearch{kTool, L"DllOverrides", L"gdiplus", L"native,builtin"};
    const WineProgramSetting importerSearch{kImporter, L"DllOverrides", L"gdiplus", L"native,builtin"};
    ToolSetup setup;
    setup.besideIt = {{kImporter, kImporter}, {L"planted\\gdiplus.dll", L"gdiplus.dll"}};
    ToolRun tool(setup);
    const CString marker = tool.Folder() + L"\\gdiplus.dll.loaded";
    const auto loadedBy = [&] {
        const std::string bytes = ReadBytes(marker);
        return Lower(CString(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t)));
    };
    ASSERT_NE(tool.MainPanel(30000), nullptr) << "the tool did not show its panel";
    const CString gdiplus = Lower(LoadedModule(tool.ProcessId(), L"gdiplus.dll"));
    EXPECT_TRUE(IsInSystemFolder(gdiplus)) << "GDI+ came from \"" << gdiplus << "\"";
    tool.End();
    EXPECT_FALSE(FileExists(marker)) << "the planted gdiplus.dll was loaded by " << loadedBy();

    // The same folder catches an ordinary import, so the setup would catch the fault.
    const CHandle importer = StartProgram(tool.Folder() + L"\\" + kImporter);
    ASSERT_EQ(WaitForSingleObject(importer.Get(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(loadedBy(), Lower(tool.Folder() + L"\\" + kImporter))
        << "the planted DLL was not loaded by an ordinary import: the setup proves nothing";
}

}  // namespace
