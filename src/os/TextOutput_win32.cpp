#include "os/TextOutput_win32.h"

void DcTextOutput::TextOut(int x, int y, const std::string& text) {
    ::TextOutA(m_hDC, x, y, text.data(), static_cast<int>(text.size()));
}
