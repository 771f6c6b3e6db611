// The view's window, and the platform the portable core runs on under Win32.
#pragma once

#include <windows.h>

#include "app/Platform.h"
#include "usage/HourgateView.h"

class CHourgateDoc;

// Text output on a device context: the window's client area or a printer page.
class DcTextOutput : public TextOutput {
public:
    explicit DcTextOutput(HDC dc) : m_hDC(dc) {}
    void TextOut(int x, int y, const std::string& text) override;

private:
    HDC m_hDC;
};

class Win32Platform : public HourgatePlatform {
public:
    explicit Win32Platform(bool dryRun) : m_bDryRun(dryRun) {}

    // The window that owns the usage timer and receives its expiries.
    void AttachView(HWND view) { m_hView = view; }
    // The message the view is handling, for Default().
    void SetCurrentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::int64_t Now() const override;
    bool ToLocalTime(std::int64_t time, LocalTimeFields& out) const override;
    std::int64_t SleepStoppingMilliseconds() const override;
    std::optional<std::string> UserName() const override;
    std::string ExecutablePath() const override;
    char PathSeparator() const override { return '\\'; }
    LeadByteTest LeadBytes() const override;
    void SetTimer(unsigned id, unsigned milliseconds) override;
    void KillTimer(unsigned id) override;
    void BaseInitialUpdate() override;
    void Default() override;
    void ShowWarning(const std::string& message) override;
    int ForcedPowerOff() override;

private:
    bool m_bDryRun;
    HWND m_hView = nullptr;
    MSG m_current{};
};

// The child window in the frame's client area that hosts CHourgateView.
class CViewWindow {
public:
    CViewWindow(Win32Platform& platform, CHourgateDoc& document)
        : m_platform(platform), m_view(platform, document) {}

    bool Create(HWND frame, UINT id);
    // Draws the status lines on a printer chosen in the print dialog.
    void OnFilePrint(HWND owner, const char* documentName);

    CHourgateView& View() { return m_view; }
    HWND m_hWnd = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();

    Win32Platform& m_platform;
    CHourgateView m_view;
};
