// The console program: the command line alone, with nothing of the window or
// its toolkit.
//
// On Windows it is VeldrinIns.com, the console companion of VeldrinIns.exe.
// cmd.exe and PowerShell wait only for console programs, and only theirs is
// the exit status they keep; for a bare "VeldrinIns" they pick the .com
// before the .exe (PATHEXT). So a command typed in a console runs here, with
// its output and status in that console, while Explorer and shortcuts start
// the windowed program, which shows no console window.
//
// On Linux it is veldrinins, for servers and scripts: it links no desktop
// library, so a machine without one can run it.
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/failure.h"
#include "platform/game_dir.h"
#include "cli/command_line.h"
#include "core/translations.h"

int main(int argc, char** argv) {
    if (argc > 1) return RunCommandLine(argc, argv);
#ifdef _WIN32
    // Without arguments the player wants the window, as from the window
    // program itself, which lies beside this one when it is installed.
    const std::string program = platform::ProgramDirectory() + "\\VeldrinIns.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fputs(Fill(Tr("VeldrinIns: could not start the installer's window, %s: %s\n"),
                        {program, platform::SystemMessage(GetLastError())})
                       .c_str(),
                   stderr);
        return kCommandNotChanged;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return kCommandDone;
#else
    // Without arguments the player wants the window, as from the window
    // program itself, which lies beside this one when it is installed. It
    // takes this process over; its own checks (a display, one copy at a
    // time) and its exit status then hold.
    const std::string directory = platform::ProgramDirectory();
    const std::string program = (directory == "/" ? "" : directory) + "/VeldrinIns";
    char* const windowArgs[] = {const_cast<char*>(program.c_str()), nullptr};
    ::execv(program.c_str(), windowArgs);
    const int error = errno;
    if (error == ENOENT)
        std::fputs(Fill(Tr("VeldrinIns: without arguments the installer opens its window, and the window program "
                           "%s is not installed (the package veldrinins holds it).\n"
                           "The command line lists, installs and removes without it: see veldrinins --help.\n"),
                        {program})
                       .c_str(),
                   stderr);
    else
        std::fputs(
            Fill(Tr("VeldrinIns: could not start the installer's window, %s: %s\n"), {program, std::strerror(error)})
                .c_str(),
            stderr);
    return kCommandNotChanged;
#endif
}
