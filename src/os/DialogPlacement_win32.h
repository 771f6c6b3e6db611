// What every dialog of the program shares: its owner and its placement.
#pragma once

#include <windows.h>

// The program's main window, once it exists; dialogs without a parent use it as
// their owner, as the framework of a document/view program does.
void SetMainWindow(HWND frame);

// `parent`, or the main window when `parent` is null.
HWND DialogOwner(HWND parent);

// A dialog whose template sits at (0, 0) is centred over its owner while that is
// shown, otherwise in the middle of the screen's work area.
void CenterDialog(HWND dialog);
