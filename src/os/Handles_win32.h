// Scoped owners of the OS handles both programs create: each handle is released
// exactly once, by its owner, on every path out of a function. (Windows are
// owned by their CWnd objects, os/Window_win32.h.)
#pragma once

#include <windows.h>

#include <utility>

// Owns one handle and releases it with `Deleter` (which may carry what the
// release needs besides the handle, such as the window a DC belongs to).
template <typename Handle, typename Deleter>
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle, Deleter deleter = Deleter())
        : m_handle(handle), m_deleter(deleter) {}
    ScopedHandle(ScopedHandle&& other) noexcept
        : m_handle(other.release()), m_deleter(other.m_deleter) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
            m_deleter = other.m_deleter;
        }
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { reset(); }

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Handle(); }
    // Gives the handle up to a new owner (a window takes its menu).
    Handle release() { return std::exchange(m_handle, Handle()); }
    void reset(Handle handle = Handle()) {
        if (m_handle != Handle()) m_deleter(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = Handle();
    Deleter m_deleter;
};

struct IconDeleter {
    void operator()(HICON icon) const { ::DestroyIcon(icon); }
};
struct MenuDeleter {
    void operator()(HMENU menu) const { ::DestroyMenu(menu); }
};
struct GlobalDeleter {
    void operator()(HGLOBAL memory) const { ::GlobalFree(memory); }
};
struct DcDeleter {  // a DC the program created (a printer's)
    void operator()(HDC dc) const { ::DeleteDC(dc); }
};
struct WindowDcReleaser {  // a window's DC, borrowed from the system
    HWND window = nullptr;
    void operator()(HDC dc) const { ::ReleaseDC(window, dc); }
};
struct SelectionRestorer {  // holds the object a selection replaced
    HDC dc = nullptr;
    void operator()(HGDIOBJ previous) const { ::SelectObject(dc, previous); }
};
struct ClassUnregisterer {
    void operator()(ATOM atom) const {
        ::UnregisterClassA(reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(atom)),
                           ::GetModuleHandleA(nullptr));
    }
};
struct FileCloser {  // a file that failed to open is null here, not INVALID_HANDLE_VALUE
    void operator()(HANDLE file) const { ::CloseHandle(file); }
};

struct ServiceHandleCloser {  // the service manager or a service
    void operator()(SC_HANDLE handle) const { ::CloseServiceHandle(handle); }
};
struct LocalFreer {  // memory the system allocated for us (a security descriptor)
    void operator()(void* memory) const { ::LocalFree(memory); }
};
struct FindCloser {  // a search that failed to start is null here, not INVALID_HANDLE_VALUE
    void operator()(HANDLE search) const { ::FindClose(search); }
};

using ScopedIcon = ScopedHandle<HICON, IconDeleter>;
using ScopedMenu = ScopedHandle<HMENU, MenuDeleter>;
using ScopedGlobal = ScopedHandle<HGLOBAL, GlobalDeleter>;
using ScopedDC = ScopedHandle<HDC, DcDeleter>;
using ScopedWindowDC = ScopedHandle<HDC, WindowDcReleaser>;
using ScopedSelection = ScopedHandle<HGDIOBJ, SelectionRestorer>;
using ScopedClass = ScopedHandle<ATOM, ClassUnregisterer>;
using ScopedFile = ScopedHandle<HANDLE, FileCloser>;  // also events, tokens, pipes
using ScopedService = ScopedHandle<SC_HANDLE, ServiceHandleCloser>;
using ScopedLocal = ScopedHandle<void*, LocalFreer>;
using ScopedSearch = ScopedHandle<HANDLE, FindCloser>;

inline ScopedWindowDC BorrowDC(HWND window) {
    return ScopedWindowDC(::GetDC(window), WindowDcReleaser{window});
}

// Selects `object` into `dc` until the owner goes out of scope.
inline ScopedSelection SelectInto(HDC dc, HGDIOBJ object) {
    return ScopedSelection(::SelectObject(dc, object), SelectionRestorer{dc});
}

// CreateFileA, with the failure value turned into an empty owner.
inline ScopedFile OpenFileHandle(const char* path, DWORD access, DWORD share, DWORD disposition,
                                 DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    const HANDLE file = ::CreateFileA(path, access, share, nullptr, disposition, flags, nullptr);
    return ScopedFile(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// BeginPaint and EndPaint around a WM_PAINT handler.
class PaintScope {
public:
    explicit PaintScope(HWND window) : m_window(window), m_dc(::BeginPaint(window, &m_paint)) {}
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { ::EndPaint(m_window, &m_paint); }
    HDC dc() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};
