// timeout /t N [/nobreak]: waits N seconds (0 to 99999) and exits with 0. The switches may come in
// any order and any case, and N may stand alone as with the system's own timeout. No key ends the
// wait early: the programs that call it run it hidden, without a console to type into.
// Anything else: a usage message and exit code 1.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned long kMostSeconds = 99999;

bool ParseSeconds(const char* text, unsigned long& seconds)
{
    if (*text == '\0' || std::strlen(text) > 5) return false;
    seconds = 0;
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') return false;
        seconds = seconds * 10 + static_cast<unsigned long>(*text - '0');
    }
    return seconds <= kMostSeconds;
}

}  // namespace

int main(int argc, char** argv)
{
    bool haveSeconds = false;
    unsigned long seconds = 0;
    bool valid = true;
    for (int i = 1; i < argc && valid; ++i) {
        if (_stricmp(argv[i], "/nobreak") == 0) continue;
        const char* number = argv[i];
        if (_stricmp(argv[i], "/t") == 0) number = ++i < argc ? argv[i] : "";
        valid = !haveSeconds && ParseSeconds(number, seconds);
        haveSeconds = true;
    }
    if (!valid || !haveSeconds) {
        std::fputs("timeout: usage: timeout /t N [/nobreak], N from 0 to 99999 seconds\n", stderr);
        return 1;
    }
    Sleep(seconds * 1000);
    return 0;
}
