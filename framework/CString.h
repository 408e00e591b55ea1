#pragma once
#include <windows.h>
#include <cstdarg>
#include <string>

// UTF-16 string with the framework's interface over std::wstring.
class CString {
public:
    CString() = default;
    CString(LPCWSTR text) : m_str(text ? text : L"") {}
    CString(const std::wstring& text) : m_str(text) {}

    operator LPCWSTR() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }

    void Format(LPCWSTR format, ...);
    // String `id` from the current resource module; a missing string leaves this empty.
    BOOL LoadString(UINT id);

    int Find(LPCWSTR sub, int start = 0) const;
    CString Left(int count) const;
    CString Mid(int first) const;

    // Room for at least minLength characters plus the terminator; ReleaseBuffer sets the length.
    wchar_t* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    int Compare(LPCWSTR other) const;

    CString& operator=(LPCWSTR text) {
        m_str = text ? text : L"";
        return *this;
    }
    CString& operator+=(const CString& other) {
        m_str += other.m_str;
        return *this;
    }
    CString& operator+=(LPCWSTR text) {
        if (text) {
            m_str += text;
        }
        return *this;
    }

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, LPCWSTR b) { return a.Compare(b) == 0; }
    friend bool operator==(LPCWSTR a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, LPCWSTR b) { return !(a == b); }
    friend bool operator!=(LPCWSTR a, const CString& b) { return !(a == b); }

private:
    void FormatV(LPCWSTR format, va_list args);

    std::wstring m_str;
};
