// Text output on a device context: a window's client area or a printer page.
#pragma once

#include <windows.h>

#include <string>

#include "core/Platform.h"

class DcTextOutput : public TextOutput {
public:
    explicit DcTextOutput(HDC dc) : m_hDC(dc) {}
    void TextOut(int x, int y, const std::string& text) override;

private:
    HDC m_hDC;
};
