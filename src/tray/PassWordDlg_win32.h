// The exit password dialog: one masked edit box, OK and Cancel.
#pragma once

#include <string>

#include "os/Window_win32.h"

class CPassWordDlg : public CDialog {
public:
    explicit CPassWordDlg(HWND parent = nullptr);

    // What was typed, taken from the box when the dialog ends with OK.
    std::string m_strPassword;

protected:
    void OnOK() override;

private:
    void DoDataExchange();
};
