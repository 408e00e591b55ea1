#include "tests/res/ResourceFile.h"
#include "tests/support/ChildProcess.h"

#include <algorithm>
#include <cstring>

namespace {

int IntOrMinusOne(LPCWSTR name) {
    return IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : -1;
}

struct EnumState {
    HMODULE module;
    std::vector<ResourceKey>* out;
    LPCWSTR type = nullptr;
    LPCWSTR name = nullptr;
};

BOOL CALLBACK OnLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    auto* s = reinterpret_cast<EnumState*>(param);
    s->out->push_back({IntOrMinusOne(s->type), IntOrMinusOne(s->name), language});
    return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
    auto* s = reinterpret_cast<EnumState*>(param);
    s->name = name;
    EnumResourceLanguagesW(module, type, name, OnLanguage, param);
    return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR param) {
    auto* s = reinterpret_cast<EnumState*>(param);
    s->type = type;
    EnumResourceNamesW(module, type, OnName, param);
    return TRUE;
}

} // namespace

ResourceFile::ResourceFile(const std::wstring& path)
    : m_module(LoadLibraryExW(path.c_str(), nullptr,
                              LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {
    if (!m_module)
        m_loadError = GetLastError();
}

std::optional<std::vector<uint8_t>> ResourceFile::Find(LPCWSTR type, int id, WORD language) const {
    if (!m_module)
        return std::nullopt;
    HRSRC info = FindResourceExW(m_module.get(), type, MAKEINTRESOURCEW(id), language);
    if (!info)
        return std::nullopt;
    HGLOBAL loaded = LoadResource(m_module.get(), info);
    const DWORD size = SizeofResource(m_module.get(), info);
    const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
    if (!data)
        return std::nullopt;
    return std::vector<uint8_t>(data, data + size);
}

std::vector<ResourceKey> ResourceFile::List() const {
    std::vector<ResourceKey> keys;
    if (!m_module)
        return keys;
    EnumState state{m_module.get(), &keys};
    EnumResourceTypesW(m_module.get(), OnType, reinterpret_cast<LONG_PTR>(&state));
    std::sort(keys.begin(), keys.end());
    return keys;
}

int ResourceFile::IconImageId(int group, int size, WORD language) const {
    auto bytes = Find(RT_GROUP_ICON, group, language);
    return bytes ? LookupIconIdFromDirectoryEx(bytes->data(), TRUE, size, size, LR_DEFAULTCOLOR)
                 : 0;
}

const ResourceFile& ProgramResources() {
    static const ResourceFile program(ztest::ExeDir() + L"\\Zelvanor.exe");
    return program;
}

const ResourceFile& EnglishResources() {
    static const ResourceFile library(ztest::ExeDir() + L"\\english\\qorv.dll");
    return library;
}

BITMAPINFOHEADER InfoHeader(const std::vector<uint8_t>& bytes) {
    BITMAPINFOHEADER header{};
    if (bytes.size() >= sizeof header)
        std::memcpy(&header, bytes.data(), sizeof header);
    return header;
}
