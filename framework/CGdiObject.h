#pragma once
#include <windows.h>

// Owns one GDI object and deletes it in the destructor. Move-only.
class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    CGdiObject(CGdiObject&& other) noexcept : m_hObject(other.Detach()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other) {
            Attach(other.Detach());
        }
        return *this;
    }

    HGDIOBJ m_hObject = nullptr;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    // Takes ownership of `object`, deleting any object held before; FALSE for a null handle.
    BOOL Attach(HGDIOBJ object) {
        if (m_hObject != object) {
            DeleteObject();
        }
        m_hObject = object;
        return object != nullptr;
    }
    HGDIOBJ Detach() {
        HGDIOBJ object = m_hObject;
        m_hObject = nullptr;
        return object;
    }
    BOOL DeleteObject() {
        if (m_hObject == nullptr) {
            return FALSE;
        }
        BOOL ok = ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return ok;
    }
    int GetObject(int size, void* buffer) const { return ::GetObjectW(m_hObject, size, buffer); }
};
