// The About dialog: program icon, version line, authorship line and OK.
#pragma once

#include "os/Window_win32.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(HWND parent = nullptr);
};
