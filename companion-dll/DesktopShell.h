#pragma once
// Opening a page or a program through the desktop's own shell: the shell that runs the user's
// desktop starts it, with the user's normal rights, not with the rights of the process that asks.
// An administrator tool that started a browser itself would hand the browser (and every page it
// shows) administrator rights.
#include <string>

enum class ShellOpen {
    Opened,          // the desktop shell took the request
    Refused,         // the desktop shell was there but refused it
    NoDesktopShell,  // no desktop shell could be asked; nothing was started
};

ShellOpen OpenThroughDesktopShell(const std::wstring& target);
