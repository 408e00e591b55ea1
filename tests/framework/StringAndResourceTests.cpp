// CString formatting and editing, and resources through the framework's resource module: the
// executable, and a module loaded only as a data file, as a resource library may be.
#include <gtest/gtest.h>
#include <string>
#include "tests/framework/FrameworkTestSupport.h"
#include "tests/support/ChildProcess.h"

namespace {

// A file beside the test program (by default the program itself), loaded as a data file.
UniqueModule LoadAsDataFile(const wchar_t* fileName = L"FrameworkTests.exe") {
    return UniqueModule(
        ::LoadLibraryExW((ExeDir() + L"\\" + fileName).c_str(), nullptr,
                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

// Puts the executable back as the resource module whatever a test did.
class ResourceModuleTest : public ::testing::Test {
protected:
    void TearDown() override { AfxSetResourceHandle(::GetModuleHandleW(nullptr)); }
};

TEST(CStringFormat, WideFormatsWithNumbersAndWideStrings) {
    CString name;
    name.Format(L"工作区%d", 4);
    EXPECT_EQ(CString(L"工作区4"), name);
    CString text;
    text.Format(L"%s|%d|%04X|%c", L"宽字符", -12, 0xBEEF, L'x');
    EXPECT_EQ(CString(L"宽字符|-12|BEEF|x"), text);
    // Longer than any fixed buffer would be.
    std::wstring longArg(5000, L'a');
    text.Format(L"<%s>", longArg.c_str());
    EXPECT_EQ(5002, text.GetLength());
    EXPECT_EQ(L'>', static_cast<LPCWSTR>(text)[5001]);
}

TEST(CStringEditing, SearchSliceAndBuffer) {
    CString s(L"Hello, 世界");
    EXPECT_EQ(9, s.GetLength());
    EXPECT_EQ(7, s.Find(L"世"));
    EXPECT_EQ(2, s.Find(L"l"));
    EXPECT_EQ(3, s.Find(L"l", 3));
    EXPECT_EQ(-1, s.Find(L"xyz"));
    EXPECT_EQ(-1, s.Find(L"H", 20));
    EXPECT_EQ(CString(L"Hello"), s.Left(5));
    EXPECT_EQ(CString(L"世界"), s.Mid(7));
    EXPECT_TRUE(s.Mid(50).IsEmpty());
    EXPECT_EQ(CString(L"Hello, 世界"), s.Left(100));

    CString buffer;
    wchar_t* p = buffer.GetBuffer(10);
    ::wcscpy(p, L"abc");
    buffer.ReleaseBuffer();
    EXPECT_EQ(3, buffer.GetLength());
    EXPECT_TRUE(buffer == L"abc");
    EXPECT_TRUE(L"abc" == buffer);
    EXPECT_TRUE(buffer != L"abd");
    EXPECT_LT(buffer.Compare(L"abd"), 0);
    buffer += L"de";
    buffer += CString(L"f");
    EXPECT_EQ(CString(L"abcdef"), buffer);
    EXPECT_TRUE(CString(static_cast<LPCWSTR>(nullptr)).IsEmpty());
}

TEST_F(ResourceModuleTest, FindResourceHandleFollowsSetResourceHandle) {
    HINSTANCE exe = ::GetModuleHandleW(nullptr);
    EXPECT_EQ(exe, AfxFindResourceHandle(MAKEINTRESOURCEW(1), RT_STRING));
    UniqueModule other = LoadAsDataFile();
    ASSERT_TRUE(other);
    AfxSetResourceHandle(other.get());
    EXPECT_EQ(other.get(), AfxGetResourceHandle());
    EXPECT_EQ(other.get(), AfxFindResourceHandle(MAKEINTRESOURCEW(7), RT_DIALOG));
    EXPECT_EQ(other.get(), AfxFindResourceHandle(MAKEINTRESOURCEW(128), RT_GROUP_ICON));
    AfxSetResourceHandle(exe);
    EXPECT_EQ(exe, AfxFindResourceHandle(MAKEINTRESOURCEW(7), RT_DIALOG));
}

TEST_F(ResourceModuleTest, LoadStringFromTheExecutable) {
    CString text;
    EXPECT_TRUE(text.LoadString(IDS_FW_AREA_FORMAT));
    EXPECT_EQ(CString(L"工作区%d"), text);
    EXPECT_TRUE(text.LoadString(IDS_FW_HELLO));
    EXPECT_EQ(CString(L"Hello, 世界"), text);
    EXPECT_TRUE(text.LoadString(IDS_FW_LONELY));
    EXPECT_EQ(CString(L"alone"), text);
    // Absent from an existing block, and a block that does not exist: empty and FALSE.
    EXPECT_FALSE(text.LoadString(IDS_FW_ABSENT_IN_BLOCK));
    EXPECT_TRUE(text.IsEmpty());
    text = L"stale";
    EXPECT_FALSE(text.LoadString(IDS_FW_NO_BLOCK));
    EXPECT_TRUE(text.IsEmpty());

    CString formatted;
    ASSERT_TRUE(text.LoadString(IDS_FW_AREA_FORMAT));
    formatted.Format(text, 4);
    EXPECT_EQ(CString(L"工作区4"), formatted);
}

// A resource library is loaded as a data file: its strings must load all the same.
TEST_F(ResourceModuleTest, LoadStringFromADataFileModule) {
    UniqueModule module = LoadAsDataFile();
    ASSERT_TRUE(module);
    AfxSetResourceHandle(module.get());
    const std::pair<UINT, LPCWSTR> expected[] = {{IDS_FW_HELLO, L"Hello, 世界"},
                                                 {IDS_FW_LONELY, L"alone"},
                                                 {IDS_FW_ABSENT_IN_BLOCK, nullptr}};
    for (const auto& [id, text] : expected) {
        CString loaded;
        EXPECT_EQ(text != nullptr, loaded.LoadString(id) != FALSE) << id;
        EXPECT_EQ(CString(text), loaded) << id;
    }
}

// A resource module replaces every resource: what it lacks fails, even when the executable has it.
TEST_F(ResourceModuleTest, ResourcesMissingFromTheResourceModuleFailToLoad) {
    UniqueModule program = LoadAsDataFile(L"Zelvanor.exe");
    ASSERT_TRUE(program) << "Zelvanor.exe is expected beside the test program";
    AfxSetResourceHandle(program.get());
    CString text;
    EXPECT_FALSE(text.LoadString(IDS_FW_HELLO));
    EXPECT_TRUE(text.IsEmpty());
    CMenu menu;
    EXPECT_FALSE(menu.LoadMenu(IDR_FW_MENU));
    CDialog dialog(IDD_FW_TEST_DIALOG);
    EXPECT_EQ(-1, dialog.DoModal());
}

TEST_F(ResourceModuleTest, MenuLoadedFromTheResourceModuleIsOwnedByTheObject) {
    HMENU handle = nullptr;
    {
        CMenu menu;
        ASSERT_TRUE(menu.LoadMenu(IDR_FW_MENU));
        handle = menu.m_hMenu;
        HMENU popup = menu.GetSubMenu(0);
        ASSERT_NE(nullptr, popup);
        {
            CMenu view;
            view.Borrow(popup); // the popup belongs to the menu bar
            EXPECT_EQ(3, view.GetMenuItemCount());
            CString text;
            EXPECT_EQ(2, view.GetMenuString(ID_FW_MENU_SECOND, text, MF_BYCOMMAND));
            EXPECT_EQ(CString(L"打开"), text);
        }
        EXPECT_TRUE(::IsMenu(popup)) << "a borrowed menu was destroyed";
        // Moved, the menu keeps one owner.
        CMenu moved(std::move(menu));
        EXPECT_EQ(nullptr, menu.m_hMenu);
        EXPECT_EQ(handle, moved.m_hMenu);
    }
    EXPECT_FALSE(::IsMenu(handle));
}

// What the theme helper answers depends on whether the machine has visual styles on: with them,
// part sizes; without them, E_FAIL, so that callers keep their own defaults.
TEST(ThemeHelper, PartSizeWithVisualStylesAndDefaultsWithout) {
    UniqueWindow window = CreateTestWindow();
    HTHEME theme = CThemeHelper::OpenThemeData(window.get(), L"Menu");
    SIZE size = {-1, -1};
    if (theme == nullptr) {
        EXPECT_EQ(E_FAIL,
                  CThemeHelper::GetThemePartSize(nullptr, nullptr, 14, 1, nullptr, TS_TRUE, &size));
        EXPECT_EQ(E_FAIL, CThemeHelper::CloseThemeData(nullptr));
        return;
    }
    CClientDC dc(nullptr);
    EXPECT_EQ(S_OK, CThemeHelper::GetThemePartSize(theme, dc, 14, 1, nullptr, TS_TRUE, &size));
    EXPECT_GE(size.cx, 0);
    EXPECT_EQ(S_OK, CThemeHelper::CloseThemeData(theme));
}

} // namespace
