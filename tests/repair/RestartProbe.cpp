// Run in a scratch Wine prefix of its own by restart_in_scratch_prefix.sh:
//   restart_probe --restart FILE   asks for the restart and writes what RestartSystem returned;
//   restart_probe --linger FILE    writes FILE once running: another program the restart must end.
// Either way it then waits; only the end of the session stops it before its time runs out.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "repair/FlashScreenRepair.h"

int main(int argc, char** argv)
{
    if (argc != 3) return 2;
    const bool restart = std::strcmp(argv[1], "--restart") == 0;
    if (!restart && std::strcmp(argv[1], "--linger") != 0) return 2;

    const char* report = "RUNNING";
    if (restart) report = CFlashScreenRepair().RestartSystem() ? "TRUE" : "FALSE";
    FILE* file = std::fopen(argv[2], "wb");
    if (file == nullptr) return 3;
    std::fputs(report, file);
    std::fclose(file);
    Sleep(60000);
    return 4;  // still running: the session did not end
}
