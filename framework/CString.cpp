#include "CString.h"
#include <cwchar>
#include "Afx.h"

void CString::Format(LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

// The msvcrt functions, called by name: with them "%s" in a wide format is a wide string, as the
// format strings of this program expect.
void CString::FormatV(LPCWSTR format, va_list args) {
    va_list counting;
    va_copy(counting, args);
    int length = _vscwprintf(format, counting);
    va_end(counting);
    if (length < 0) {
        m_str.clear();
        return;
    }
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    _vsnwprintf(&buffer[0], buffer.size(), format, args);
    buffer.resize(length);
    m_str.swap(buffer);
}

// Reads the string table block directly, which also works for modules loaded as data files.
BOOL CString::LoadString(UINT id) {
    m_str.clear();
    LPCWSTR block = MAKEINTRESOURCEW((id >> 4) + 1);
    HINSTANCE module = AfxFindResourceHandle(block, RT_STRING);
    HRSRC resource = ::FindResourceW(module, block, RT_STRING);
    if (resource == nullptr) {
        return FALSE;
    }
    const WORD* p = static_cast<const WORD*>(::LockResource(::LoadResource(module, resource)));
    if (p == nullptr) {
        return FALSE;
    }
    const WORD* end = p + ::SizeofResource(module, resource) / sizeof(WORD);
    // Each of the block's 16 entries is a length followed by that many characters.
    for (UINT i = 0; i < (id & 15); ++i) {
        if (p >= end) {
            return FALSE;
        }
        p += 1 + *p;
    }
    if (p >= end || *p == 0 || p + 1 + *p > end) {
        return FALSE;
    }
    m_str.assign(reinterpret_cast<const wchar_t*>(p + 1), *p);
    return TRUE;
}

int CString::Find(LPCWSTR sub, int start) const {
    if (sub == nullptr || start < 0 || start > GetLength()) {
        return -1;
    }
    size_t pos = m_str.find(sub, static_cast<size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int count) const {
    if (count < 0) {
        count = 0;
    }
    return CString(m_str.substr(0, static_cast<size_t>(count)));
}

CString CString::Mid(int first) const {
    if (first < 0) {
        first = 0;
    }
    if (first >= GetLength()) {
        return CString();
    }
    return CString(m_str.substr(static_cast<size_t>(first)));
}

wchar_t* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) {
        m_str.resize(static_cast<size_t>(minLength));
    }
    return &m_str[0];
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        newLength = static_cast<int>(::wcsnlen(m_str.c_str(), m_str.size()));
    }
    m_str.resize(static_cast<size_t>(newLength));
}

int CString::Compare(LPCWSTR other) const {
    return ::wcscmp(m_str.c_str(), other ? other : L"");
}
