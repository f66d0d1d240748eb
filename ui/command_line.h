// The installer's command line, for scripts and game servers: lists the mods
// of a game folder, installs the bot into one or removes it, with no window
// and no display.
//
//   VeldrinIns --list    [--game-dir DIR]
//   VeldrinIns --install MOD [--game-dir DIR] [--no-names] [--no-waypoints]
//                        [--no-cfg] [--no-chat] [--no-wpn-configs]
//   VeldrinIns --remove  MOD [--game-dir DIR]
//   VeldrinIns --help | --version
#pragma once

// The exit statuses.
enum CommandLineStatus {
    kCommandDone = 0,            // the mod ended as asked; the list, help or version was printed
    kCommandNotChanged = 1,      // the mod could not be changed and is left as it was
    kCommandUsage = 2,           // a usage error, or a mod that is not in the list
    kCommandNoGame = 3,          // no game directory, or no catalogue in it
    kCommandExtrasNotCopied = 4  // the mod was changed, but some extras could not be copied
};

// Runs the command that argv (argv[0] being the program) asks for. Writes
// only to standard output and standard error, never starts the GUI toolkit,
// asks nothing. Every failure is told on standard error in one line: what was
// asked, what was left as it was, the file and the system's reason. Returns
// the exit status.
int RunCommandLine(int argc, char** argv);
