// The program's version, for the About dialog, the version record and --version.
// Plain macros: the Windows resource script includes this file too.
#pragma once

#define HOURGATE_VERSION_TEXT "hourgate Version 1.02a"
#define HOURGATE_FILE_VERSION 1, 0, 2, 1
#define HOURGATE_FILE_VERSION_TEXT "1, 0, 2, 1"
#define HOURGATE_VERSION_NUMBER "1.0.2.1"
