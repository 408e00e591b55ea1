#pragma once
// A copy of the program in a scratch folder of its own, where a test puts a "qorv.dll" beside it.
#include "tests/app/ScratchFolder.h"
#include "tests/support/ZelvanorProcess.h"
#include <windows.h>

class ProgramCopy {
public:
    explicit ProgramCopy(const std::wstring& tag) : m_folder(tag) {
        m_ok = CopyFileW(ztest::ProgramPath().c_str(), Program().c_str(), FALSE) != FALSE;
    }
    bool Ok() const { return m_ok; }
    std::wstring Program() const { return m_folder.File(L"Zelvanor.exe"); }
    std::wstring Library() const { return m_folder.File(L"qorv.dll"); }
    const ScratchFolder& Folder() const { return m_folder; }

private:
    ScratchFolder m_folder;
    bool m_ok = false;
};
