#pragma once
#include <windows.h>

// The one move-only owner of a plain handle. Traits say what an empty handle is and how to
// release one; every owner of a handle in the program is one of the aliases below.
template <typename Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : m_handle(handle) {}
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

    Handle get() const { return m_handle; }
    explicit operator bool() const { return !Traits::IsEmpty(m_handle); }
    Handle release() {
        const Handle handle = m_handle;
        m_handle = Traits::Empty();
        return handle;
    }
    void reset(Handle handle = Traits::Empty()) {
        if (!Traits::IsEmpty(m_handle) && m_handle != handle) {
            Traits::Close(m_handle);
        }
        m_handle = handle;
    }

private:
    Handle m_handle = Traits::Empty();
};

// Kernel objects. Some calls fail with a null handle, others with INVALID_HANDLE_VALUE: both
// mean "nothing owned".
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static bool IsEmpty(Handle h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Empty() { return nullptr; }
    static bool IsEmpty(Handle h) { return h == nullptr; }
    static void Close(Handle h) { ::FreeLibrary(h); }
};

// A window this program created on its own (not one a dialog or the system owns).
struct WindowTraits {
    using Handle = HWND;
    static Handle Empty() { return nullptr; }
    static bool IsEmpty(Handle h) { return h == nullptr; }
    static void Close(Handle h) { ::DestroyWindow(h); }
};

// An icon this program loaded at a size of its own (not a shared one).
struct IconTraits {
    using Handle = HICON;
    static Handle Empty() { return nullptr; }
    static bool IsEmpty(Handle h) { return h == nullptr; }
    static void Close(Handle h) { ::DestroyIcon(h); }
};

// A search of a folder (FindFirstFileW).
struct FindTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static bool IsEmpty(Handle h) { return h == INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueFind = UniqueHandle<FindTraits>;
