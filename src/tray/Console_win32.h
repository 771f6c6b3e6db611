// The answers of a GUI program to --help, --version and wrong switches: it
// starts without a console, so they go to the console of whoever started it.
#pragma once

#include "core/CommandLine.h"

// Prints the answer the command line calls for and gives the exit code, or -1
// when the program is to run (and nothing was printed).
int AnswerOnConsole(const CommandLineInfo& info);
