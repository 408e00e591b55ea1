// The English resource library (english/qorv.dll beside the tests) against the program's own
// set: the same resources under the same types, ids and language, the same pictures, the same
// templates apart from their texts, and every text in English.
#include "res/resource.h"
#include "tests/res/ResourceFile.h"
#include "tests/res/ResourceParsers.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

using namespace ztest;

namespace {

const ResourceFile& English() {
    static const ResourceFile library(ExeDir() + L"\\english\\qorv.dll");
    return library;
}

int TypeId(LPCWSTR type) {
    return static_cast<int>(reinterpret_cast<ULONG_PTR>(type));
}

// What the program looks up in a resource library. The system reads the version block and the
// manifest from the program file alone; the library's version block only describes the file.
std::set<ResourceKey> LookedUp(const ResourceFile& file) {
    std::set<ResourceKey> keys;
    for (const ResourceKey& key : file.List()) {
        if (key.type != TypeId(RT_VERSION) && key.type != TypeId(RT_MANIFEST))
            keys.insert(key);
    }
    return keys;
}

std::vector<uint8_t> Bytes(const ResourceFile& file, const ResourceKey& key) {
    return file.Find(MAKEINTRESOURCEW(key.type), key.id, key.language)
        .value_or(std::vector<uint8_t>{});
}

::testing::AssertionResult PlainEnglish(const std::wstring& text) {
    if (text.empty())
        return ::testing::AssertionFailure() << "an empty text";
    for (wchar_t c : text) {
        if (c < 0x20 || c > 0x7E)
            return ::testing::AssertionFailure() << "character " << static_cast<int>(c);
    }
    return ::testing::AssertionSuccess();
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

void ExpectSameMenuShape(const MenuEntry& program, const MenuEntry& english) {
    SCOPED_TRACE(Narrow(english.text));
    EXPECT_EQ(english.flags, program.flags);
    EXPECT_EQ(english.id, program.id);
    EXPECT_EQ(english.text.empty(), program.text.empty());
    if (!english.text.empty()) {
        EXPECT_TRUE(PlainEnglish(english.text));
    }
    ASSERT_EQ(english.children.size(), program.children.size());
    for (size_t i = 0; i < english.children.size(); ++i)
        ExpectSameMenuShape(program.children[i], english.children[i]);
}

TEST(EnglishLibrary, CarriesTheProgramsSetIdByIdAndTypeByType) {
    ASSERT_NE(English().Module(), nullptr) << "english\\qorv.dll, error " << English().LoadError();
    const std::set<ResourceKey> program = LookedUp(ProgramResources());
    const std::set<ResourceKey> english = LookedUp(English());
    ASSERT_FALSE(program.empty());
    for (const ResourceKey& key : program) {
        if (!english.count(key))
            ADD_FAILURE() << "only the program has type " << key.type << " id " << key.id
                          << " language " << key.language;
    }
    for (const ResourceKey& key : english) {
        if (!program.count(key))
            ADD_FAILURE() << "only the library has type " << key.type << " id " << key.id
                          << " language " << key.language;
    }
    // Pictures and the bar's template carry no text: byte for byte the program's.
    for (const ResourceKey& key : program) {
        const bool texts = key.type == TypeId(RT_MENU) || key.type == TypeId(RT_STRING) ||
                           (key.type == TypeId(RT_DIALOG) && key.id == IDD_ABOUTBOX);
        if (!texts && english.count(key)) {
            EXPECT_EQ(Bytes(English(), key), Bytes(ProgramResources(), key))
                << "type " << key.type << " id " << key.id;
        }
    }
    // The file's own description names the program's version.
    const auto version = [](const ResourceFile& file, WORD language) {
        const VersionNode root =
            ParseVersion(file.Find(RT_VERSION, 1, language).value_or(std::vector<uint8_t>(4, 0)));
        return root.binary.size() >= 16
                   ? std::vector<uint8_t>(root.binary.begin() + 8, root.binary.begin() + 16)
                   : std::vector<uint8_t>{};
    };
    EXPECT_FALSE(version(English(), kEnglishUS).empty());
    EXPECT_EQ(version(English(), kEnglishUS), version(ProgramResources(), kChineseSimplified));
}

// Nothing of it can run: no entry point and nothing imported.
TEST(EnglishLibrary, HoldsNoCode) {
    std::vector<char> file(1 << 20);
    FILE* in = _wfopen((ExeDir() + L"\\english\\qorv.dll").c_str(), L"rb");
    ASSERT_NE(in, nullptr);
    file.resize(fread(file.data(), 1, file.size(), in));
    fclose(in);
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

TEST(EnglishLibrary, KeepsTheTemplatesAndSpeaksEnglish) {
    ASSERT_NE(English().Module(), nullptr);
    const auto get = [](const ResourceFile& file, LPCWSTR type, int id) {
        return file.Find(type, id, kChineseSimplified).value_or(std::vector<uint8_t>{});
    };
    const DialogTemplate program = ParseDialogEx(get(ProgramResources(), RT_DIALOG, IDD_ABOUTBOX));
    const DialogTemplate english = ParseDialogEx(get(English(), RT_DIALOG, IDD_ABOUTBOX));
    EXPECT_EQ(english.style, program.style);
    EXPECT_EQ(english.cx, program.cx);
    EXPECT_EQ(english.cy, program.cy);
    EXPECT_TRUE(PlainEnglish(english.caption));
    ASSERT_EQ(english.items.size(), program.items.size());
    for (size_t i = 0; i < english.items.size(); ++i) {
        SCOPED_TRACE("About box control " + std::to_string(i));
        const DialogItem& e = english.items[i];
        const DialogItem& p = program.items[i];
        EXPECT_EQ(e.id, p.id);
        EXPECT_EQ(e.style, p.style);
        EXPECT_EQ(e.windowClass.ordinal, p.windowClass.ordinal);
        EXPECT_EQ(e.x, p.x);
        EXPECT_EQ(e.y, p.y);
        EXPECT_EQ(e.text.isOrdinal, p.text.isOrdinal);
        if (e.text.isOrdinal) {
            EXPECT_EQ(e.text.ordinal, p.text.ordinal);
        } else {
            EXPECT_TRUE(PlainEnglish(e.text.text));
        }
    }

    for (int id : {IDR_BAR_MENU, IDR_TRAY_MENU}) {
        const MenuTemplate p = ParseMenu(get(ProgramResources(), RT_MENU, id));
        const MenuTemplate e = ParseMenu(get(English(), RT_MENU, id));
        ASSERT_EQ(e.items.size(), p.items.size()) << "menu " << id;
        for (size_t i = 0; i < e.items.size(); ++i)
            ExpectSameMenuShape(p.items[i], e.items[i]);
    }

    const int block = IDS_ABOUTBOX / 16 + 1;
    const std::vector<std::wstring> p = ParseStringBlock(get(ProgramResources(), RT_STRING, block));
    const std::vector<std::wstring> e = ParseStringBlock(get(English(), RT_STRING, block));
    ASSERT_EQ(e.size(), p.size());
    for (size_t i = 0; i < e.size(); ++i) {
        EXPECT_EQ(e[i].empty(), p[i].empty()) << "string " << (block - 1) * 16 + i;
        if (!e[i].empty()) {
            EXPECT_TRUE(PlainEnglish(e[i])) << "string " << (block - 1) * 16 + i;
        }
    }
    // The default name takes the area's number, once.
    const std::wstring& name = e[IDS_WORKING_AREA_NAME % 16];
    EXPECT_EQ(name.find(L"%d"), name.rfind(L'%'));
    EXPECT_NE(name.find(L"%d"), std::wstring::npos) << Narrow(name);
}

} // namespace
