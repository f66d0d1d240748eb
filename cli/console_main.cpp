// VeldrinIns.com, the console companion of VeldrinIns.exe on Windows.
//
// cmd.exe and PowerShell wait only for console programs, and only theirs is
// the exit status they keep; for a bare "VeldrinIns" they pick the .com
// before the .exe (PATHEXT). So a command typed in a console runs here, with
// its output and status in that console, while Explorer and shortcuts start
// the windowed program, which shows no console window.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/failure.h"
#include "platform/game_dir.h"
#include "cli/command_line.h"

int main(int argc, char** argv) {
    if (argc > 1) return RunCommandLine(argc, argv);

    // Without arguments the player wants the window, as from the .exe.
    const std::string program = platform::ProgramDirectory() + "\\VeldrinIns.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "VeldrinIns: could not start the installer's window, %s: %s\n", program.c_str(),
                     platform::SystemMessage(GetLastError()).c_str());
        return kCommandNotChanged;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return kCommandDone;
}
