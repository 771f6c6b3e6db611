// The program's own version, for the About dialog and --version; the version
// records of the Windows programs carry the release's (ReleaseVersion.h.in).
// Plain macros: the Windows resource script includes this file too.
#pragma once

#define HOURGATE_VERSION_TEXT "hourgate Version 1.02a"
#define HOURGATE_VERSION_NUMBER "1.0.2.1"
