// Our thin window layer: one message procedure for every window class and one
// for every dialog, each finding its C++ object and calling its handlers.
#pragma once

#include <windows.h>

// A window owned by a C++ object. The object destroys its window when it goes;
// a derived class that handles WM_DESTROY destroys it in its own destructor,
// while its handlers can still run.
class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    void DestroyWindow();

    HWND m_hWnd = nullptr;

protected:
    // Registers a class whose windows are served by this layer; fills in the
    // procedure, the instance and the record size. 0 on failure.
    static ATOM RegisterWindowClass(WNDCLASSEXA windowClass);
    bool CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                  int y, int width, int height, HWND parent, HMENU menuOrId);

    // Every message reaches the object here; the default passes it to Default().
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The system's handling of the message being handled now.
    LRESULT Default();

private:
    static LRESULT CALLBACK MessageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    MSG m_current{};
};

// A modal dialog from a resource template.
class CDialog {
public:
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;
    virtual ~CDialog() = default;

    // kDialogOk or kDialogCancel as the dialog ended, -1 when it could not be shown.
    INT_PTR DoModal();

protected:
    CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_hParent(parent) {}

    // Centres the dialog; TRUE lets the first tab stop take the focus.
    virtual BOOL OnInitDialog();
    // Enter, and the OK button.
    virtual void OnOK();
    // Escape, the Cancel button and the close box.
    virtual void OnCancel();
    virtual void OnTimer(UINT_PTR id);
    void EndDialog(int result);

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_hParent;
};
