// The About dialog: program icon, version line, authorship line and OK.
#pragma once

#include "app/Window_win32.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(HWND parent = nullptr);
};
