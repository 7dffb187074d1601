// options.h -- the command line, the same on every platform: the options the program takes,
// --help and --version.
#pragma once

// Reads the command line. -1 when the program is to start; otherwise the exit code to end with
// at once, before any window opens: 0 after --help (the usage, on stdout) or --version, 2 after
// an argument it does not know (a line naming it, then the usage, on stderr).
int takeCommandLine(int argc, char** argv);
