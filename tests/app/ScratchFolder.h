#pragma once
// A folder of its own under the tests' folder, removed with every file in it when the object goes.
#include <string>

class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& tag);
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();
    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

bool FileExists(const std::wstring& path);
bool WriteTextFile(const std::wstring& path, const std::string& text);
