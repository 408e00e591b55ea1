// Read-only view of another module's resources: the module is mapped as a data file (never run)
// and resources are fetched by integer type, id and exact language.
#pragma once
#include "tests/support/TestHandles.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct ResourceKey {
    int type; // integer type, or -1 when the type is a string
    int id;   // integer id, or -1 when the name is a string
    WORD language;
    bool operator<(const ResourceKey& o) const {
        return type != o.type ? type < o.type : id != o.id ? id < o.id : language < o.language;
    }
    friend std::ostream& operator<<(std::ostream& out, const ResourceKey& k) {
        return out << "type " << k.type << " id " << k.id << " language " << k.language;
    }
};

inline int TypeId(LPCWSTR type) {
    return static_cast<int>(reinterpret_cast<ULONG_PTR>(type));
}

class ResourceFile {
public:
    explicit ResourceFile(const std::wstring& path);

    HMODULE Module() const { return m_module.get(); }
    DWORD LoadError() const { return m_loadError; }

    // The resource's bytes in exactly that language, or nothing when it is missing.
    std::optional<std::vector<uint8_t>> Find(LPCWSTR type, int id, WORD language) const;
    // Every resource of the module, sorted.
    std::vector<ResourceKey> List() const;
    // The id of the image that the system picks from an icon group for a size; 0 when none.
    int IconImageId(int group, int size, WORD language) const;

private:
    ztest::UniqueModule m_module;
    DWORD m_loadError = 0;
};

// The program under test and its English library, each mapped once for all tests of the process.
const ResourceFile& ProgramResources();
const ResourceFile& EnglishResources();

// The header at the start of a bitmap or icon image resource; zeros when it is too short.
BITMAPINFOHEADER InfoHeader(const std::vector<uint8_t>& bytes);

// The sizes the program's icon has a picture of its own for: the small and the large icon at 100
// to 200 %, and a file browser's large views.
constexpr int kIconSizes[] = {16, 20, 24, 32, 48, 64, 128};

constexpr WORD kChineseSimplified = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED); // 2052
constexpr WORD kEnglishUS = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);                 // 1033
