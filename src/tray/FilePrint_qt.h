// The print command's printer side, in a module of its own (hourgate-print.so
// beside the program), loaded at the first Ctrl+P: linked into the program,
// QtPrintSupport and what it brings were loaded into every session all day
// for a command that is hardly ever used.
#pragma once

#include <functional>

class QPainter;
class QWidget;

// Asks for a printer over `owner` and prints one page: `draw` paints on it, at
// `scale` printer pixels per pixel of `view`, in the view's font. False when
// the dialog was cancelled or the page could not be started.
using FilePrintFunction = bool (*)(QWidget* owner, QWidget* view,
                                   const std::function<void(QPainter&, double scale)>& draw);

// The module's one exported symbol, a FilePrintFunction.
#define HOURGATE_FILE_PRINT_SYMBOL "HourgateFilePrint"
