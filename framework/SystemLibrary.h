#pragma once
#include "UniqueHandle.h"

// A system DLL that not every process has loaded, taken from the system folder only: a DLL of
// the same name beside the program or on the path is never loaded, so its code never runs.
class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* name);

    // The export `name` as a function of type Fn; null when the DLL or the export is missing.
    template <typename Fn> Fn Find(const char* name) const {
        return m_module ? reinterpret_cast<Fn>(
                              reinterpret_cast<void*>(::GetProcAddress(m_module.get(), name)))
                        : nullptr;
    }

private:
    UniqueModule m_module;
};
