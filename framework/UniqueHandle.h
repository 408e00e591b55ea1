#pragma once
#include <windows.h>

// One move-only owner for plain handles; the deleter knows how to release one.
template <typename T, typename Deleter> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T handle) : m_handle(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    T get() const { return m_handle; }
    explicit operator bool() const { return m_handle != T(); }
    T release() {
        T handle = m_handle;
        m_handle = T();
        return handle;
    }
    void reset(T handle = T()) {
        if (m_handle != T() && m_handle != handle) {
            Deleter()(m_handle);
        }
        m_handle = handle;
    }

private:
    T m_handle = T();
};

struct KernelHandleDeleter {
    void operator()(HANDLE h) const {
        if (h != INVALID_HANDLE_VALUE) {
            ::CloseHandle(h);
        }
    }
};
struct HdcDeleter {
    void operator()(HDC h) const { ::DeleteDC(h); }
};
struct HiconDeleter {
    void operator()(HICON h) const { ::DestroyIcon(h); }
};
struct HmenuDeleter {
    void operator()(HMENU h) const { ::DestroyMenu(h); }
};
struct HgdiobjDeleter {
    void operator()(HGDIOBJ h) const { ::DeleteObject(h); }
};
struct HwndDeleter {
    void operator()(HWND h) const { ::DestroyWindow(h); }
};
struct HmoduleDeleter {
    void operator()(HMODULE h) const { ::FreeLibrary(h); }
};

using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleDeleter>;
using UniqueHdc = UniqueHandle<HDC, HdcDeleter>;
using UniqueHicon = UniqueHandle<HICON, HiconDeleter>;
using UniqueHmenu = UniqueHandle<HMENU, HmenuDeleter>;
using UniqueHgdiobj = UniqueHandle<HGDIOBJ, HgdiobjDeleter>;
using UniqueHwnd = UniqueHandle<HWND, HwndDeleter>;
using UniqueHmodule = UniqueHandle<HMODULE, HmoduleDeleter>;
