// The program's resources as the system's loaders hand them to the program and to whoever looks
// at its file: pictures, icon, dialogs, menus, strings and the version block of the built
// Zelvanor.exe, mapped as a data file the way a resource library is used, and of the English
// library, which must show the same in everything but the words.
#include "res/resource.h"
#include "tests/res/ResourceFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Desktop.h"
#include "tests/support/Image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>

using namespace ztest;

namespace {

// The program's own resources, and the English library that stands in for them beside it.
struct Face {
    const char* name;
    const ResourceFile& file;
    bool english;
    std::wstring path;
};

const std::vector<Face>& BothFaces() {
    static const std::vector<Face> faces = {
        {"program", ProgramResources(), false, ExeDir() + L"\\Zelvanor.exe"},
        {"English library", EnglishResources(), true, ExeDir() + L"\\english\\qorv.dll"}};
    return faces;
}

// The pictures by the button they belong to: its states are drawn in one place, so a
// state with another size would make the button jump. The gray button stretches its pieces to its
// own height, so only their widths must agree.
struct Pictures {
    std::vector<int> ids;
    bool widthOnly;
};
const Pictures kPictures[] = {
    {{IDB_CLOSE, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED}, false},
    {{IDB_COLLAPSE, IDB_COLLAPSE_HOVER, IDB_COLLAPSE_PRESSED, IDB_EXPAND, IDB_EXPAND_HOVER,
      IDB_EXPAND_PRESSED},
     false},
    {{IDB_CAPTION_CLOSE, IDB_CAPTION_CLOSE_HOVER, IDB_CAPTION_CLOSE_PRESSED}, false},
    {{IDB_CAPTION_MIN, IDB_CAPTION_MIN_HOVER, IDB_CAPTION_MIN_PRESSED, IDB_CAPTION_MAX,
      IDB_CAPTION_MAX_HOVER, IDB_CAPTION_MAX_PRESSED, IDB_CAPTION_RESTORE,
      IDB_CAPTION_RESTORE_HOVER, IDB_CAPTION_RESTORE_PRESSED},
     false},
    {{IDB_AREA_ROW, IDB_AREA_ROW_SELECTED, IDB_AREA_ROW_HOVER, IDB_AREA_ROW_PRESSED}, false},
    {{IDB_ABOUT}, false},
    {{IDB_GRAYBTN_MID, IDB_GRAYBTN_HOVER_MID, IDB_GRAYBTN_PRESSED_MID}, true},
    {{IDB_GRAYBTN_LEFT, IDB_GRAYBTN_HOVER_LEFT, IDB_GRAYBTN_PRESSED_LEFT}, true},
    {{IDB_GRAYBTN_RIGHT, IDB_GRAYBTN_HOVER_RIGHT, IDB_GRAYBTN_PRESSED_RIGHT}, true},
};

// The texts a user reads: Chinese in the program, plain English in the library.
::testing::AssertionResult Speaks(const Face& face, const std::wstring& text) {
    const bool chinese =
        std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x4E00 && c <= 0x9FFF; });
    const bool plain =
        std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x20 && c <= 0x7E; });
    if (!text.empty() && (face.english ? plain : chinese))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << ::testing::PrintToString(text) << " is not in the language of the " << face.name;
}

std::wstring String(const Face& face, UINT id) {
    wchar_t text[256] = {};
    return LoadStringW(face.file.Module(), id, text, 256) > 0 ? text : L"";
}

SIZE BitmapSize(HGDIOBJ bitmap) {
    BITMAP bm{};
    GetObjectW(bitmap, sizeof bm, &bm);
    return {bm.bmWidth, bm.bmHeight};
}

// The size of an icon's colour image; nothing for a monochrome icon, which has none.
SIZE ColourSize(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info))
        return {};
    UniqueGdiObject colour(info.hbmColor), mask(info.hbmMask);
    return colour ? BitmapSize(colour.get()) : SIZE{};
}

// The version block as a file's properties show it, in its one language.
struct Version {
    VS_FIXEDFILEINFO fixed{};
    UINT translations = 0;
    WORD language = 0, codePage = 0;
    std::wstring Get(const wchar_t* key) const {
        auto it = strings.find(key);
        return it == strings.end() ? L"" : it->second;
    }
    std::map<std::wstring, std::wstring> strings;
};

Version ReadVersion(const std::wstring& path) {
    Version v;
    DWORD ignored = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    void* p = nullptr;
    UINT size = 0;
    if (data.empty() || !GetFileVersionInfoW(path.c_str(), 0, data.size(), data.data()))
        return v;
    if (VerQueryValueW(data.data(), L"\\", &p, &size) && size >= sizeof v.fixed)
        v.fixed = *static_cast<VS_FIXEDFILEINFO*>(p);
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &p, &size) || size < 4)
        return v;
    v.translations = size / 4;
    v.language = static_cast<WORD*>(p)[0];
    v.codePage = static_cast<WORD*>(p)[1];
    for (const wchar_t* key :
         {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName", L"LegalCopyright",
          L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
        wchar_t query[96];
        swprintf(query, 96, L"\\StringFileInfo\\%04x%04x\\%ls", v.language, v.codePage, key);
        if (VerQueryValueW(data.data(), query, &p, &size) && size > 0)
            v.strings[key] = static_cast<const wchar_t*>(p);
    }
    return v;
}

const Version& ProgramVersion() {
    static const Version version = ReadVersion(BothFaces()[0].path);
    return version;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

UniqueWindow CreateFrom(const Face& face, int id) {
    return UniqueWindow(
        CreateDialogParamW(face.file.Module(), MAKEINTRESOURCEW(id), nullptr, QuietDialogProc, 0));
}

RECT ClientRectOf(HWND child) {
    RECT rect = WindowRect(child);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The text shown whole in the control's font, on one line.
::testing::AssertionResult Fits(HWND control) {
    const std::wstring text = TitleOf(control);
    HDC dc = GetDC(control);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    RECT box{};
    GetClientRect(control, &box);
    if (extent.cx <= box.right && text.find(L'\n') == std::wstring::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "text " << extent.cx << " wide in " << box.right;
}

} // namespace

TEST(ResourceSet, ProgramLoadsAsDataFile) {
    ASSERT_NE(ProgramResources().Module(), nullptr)
        << "LoadLibraryExW failed, error " << ProgramResources().LoadError();
}

// Every id the code and the templates refer to, under its type in the program's language, once;
// nothing else but the manifest, which the system looks up in US English.
TEST(ResourceSet, EveryResourceHasItsTypeIdAndLanguage) {
    std::set<ResourceKey> expected = {
        {TypeId(RT_GROUP_ICON), IDR_MAINFRAME, kChineseSimplified},
        {TypeId(RT_DIALOG), IDD_ABOUTBOX, kChineseSimplified},
        {TypeId(RT_DIALOG), IDD_ZELVANOR_DIALOG, kChineseSimplified},
        {TypeId(RT_MENU), IDR_BAR_MENU, kChineseSimplified},
        {TypeId(RT_MENU), IDR_TRAY_MENU, kChineseSimplified},
        {TypeId(RT_STRING), IDS_ABOUTBOX / 16 + 1, kChineseSimplified},
        {TypeId(RT_VERSION), 1, kChineseSimplified},
        {TypeId(RT_MANIFEST), 1, kEnglishUS}};
    for (const Pictures& family : kPictures)
        for (int id : family.ids)
            expected.insert({TypeId(RT_BITMAP), id, kChineseSimplified});
    // The icon's images are those the system picks at its sizes, one for each.
    std::set<int> images;
    for (int size : kIconSizes)
        images.insert(ProgramResources().IconImageId(IDR_MAINFRAME, size, kChineseSimplified));
    EXPECT_EQ(images.size(), std::size(kIconSizes)) << "two sizes share an icon image";
    for (int id : images)
        expected.insert({TypeId(RT_ICON), id, kChineseSimplified});

    const std::vector<ResourceKey> listed = ProgramResources().List();
    const std::set<ResourceKey> actual(listed.begin(), listed.end());
    EXPECT_EQ(listed.size(), actual.size()) << "a resource is listed twice";
    for (const ResourceKey& k : expected)
        EXPECT_TRUE(actual.count(k)) << "missing: " << k;
    for (const ResourceKey& k : actual)
        EXPECT_TRUE(expected.count(k)) << "unexpected: " << k;
}

// Each picture as the system's loader hands it out: as it was drawn, 24 bits a pixel, and the
// size of the other states of its button.
TEST(ResourceSet, BitmapsLoadAt24BitsEveryStateTheSizeOfItsButton) {
    const HMODULE module = ProgramResources().Module();
    ASSERT_NE(module, nullptr);
    for (const Pictures& family : kPictures) {
        SIZE first{};
        for (int id : family.ids) {
            SCOPED_TRACE("bitmap " + std::to_string(id));
            UniqueGdiObject bitmap(
                LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
            ASSERT_TRUE(bitmap) << "LoadImageW error " << GetLastError();
            DIBSECTION dib{};
            ASSERT_EQ(GetObjectW(bitmap.get(), sizeof dib, &dib), static_cast<int>(sizeof dib));
            EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
            EXPECT_EQ(dib.dsBmih.biCompression, static_cast<DWORD>(BI_RGB));
            EXPECT_TRUE(UniqueGdiObject(LoadBitmapW(module, MAKEINTRESOURCEW(id))))
                << "LoadBitmapW error " << GetLastError();
            const SIZE size{dib.dsBm.bmWidth, dib.dsBm.bmHeight};
            EXPECT_GT(size.cx * size.cy, 0);
            if (first.cx == 0)
                first = size;
            EXPECT_EQ(size.cx, first.cx);
            if (!family.widthOnly) {
                EXPECT_EQ(size.cy, first.cy);
            }
        }
    }
    EXPECT_EQ(LoadBitmapW(module, MAKEINTRESOURCEW(141)), nullptr) << "no bitmap 141";
}

// At every size the system asks for, the icon has an image of its own: a device-independent
// bitmap (which every version of the loader reads) with an alpha channel and a mask, which the
// loader makes into a colour icon of that size.
TEST(ResourceSet, IconHasItsOwnAlphaImageAtEverySize) {
    const HMODULE module = ProgramResources().Module();
    ASSERT_NE(module, nullptr);
    for (int size : kIconSizes) {
        SCOPED_TRACE("icon image " + std::to_string(size));
        const int id = ProgramResources().IconImageId(IDR_MAINFRAME, size, kChineseSimplified);
        const BITMAPINFOHEADER h = InfoHeader(ProgramResources()
                                                  .Find(RT_ICON, id, kChineseSimplified)
                                                  .value_or(std::vector<uint8_t>{}));
        EXPECT_EQ(h.biSize, sizeof(BITMAPINFOHEADER)) << "not a DIB (a PNG?)";
        EXPECT_EQ(h.biWidth, size);
        EXPECT_EQ(h.biHeight, 2 * size); // colour image plus AND mask
        EXPECT_EQ(h.biBitCount, 32);
        EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
        HICON icon = static_cast<HICON>(
            LoadImageW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
        EXPECT_EQ(ColourSize(icon).cx, size);
        EXPECT_EQ(ColourSize(icon).cy, size);
        DestroyIcon(icon);
    }
    // The shared icon of the system's own size, as the bar loads it: not destroyed by the caller.
    const SIZE shared = ColourSize(LoadIconW(module, MAKEINTRESOURCEW(IDR_MAINFRAME)));
    EXPECT_EQ(shared.cx, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(shared.cy, GetSystemMetrics(SM_CYICON));
}

// The About box as each face makes it: a fixed box with a caption and only a close button, the
// icon and the picture of its own module, the version and the notice of the program's file, and
// an OK button that takes Enter; nothing cut off, nothing over anything else, and the English
// box laid out as the program's.
TEST(ResourceSet, AboutDialogAsShown) {
    std::vector<RECT> programPlaces;
    for (const Face& face : BothFaces()) {
        SCOPED_TRACE(face.name);
        UniqueWindow dlg = CreateFrom(face, IDD_ABOUTBOX);
        ASSERT_TRUE(dlg) << "CreateDialogParamW error " << GetLastError();
        EXPECT_EQ(TitleOf(dlg.get()), ProgramVersion().Get(L"ProductName"));
        const LONG style = GetWindowLongW(dlg.get(), GWL_STYLE);
        EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
        EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
        EXPECT_EQ(GetWindowLongW(dlg.get(), GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST), 0);

        std::vector<HWND> texts, all;
        HWND icon = nullptr, picture = nullptr;
        for (HWND c = GetWindow(dlg.get(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            all.push_back(c);
            const LONG type = GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK;
            if (_wcsicmp(ClassOf(c).c_str(), L"Static") != 0)
                continue;
            if (type == SS_ICON)
                icon = c;
            else if (type == SS_BITMAP)
                picture = c;
            else
                texts.push_back(c);
        }
        ASSERT_EQ(all.size(), 5u);
        ASSERT_NE(icon, nullptr);
        EXPECT_NE(SendMessageW(icon, STM_GETICON, 0, 0), 0) << "icon static without an icon";
        ASSERT_NE(picture, nullptr);
        auto shown =
            reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_NE(shown, nullptr) << "bitmap static without a bitmap";
        UniqueGdiObject about(LoadBitmapW(face.file.Module(), MAKEINTRESOURCEW(IDB_ABOUT)));
        EXPECT_EQ(BitmapSize(shown).cx, BitmapSize(about.get()).cx);
        EXPECT_EQ(BitmapSize(shown).cy, BitmapSize(about.get()).cy);
        const RECT box = ClientRectOf(picture);
        EXPECT_EQ(box.right - box.left, BitmapSize(about.get()).cx) << "the picture's own size";

        // The version line names the file's version; the notice is the file's, maybe shortened.
        ASSERT_EQ(texts.size(), 2u);
        const std::wstring product = ProgramVersion().Get(L"ProductVersion");
        EXPECT_TRUE(Speaks(face, TitleOf(texts[0])));
        EXPECT_NE(TitleOf(texts[0]).find(product.substr(0, product.find(L'.', 2))),
                  std::wstring::npos);
        EXPECT_EQ(ProgramVersion().Get(L"LegalCopyright").find(TitleOf(texts[1])), 0u);
        EXPECT_EQ(ClientRectOf(texts[0]).left, ClientRectOf(texts[1]).left) << "one column";

        HWND ok = GetDlgItem(dlg.get(), IDOK);
        ASSERT_NE(ok, nullptr);
        EXPECT_TRUE(Speaks(face, TitleOf(ok)));
        EXPECT_TRUE(SendMessageW(ok, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
            << "Enter presses OK";
        EXPECT_EQ(GetNextDlgTabItem(dlg.get(), nullptr, FALSE), ok) << "the only tab stop";

        RECT client{};
        GetClientRect(dlg.get(), &client);
        for (size_t i = 0; i < all.size(); ++i) {
            SCOPED_TRACE("control " + std::to_string(i));
            const RECT r = ClientRectOf(all[i]);
            RECT inside{}, overlap{};
            EXPECT_TRUE(GetWindowLongW(all[i], GWL_STYLE) & WS_VISIBLE);
            EXPECT_TRUE(IntersectRect(&inside, &r, &client) && EqualRect(&inside, &r));
            for (size_t j = 0; j < i; ++j) {
                const RECT other = ClientRectOf(all[j]);
                EXPECT_FALSE(IntersectRect(&overlap, &r, &other)) << "over control " << j;
            }
            if (all[i] == ok || std::count(texts.begin(), texts.end(), all[i])) {
                EXPECT_TRUE(Fits(all[i]));
            }
            if (face.english && i < programPlaces.size()) {
                EXPECT_EQ(r.left, programPlaces[i].left);
                EXPECT_EQ(r.top, programPlaces[i].top);
            } else if (!face.english) {
                programPlaces.push_back(r);
            }
        }
    }
}

// The bar: no caption and no system menu, kept off the taskbar and above other windows, shown as
// soon as it is made, with its rename box hidden until a rename starts.
TEST(ResourceSet, BarDialogAsShown) {
    for (const Face& face : BothFaces()) {
        SCOPED_TRACE(face.name);
        UniqueWindow dlg = CreateFrom(face, IDD_ZELVANOR_DIALOG);
        ASSERT_TRUE(dlg) << "CreateDialogParamW error " << GetLastError();
        const LONG style = GetWindowLongW(dlg.get(), GWL_STYLE);
        EXPECT_EQ(style & WS_CAPTION, WS_BORDER);
        EXPECT_FALSE(style & WS_SYSMENU);
        EXPECT_TRUE(IsWindowVisible(dlg.get()));
        EXPECT_TRUE(GetWindowLongW(dlg.get(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        EXPECT_TRUE(GetWindowLongW(dlg.get(), GWL_EXSTYLE) & WS_EX_TOPMOST);
        HWND edit = GetDlgItem(dlg.get(), IDC_RENAME_EDIT);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(GetWindow(edit, GW_HWNDNEXT), nullptr) << "the rename box alone";
        EXPECT_EQ(GetWindow(dlg.get(), GW_CHILD), edit);
        EXPECT_EQ(_wcsicmp(ClassOf(edit).c_str(), L"Edit"), 0);
        EXPECT_FALSE(IsWindowVisible(edit));
        EXPECT_EQ(TitleOf(edit), L"");
        // A framed box that takes the keys and scrolls a name longer than itself.
        EXPECT_EQ(GetWindowLongW(edit, GWL_STYLE) & (WS_TABSTOP | ES_AUTOHSCROLL),
                  WS_TABSTOP | ES_AUTOHSCROLL);
        ShowWindow(edit, SW_SHOW);
        UpdateWindow(edit);
        const RECT box = ClientRectOf(edit);
        const Image shown =
            CaptureWindow(edit, RECT{0, 0, box.right - box.left, box.bottom - box.top});
        ASSERT_FALSE(shown.Empty());
        EXPECT_NE(shown.At(0, shown.height / 2), shown.At(shown.width / 2, shown.height / 2))
            << "no frame round the rename box";
        // Both dialogs of a face show one font, not bold, not slanted.
        UniqueWindow about = CreateFrom(face, IDD_ABOUTBOX);
        LOGFONTW barFont{}, aboutFont{};
        GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(dlg.get(), WM_GETFONT, 0, 0)),
                   sizeof barFont, &barFont);
        GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(about.get(), WM_GETFONT, 0, 0)),
                   sizeof aboutFont, &aboutFont);
        EXPECT_EQ(std::wstring(barFont.lfFaceName), aboutFont.lfFaceName);
        EXPECT_EQ(barFont.lfHeight, aboutFont.lfHeight);
        EXPECT_LE(aboutFont.lfWeight, FW_NORMAL);
        EXPECT_FALSE(aboutFont.lfItalic);
    }
}

// The right-click menu and the tray menu: one popup each, whose items carry the commands the bar
// acts on, every one a plain enabled text in the face's language; the two ways to add an area
// read alike.
TEST(ResourceSet, BarAndTrayMenus) {
    constexpr UINT kSeparator = 0;
    const struct {
        int id;
        std::vector<UINT> commands;
    } menus[] = {
        {IDR_BAR_MENU, {ID_ADD_WORKING_AREA, ID_DELETE_WORKING_AREA, ID_RENAME_WORKING_AREA}},
        {IDR_TRAY_MENU,
         {ID_TRAY_OPEN, ID_TRAY_ADD_WORKING_AREA, ID_TRAY_ABOUT, kSeparator, ID_TRAY_EXIT}}};
    for (const Face& face : BothFaces()) {
        std::map<UINT, std::wstring> texts;
        for (const auto& m : menus) {
            SCOPED_TRACE(std::string(face.name) + ", menu " + std::to_string(m.id));
            UniqueMenu menu(LoadMenuW(face.file.Module(), MAKEINTRESOURCEW(m.id)));
            ASSERT_TRUE(menu) << "LoadMenuW error " << GetLastError();
            ASSERT_EQ(GetMenuItemCount(menu.get()), 1) << "one popup only";
            HMENU popup = GetSubMenu(menu.get(), 0);
            ASSERT_NE(popup, nullptr);
            ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(m.commands.size()));
            for (UINT i = 0; i < m.commands.size(); ++i) {
                wchar_t text[64] = {};
                MENUITEMINFOW item{};
                item.cbSize = sizeof item;
                item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
                item.dwTypeData = text;
                item.cch = 64;
                ASSERT_TRUE(GetMenuItemInfoW(popup, i, TRUE, &item));
                EXPECT_EQ(item.hSubMenu, nullptr);
                if (m.commands[i] == kSeparator) {
                    EXPECT_EQ(item.fType, static_cast<UINT>(MFT_SEPARATOR)) << "item " << i;
                    continue;
                }
                EXPECT_EQ(item.fType, static_cast<UINT>(MFT_STRING)) << "item " << i;
                EXPECT_EQ(item.fState, 0u) << "item " << i << " enabled and unchecked";
                EXPECT_EQ(item.wID, m.commands[i]) << "item " << i;
                EXPECT_TRUE(Speaks(face, text)) << "item " << i;
                texts[item.wID] = text;
            }
        }
        EXPECT_EQ(texts[ID_ADD_WORKING_AREA], texts[ID_TRAY_ADD_WORKING_AREA]);
        EXPECT_EQ(texts[ID_ADD_WORKING_AREA], String(face, IDS_ADD_WORKING_AREA));
        EXPECT_NE(texts[ID_TRAY_ABOUT].find(ProgramVersion().Get(L"ProductName")),
                  std::wstring::npos);
    }
}

// The strings the program loads, in each face: the About entry of the system menu names the
// program and has a key of its own; an area's default name takes its number, once. No other id
// of their block holds a text.
TEST(ResourceSet, StringsTheProgramLoads) {
    for (const Face& face : BothFaces()) {
        SCOPED_TRACE(face.name);
        ASSERT_NE(face.file.Module(), nullptr);
        const std::wstring about = String(face, IDS_ABOUTBOX);
        EXPECT_TRUE(Speaks(face, about));
        EXPECT_NE(about.find(ProgramVersion().Get(L"ProductName")), std::wstring::npos);
        const size_t key = about.find(L'&');
        ASSERT_NE(key, std::wstring::npos) << "no key for the About entry";
        EXPECT_TRUE(iswalpha(about[key + 1]));

        const std::wstring format = String(face, IDS_WORKING_AREA_NAME);
        EXPECT_TRUE(Speaks(face, format));
        ASSERT_NE(format.find(L"%d"), std::wstring::npos);
        EXPECT_EQ(format.find(L'%'), format.rfind(L'%')) << "one placeholder";
        wchar_t name[64] = {};
        swprintf(name, 64, format.c_str(), 3);
        EXPECT_EQ(name, std::wstring(format).replace(format.find(L"%d"), 2, L"3"))
            << "the number in place of %d";

        for (UINT id = IDS_ABOUTBOX / 16 * 16; id < IDS_ABOUTBOX / 16 * 16 + 16; ++id) {
            if (id != IDS_ABOUTBOX && id != IDS_WORKING_AREA_NAME && id != IDS_ADD_WORKING_AREA) {
                EXPECT_EQ(String(face, id), L"") << "string " << id << " should be unused";
            }
        }
    }
}

// The version block as a file's properties show it: a release, one version throughout and the
// same in the program and its library, every field filled, the names of the file itself.
TEST(ResourceSet, VersionBlock) {
    for (const Face& face : BothFaces()) {
        SCOPED_TRACE(face.name);
        const Version v = ReadVersion(face.path);
        const VS_FIXEDFILEINFO& f = v.fixed;
        EXPECT_EQ(f.dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(f.dwFileVersionMS, ProgramVersion().fixed.dwFileVersionMS);
        EXPECT_EQ(f.dwFileVersionLS, ProgramVersion().fixed.dwFileVersionLS);
        EXPECT_EQ(f.dwProductVersionMS, f.dwFileVersionMS);
        EXPECT_EQ(f.dwProductVersionLS, f.dwFileVersionLS);
        EXPECT_EQ(f.dwFileFlags & f.dwFileFlagsMask, 0u) << "a debug or pre-release build";
        EXPECT_EQ(f.dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
        EXPECT_EQ(f.dwFileType, static_cast<DWORD>(face.english ? VFT_DLL : VFT_APP));
        EXPECT_EQ(f.dwFileSubtype, 0u);

        // One table, Unicode, in the language the file speaks.
        EXPECT_EQ(v.translations, 1u);
        EXPECT_EQ(v.language, face.english ? kEnglishUS : kChineseSimplified);
        EXPECT_EQ(v.codePage, 1200);
        EXPECT_EQ(v.strings.size(), 8u) << "a field is missing or empty";
        wchar_t number[32];
        swprintf(number, 32, L"%u.%u.%u.%u", HIWORD(f.dwFileVersionMS), LOWORD(f.dwFileVersionMS),
                 HIWORD(f.dwFileVersionLS), LOWORD(f.dwFileVersionLS));
        EXPECT_EQ(v.Get(L"FileVersion"), number);
        EXPECT_EQ(v.Get(L"ProductVersion"), number);
        const std::wstring file = face.path.substr(face.path.rfind(L'\\') + 1);
        EXPECT_EQ(v.Get(L"OriginalFilename"), file);
        EXPECT_EQ(v.Get(L"InternalName"), file);
        const std::wstring& program = BothFaces()[0].path;
        EXPECT_EQ(v.Get(L"ProductName") + L".exe", program.substr(program.rfind(L'\\') + 1));
        EXPECT_NE(v.Get(L"FileDescription").find(v.Get(L"ProductName")), std::wstring::npos);
        EXPECT_NE(v.Get(L"LegalCopyright").find(v.Get(L"CompanyName")), std::wstring::npos);
    }
}

// Each build names its own architecture: a 64-bit program bound to the 32-bit common controls
// does not start.
#ifdef _WIN64
constexpr char kOwnArchitecture[] = "processorArchitecture=\"amd64\"";
#else
constexpr char kOwnArchitecture[] = "processorArchitecture=\"x86\"";
#endif

TEST(ResourceSet, ManifestAsksForCommonControls6AsInvokerDpiAwarePerMonitorOnWindows7To11) {
    const std::vector<uint8_t> bytes =
        ProgramResources().Find(RT_MANIFEST, 1, kEnglishUS).value_or(std::vector<uint8_t>{});
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
