// The installer's command line, for scripts and game servers: lists the mods
// of a game folder, installs the bot into one or removes it, with no window
// and no display. Its options stand in one table, kOptions in
// command_line.cpp, which the parser reads and --help shows, with the forms
// of the command and the exit statuses beside it.
#pragma once

// The exit statuses.
enum CommandLineStatus {
    kCommandDone = 0,             // the mod ended as asked, or already was so; the list, help or version was printed
    kCommandNotChanged = 1,       // the mod could not be changed, or its status does not allow it; or no output
    kCommandUsage = 2,            // a usage error, or a mod that is not in the list
    kCommandNoGame = 3,           // no game directory, no catalogue in it, or one too deep for its paths
    kCommandExtrasNotCopied = 4,  // the mod was changed, but extras not copied, the library stayed, or kept lines
    kCommandNoMods = 5,           // --list: the game folder holds the package but none of its mods
    kCommandLinuxServer = 6       // installed, but a Linux server loads the mod's gamedll_linux library instead
};

// Runs the command that argv (argv[0] being the program) asks for. Writes
// only to standard output and standard error, never starts the GUI toolkit,
// asks nothing. Every failure is told on standard error in one line: what was
// asked, what was left as it was, the file and the system's reason. Returns
// the exit status.
int RunCommandLine(int argc, char** argv);
