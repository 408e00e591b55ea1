// The English resource library (english/qorv.dll beside the tests) against the program's own
// set: the same resources under the same types, ids and language, and the same pictures and bar
// template byte for byte. What the two show, texts and templates, is compared in
// ResourceTableTests.cpp.
#include "res/resource.h"
#include "tests/res/ResourceFile.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

using namespace ztest;

namespace {

// What the program looks up in a resource library. The system reads the version block and the
// manifest from the program file alone; the library's version block only describes the file.
std::set<ResourceKey> LookedUp(const ResourceFile& file) {
    std::set<ResourceKey> keys;
    for (const ResourceKey& key : file.List())
        if (key.type != TypeId(RT_VERSION) && key.type != TypeId(RT_MANIFEST))
            keys.insert(key);
    return keys;
}

std::vector<uint8_t> Bytes(const ResourceFile& file, const ResourceKey& key) {
    return file.Find(MAKEINTRESOURCEW(key.type), key.id, key.language)
        .value_or(std::vector<uint8_t>{});
}

TEST(EnglishLibrary, CarriesTheProgramsSetIdByIdAndTypeByType) {
    ASSERT_NE(EnglishResources().Module(), nullptr)
        << "english\\qorv.dll, error " << EnglishResources().LoadError();
    const std::set<ResourceKey> program = LookedUp(ProgramResources());
    const std::set<ResourceKey> english = LookedUp(EnglishResources());
    ASSERT_FALSE(program.empty());
    for (const ResourceKey& key : program)
        EXPECT_TRUE(english.count(key)) << "only the program has " << key;
    for (const ResourceKey& key : english)
        EXPECT_TRUE(program.count(key)) << "only the library has " << key;
    // Pictures and the bar's template carry no text: byte for byte the program's.
    for (const ResourceKey& key : program) {
        const bool texts = key.type == TypeId(RT_MENU) || key.type == TypeId(RT_STRING) ||
                           (key.type == TypeId(RT_DIALOG) && key.id == IDD_ABOUTBOX);
        if (!texts && english.count(key)) {
            EXPECT_EQ(Bytes(EnglishResources(), key), Bytes(ProgramResources(), key)) << key;
        }
    }
}

// Nothing of it can run: no entry point and nothing imported.
TEST(EnglishLibrary, HoldsNoCode) {
    std::ifstream in((ExeDir() + L"\\english\\qorv.dll").c_str(), std::ios::binary);
    ASSERT_TRUE(in);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(file.size(), sizeof(IMAGE_DOS_HEADER));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
    ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS), file.size());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(file.data() + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    ASSERT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR_MAGIC) << "another architecture";
    EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL);
    EXPECT_EQ(nt->OptionalHeader.AddressOfEntryPoint, 0u);
    // The linker leaves an import table that holds only its end mark.
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; imports.Size && i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        const DWORD offset = imports.VirtualAddress - section->VirtualAddress;
        if (imports.VirtualAddress >= section->VirtualAddress && offset < section->SizeOfRawData) {
            ASSERT_LE(section->PointerToRawData + offset + sizeof(IMAGE_IMPORT_DESCRIPTOR),
                      file.size());
            const auto* first = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
                file.data() + section->PointerToRawData + offset);
            EXPECT_EQ(first->Name, 0u) << "the library imports a DLL";
        }
    }
}

} // namespace
