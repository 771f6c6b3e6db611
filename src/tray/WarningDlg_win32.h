// The self-closing warning notice: caption, warning icon, one centred line, no
// buttons and no close box; it ends itself after three seconds.
#pragma once

#include <string>

#include "os/Window_win32.h"

class CWarningDlg : public CDialog {
public:
    explicit CWarningDlg(HWND parent = nullptr);

    std::string m_strMessage;

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR id) override;

private:
    void FitMessage();
};
