// The resource set of the built program, read back from Zelvanor.exe: ids, types, languages and
// the decoded contents of every template, table and image header.
#include "ResourceFile.h"
#include "ResourceParsers.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

struct BitmapSpec {
    int id;
    int width, height;
};

// Every bitmap of the set with its pixel size.
const BitmapSpec kBitmaps[] = {
    {IDB_AREA_ROW_HOVER, 323, 79},
    {IDB_COLLAPSE, 26, 18},
    {IDB_COLLAPSE_PRESSED, 26, 18},
    {IDB_COLLAPSE_HOVER, 26, 18},
    {IDB_AREA_ROW_PRESSED, 323, 79},
    {IDB_AREA_ROW, 323, 79},
    {IDB_AREA_ROW_SELECTED, 323, 79},
    {IDB_EXPAND, 26, 18},
    {IDB_EXPAND_PRESSED, 26, 18},
    {IDB_EXPAND_HOVER, 26, 18},
    {IDB_ABOUT, 198, 85},
    {IDB_CAPTION_MIN, 26, 18},
    {IDB_CAPTION_MAX, 26, 18},
    {IDB_CAPTION_CLOSE, 43, 18},
    {IDB_CAPTION_MIN_HOVER, 26, 18},
    {IDB_CAPTION_MAX_HOVER, 26, 18},
    {IDB_CAPTION_CLOSE_HOVER, 43, 18},
    {IDB_CAPTION_MIN_PRESSED, 26, 18},
    {IDB_CAPTION_MAX_PRESSED, 26, 18},
    {IDB_CAPTION_CLOSE_PRESSED, 43, 18},
    {IDB_CAPTION_RESTORE, 26, 18},
    {IDB_CAPTION_RESTORE_HOVER, 26, 18},
    {IDB_CAPTION_RESTORE_PRESSED, 26, 18},
    {IDB_CLOSE, 19, 18},
    {IDB_CLOSE_HOVER, 19, 18},
    {IDB_CLOSE_PRESSED, 19, 18},
    {IDB_GRAYBTN_MID, 1, 32},
    {IDB_GRAYBTN_LEFT, 3, 32},
    {IDB_GRAYBTN_RIGHT, 3, 32},
    {IDB_GRAYBTN_HOVER_MID, 1, 32},
    {IDB_GRAYBTN_HOVER_LEFT, 3, 31},
    {IDB_GRAYBTN_HOVER_RIGHT, 3, 32},
    {IDB_GRAYBTN_PRESSED_MID, 1, 32},
    {IDB_GRAYBTN_PRESSED_LEFT, 3, 32},
    {IDB_GRAYBTN_PRESSED_RIGHT, 3, 32},
};

std::vector<uint8_t> Get(LPCWSTR type, int id, WORD language = kChineseSimplified) {
    auto bytes = ProgramResources().Find(type, id, language);
    if (!bytes) {
        ADD_FAILURE() << "resource type " << reinterpret_cast<ULONG_PTR>(type) << " id " << id
                      << " language " << language << " is missing";
        return {};
    }
    return *bytes;
}

int TypeId(LPCWSTR type) {
    return static_cast<int>(reinterpret_cast<ULONG_PTR>(type));
}

TEST(ResourceSet, ProgramLoadsAsDataFile) {
    ASSERT_NE(ProgramResources().Module(), nullptr)
        << "LoadLibraryExW failed, error " << ProgramResources().LoadError();
}

// The whole inventory: nothing missing, nothing extra, every resource in exactly one language.
TEST(ResourceSet, EveryResourceHasItsTypeIdAndLanguage) {
    std::set<ResourceKey> expected;
    for (const BitmapSpec& b : kBitmaps)
        expected.insert({TypeId(RT_BITMAP), b.id, kChineseSimplified});
    for (int id = 1; id <= 7; ++id)
        expected.insert({TypeId(RT_ICON), id, kChineseSimplified});
    expected.insert({TypeId(RT_GROUP_ICON), IDR_MAINFRAME, kChineseSimplified});
    expected.insert({TypeId(RT_DIALOG), IDD_ABOUTBOX, kChineseSimplified});
    expected.insert({TypeId(RT_DIALOG), IDD_ZELVANOR_DIALOG, kChineseSimplified});
    expected.insert({TypeId(RT_MENU), IDR_BAR_MENU, kChineseSimplified});
    expected.insert({TypeId(RT_MENU), IDR_TRAY_MENU, kChineseSimplified});
    expected.insert({TypeId(RT_STRING), IDS_ABOUTBOX / 16 + 1, kChineseSimplified});
    expected.insert({TypeId(RT_VERSION), 1, kChineseSimplified});
    expected.insert({TypeId(RT_MANIFEST), 1, kEnglishUS});

    const std::vector<ResourceKey> listed = ProgramResources().List();
    const std::set<ResourceKey> actual(listed.begin(), listed.end());
    EXPECT_EQ(listed.size(), actual.size()) << "a resource is listed twice";
    for (const ResourceKey& k : expected)
        EXPECT_TRUE(actual.count(k))
            << "missing: type " << k.type << " id " << k.id << " language " << k.language;
    for (const ResourceKey& k : actual)
        EXPECT_TRUE(expected.count(k))
            << "unexpected: type " << k.type << " id " << k.id << " language " << k.language;
}

TEST(ResourceSet, BitmapsAre24BitUncompressedBottomUpOfTheirSize) {
    for (const BitmapSpec& b : kBitmaps) {
        SCOPED_TRACE("bitmap " + std::to_string(b.id));
        const std::vector<uint8_t> bytes = Get(RT_BITMAP, b.id);
        if (bytes.empty())
            continue;
        const BITMAPINFOHEADER h = ReadInfoHeader(bytes);
        EXPECT_EQ(h.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(h.biWidth, b.width);
        EXPECT_EQ(h.biHeight, b.height); // positive: bottom-up
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, 24);
        EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(h.biClrUsed, 0u);
        const size_t stride = (static_cast<size_t>(b.width) * 3 + 3) & ~static_cast<size_t>(3);
        EXPECT_GE(bytes.size(), sizeof(BITMAPINFOHEADER) + stride * b.height);
    }
}

TEST(ResourceSet, IconGroupHoldsSevenAlphaDibsLargestFirst) {
    const IconGroup group = ParseIconGroup(Get(RT_GROUP_ICON, IDR_MAINFRAME));
    EXPECT_EQ(group.reserved, 0);
    EXPECT_EQ(group.type, 1); // icon, not cursor
    const int sizes[] = {128, 64, 48, 32, 24, 20, 16};
    ASSERT_EQ(group.entries.size(), 7u);
    for (size_t i = 0; i < 7; ++i) {
        const IconGroupEntry& e = group.entries[i];
        const int size = sizes[i];
        SCOPED_TRACE("icon image " + std::to_string(size));
        EXPECT_EQ(e.width, size);
        EXPECT_EQ(e.height, size);
        EXPECT_EQ(e.colorCount, 0);
        EXPECT_EQ(e.planes, 1);
        EXPECT_EQ(e.bitCount, 32);
        EXPECT_EQ(e.id, i + 1);

        const std::vector<uint8_t> image = Get(RT_ICON, e.id);
        ASSERT_EQ(image.size(), e.bytesInRes);
        ASSERT_GE(image.size(), 8u);
        EXPECT_NE(std::string(image.begin() + 1, image.begin() + 4), "PNG");
        const BITMAPINFOHEADER h = ReadInfoHeader(image);
        EXPECT_EQ(h.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(h.biWidth, size);
        EXPECT_EQ(h.biHeight, 2 * size); // colour image plus AND mask
        EXPECT_EQ(h.biBitCount, 32);
        EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
        const size_t maskStride = ((size + 31) / 32) * 4;
        EXPECT_EQ(image.size(), sizeof h + size * size * 4u + maskStride * size);
    }
}

void ExpectName(const NameOrOrdinal& n, const std::wstring& text) {
    EXPECT_FALSE(n.isOrdinal) << "ordinal " << n.ordinal << " where text was expected";
    EXPECT_EQ(n.text, text);
}

void ExpectOrdinal(const NameOrOrdinal& n, WORD ordinal) {
    EXPECT_TRUE(n.isOrdinal) << "text \"" << std::string(n.text.begin(), n.text.end())
                             << "\" where an ordinal was expected";
    EXPECT_EQ(n.ordinal, ordinal);
}

// The header every dialog of the program shares, with what tells them apart.
void ExpectDialogHeader(const DialogTemplate& d, DWORD style, DWORD exStyle,
                        const std::wstring& caption, short cx, short cy, size_t items) {
    EXPECT_EQ(d.style, style) << std::hex << d.style;
    EXPECT_EQ(d.exStyle, exStyle) << std::hex << d.exStyle;
    EXPECT_EQ(d.caption, caption);
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.cx, cx);
    EXPECT_EQ(d.cy, cy);
    EXPECT_EQ(d.items.size(), items);
    EXPECT_EQ(d.version, 1);
    EXPECT_EQ(d.signature, 0xFFFF);
    EXPECT_EQ(d.helpId, 0u);
    ExpectName(d.menu, L"");
    ExpectName(d.windowClass, L"");
    EXPECT_EQ(d.pointSize, 9);
    EXPECT_EQ(d.weight, 0);
    EXPECT_EQ(d.italic, 0);
    EXPECT_EQ(d.charset, 1);
    EXPECT_EQ(d.face, L"MS Shell Dlg");
}

void ExpectItem(const DialogItem& item, DWORD id, WORD classOrdinal, DWORD style, short x, short y,
                short cx, short cy) {
    EXPECT_EQ(item.id, id);
    ExpectOrdinal(item.windowClass, classOrdinal);
    EXPECT_EQ(item.style, style) << std::hex << "0x" << item.style << " instead of 0x" << style;
    EXPECT_EQ(item.exStyle, 0u);
    EXPECT_EQ(item.helpId, 0u);
    EXPECT_EQ(item.x, x);
    EXPECT_EQ(item.y, y);
    EXPECT_EQ(item.cx, cx);
    EXPECT_EQ(item.cy, cy);
    EXPECT_EQ(item.extraBytes, 0);
}

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

TEST(ResourceSet, AboutDialogTemplate) {
    const DialogTemplate d = ParseDialogEx(Get(RT_DIALOG, IDD_ABOUTBOX));
    ExpectDialogHeader(d, 0x80C800C8u, 0, L"Zelvanor", 191, 83, 5);
    ASSERT_EQ(d.items.size(), 5u);

    ExpectItem(d.items[0], 0xFFFFFFFF, kStatic, 0x50000003, 153, 17, 20, 20);
    ExpectOrdinal(d.items[0].text, IDR_MAINFRAME);
    ExpectItem(d.items[1], 0xFFFFFFFF, kStatic, 0x50020080, 14, 51, 114, 8);
    ExpectName(d.items[1].text, L"Zelvanor版本：1.0");
    ExpectItem(d.items[2], 0xFFFFFFFF, kStatic, 0x50020000, 14, 63, 126, 8);
    EXPECT_FALSE(d.items[2].text.isOrdinal);
    EXPECT_NE(d.items[2].text.text.find(L"2015"), std::wstring::npos);
    EXPECT_EQ(d.items[2].text.text.find(L'\n'), std::wstring::npos);
    ExpectItem(d.items[3], IDOK, kButton, 0x50030001, 146, 62, 38, 14);
    ExpectName(d.items[3].text, L"确定");
    ExpectItem(d.items[4], 0xFFFFFFFF, kStatic, 0x5000000E, 0, 0, 113, 49);
    ExpectOrdinal(d.items[4].text, IDB_ABOUT);
}

TEST(ResourceSet, BarDialogTemplate) {
    const DialogTemplate d = ParseDialogEx(Get(RT_DIALOG, IDD_ZELVANOR_DIALOG));
    // No WS_CAPTION and no WS_SYSMENU; a tool window, topmost.
    ExpectDialogHeader(d, 0x90800048u, 0x88u, L"", 75, 199, 1);
    ASSERT_EQ(d.items.size(), 1u);
    ExpectItem(d.items[0], IDC_RENAME_EDIT, kEdit, 0x40810080, 0, 21, 40, 14); // hidden
    ExpectName(d.items[0].text, L"");
}

struct ItemSpec {
    WORD id;
    const wchar_t* text; // null for a separator
};

void ExpectMenu(int menuId, const wchar_t* popupText, const std::vector<ItemSpec>& items) {
    const MenuTemplate m = ParseMenu(Get(RT_MENU, menuId));
    EXPECT_EQ(m.version, 0);
    EXPECT_EQ(m.headerSize, 0);
    ASSERT_EQ(m.items.size(), 1u) << "one popup only";
    const MenuEntry& popup = m.items[0];
    EXPECT_EQ(popup.flags, MF_POPUP | MF_END);
    EXPECT_EQ(popup.text, popupText);
    ASSERT_EQ(popup.children.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE("menu item " + std::to_string(i));
        const MenuEntry& e = popup.children[i];
        const WORD end = i + 1 == items.size() ? MF_END : 0;
        if (items[i].text) {
            EXPECT_EQ(e.flags, end) << "a plain enabled string item";
            EXPECT_EQ(e.id, items[i].id);
            EXPECT_EQ(e.text, items[i].text);
        } else {
            EXPECT_EQ(e.flags & ~(MF_SEPARATOR | MF_END), 0);
            EXPECT_EQ(e.id, 0);
            EXPECT_EQ(e.text, L"");
        }
        EXPECT_TRUE(e.children.empty());
    }
}

TEST(ResourceSet, BarAndTrayMenus) {
    ExpectMenu(IDR_BAR_MENU, L"右键菜单",
               {{ID_ADD_WORKING_AREA, L"添加工作区"},
                {ID_DELETE_WORKING_AREA, L"删除工作区"},
                {ID_RENAME_WORKING_AREA, L"重命名"}});
    ExpectMenu(IDR_TRAY_MENU, L"TRAY",
               {{ID_TRAY_OPEN, L"打开"},
                {ID_TRAY_ADD_WORKING_AREA, L"添加工作区"},
                {ID_TRAY_ABOUT, L"关于Zelvanor ..."},
                {0, nullptr},
                {ID_TRAY_EXIT, L"退出"}});
}

TEST(ResourceSet, StringBlockSeven) {
    const std::vector<std::wstring> block = ParseStringBlock(Get(RT_STRING, 7));
    ASSERT_EQ(block.size(), 16u);
    for (int id = 96; id < 112; ++id) {
        const std::wstring& s = block[static_cast<size_t>(id - 96)];
        switch (id) {
        case IDS_ABOUTBOX:
            EXPECT_EQ(s, L"关于 Zelvanor(&A)...");
            break;
        case IDS_WORKING_AREA_NAME:
            EXPECT_EQ(s, L"工作区%d");
            break;
        case IDS_ADD_WORKING_AREA:
            EXPECT_EQ(s, L"添加工作区");
            break;
        default:
            EXPECT_EQ(s, L"") << "string " << id << " should be unused";
        }
    }
}

TEST(ResourceSet, VersionBlock) {
    const VersionNode root = ParseVersion(Get(RT_VERSION, 1));
    EXPECT_EQ(root.key, L"VS_VERSION_INFO");
    ASSERT_EQ(root.binary.size(), sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO f;
    std::memcpy(&f, root.binary.data(), sizeof f);
    EXPECT_EQ(f.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(f.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(f.dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(f.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(f.dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(f.dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(f.dwFileFlags, 0u);
    EXPECT_EQ(f.dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(f.dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(f.dwFileSubtype, 0u);

    const VersionNode* strings = root.Child(L"StringFileInfo");
    ASSERT_NE(strings, nullptr);
    ASSERT_EQ(strings->children.size(), 1u);
    const VersionNode& table = strings->children[0];
    EXPECT_EQ(table.key, L"080404b0");
    const std::vector<std::wstring> keys = {
        L"CompanyName",    L"FileDescription",  L"FileVersion", L"InternalName",
        L"LegalCopyright", L"OriginalFilename", L"ProductName", L"ProductVersion"};
    ASSERT_EQ(table.children.size(), keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(table.children[i].key, keys[i]);
        EXPECT_EQ(table.children[i].type, 1) << "text value";
    }
    EXPECT_FALSE(table.children[0].text.empty());
    EXPECT_EQ(table.children[1].text, L"Zelvanor");
    EXPECT_EQ(table.children[2].text, L"1.0.0.1");
    EXPECT_EQ(table.children[3].text, L"Zelvanor.exe");
    EXPECT_NE(table.children[4].text.find(L"Copyright"), std::wstring::npos);
    EXPECT_EQ(table.children[5].text, L"Zelvanor.exe");
    EXPECT_EQ(table.children[6].text, L"Zelvanor");
    EXPECT_EQ(table.children[7].text, L"1.0.0.1");

    const VersionNode* vars = root.Child(L"VarFileInfo");
    ASSERT_NE(vars, nullptr);
    const VersionNode* translation = vars->Child(L"Translation");
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(translation->binary.size(), 4u);
    EXPECT_EQ(translation->binary[0] | translation->binary[1] << 8, 0x0804);
    EXPECT_EQ(translation->binary[2] | translation->binary[3] << 8, 1200);
}

// Each build names its own architecture: a 64-bit program bound to the 32-bit common controls
// does not start.
#ifdef _WIN64
constexpr char kOwnArchitecture[] = "processorArchitecture=\"amd64\"";
#else
constexpr char kOwnArchitecture[] = "processorArchitecture=\"x86\"";
#endif

TEST(ResourceSet, ManifestAsksForCommonControls6AsInvokerDpiAwarePerMonitorOnWindows7To11) {
    const std::vector<uint8_t> bytes = Get(RT_MANIFEST, 1, kEnglishUS);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("manifestVersion=\"1.0\""), std::string::npos);
    for (const char* part :
         {"name=\"Microsoft.Windows.Common-Controls\"", "type=\"win32\"", "version=\"6.0.0.0\"",
          kOwnArchitecture, "publicKeyToken=\"6595b64144ccf1df\"", "language=\"*\"",
          "level=\"asInvoker\"", "uiAccess=\"false\""})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    const size_t dpi = text.find("<dpiAware");
    ASSERT_NE(dpi, std::string::npos);
    EXPECT_EQ(text.substr(text.find('>', dpi) + 1, 4), "true");
    const size_t perMonitor = text.find("<dpiAwareness");
    ASSERT_NE(perMonitor, std::string::npos);
    EXPECT_EQ(text.substr(text.find('>', perMonitor) + 1, 12), "PerMonitorV2");
    // Declared for Windows 7, 8, 8.1 and 10/11: no compatibility shims, nothing swallowed.
    const size_t compatibility =
        text.find("<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">");
    ASSERT_NE(compatibility, std::string::npos);
    const std::string section =
        text.substr(compatibility, text.find("</compatibility>") - compatibility);
    for (const char* os :
         {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
          "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(section.find(std::string("<supportedOS Id=\"") + os + "\"/>"), std::string::npos)
            << os;
}

} // namespace
