// Snapshots of the real desktop: helper processes, Notepad and windows of the test itself.
#include "tests/areas/AreaTestSupport.h"
#include "tests/support/Notepad.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cwchar>
#include <utility>

using namespace areatest;
using zhelper::HelperProcess;

TEST(AreasWindowSnapshot, RecordsEveryTopLevelWindowWithItsOwnerAndProgram) {
    HelperProcess helper;
    ASSERT_TRUE(helper.Start(L"--windows 2 --dialog --hidden"));
    Notepad notepad;
    ASSERT_TRUE(notepad.Start());
    const UniqueWindow own = OwnWindow(false);
    ASSERT_TRUE(own);

    const std::vector<HWND> before = TopLevelWindows();
    const std::vector<WindowRecord> records = TakeSnapshot();
    const std::vector<HWND> after = TopLevelWindows();

    // Every window that existed throughout is there, exactly once.
    for (HWND hwnd : before) {
        if (std::count(after.begin(), after.end(), hwnd)) {
            EXPECT_NE(FindRecord(records, hwnd), nullptr) << "window " << hwnd;
        }
    }

    const DWORD helperThread = GetWindowThreadProcessId(helper.Control(), nullptr);
    for (int i = 0; i < 2; ++i) {
        const WindowRecord* r = FindRecord(records, helper.Window(i));
        ASSERT_NE(r, nullptr);
        EXPECT_STREQ(r->className, zhelper::kWindowClass);
        EXPECT_EQ(r->processId, helper.Pid());
        EXPECT_EQ(r->threadId, helperThread);
        EXPECT_TRUE(r->visible);
        EXPECT_EQ(Lower(r->modulePath), Lower(helper.Path()));
    }
    const WindowRecord* dialog = FindRecord(records, helper.Special(zhelper::kDialog));
    ASSERT_NE(dialog, nullptr);
    EXPECT_STREQ(dialog->className, L"#32770");
    EXPECT_TRUE(dialog->visible);
    EXPECT_EQ(dialog->processId, helper.Pid());

    const WindowRecord* hidden = FindRecord(records, helper.Special(zhelper::kHidden));
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(hidden->visible);
    EXPECT_EQ(Lower(hidden->modulePath), Lower(helper.Path()));

    const WindowRecord* note = FindRecord(records, notepad.Window());
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->processId, notepad.Pid());
    EXPECT_TRUE(note->visible);
    const std::wstring notePath = Lower(note->modulePath);
    EXPECT_EQ(notePath.find(L":\\"), 1u) << "not a full path: " << notePath;
    EXPECT_EQ(notePath.size() - notePath.rfind(L"\\notepad.exe"), 12u) << notePath;

    const WindowRecord* mine = FindRecord(records, own.get());
    ASSERT_NE(mine, nullptr);
    wchar_t ownPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, ownPath, MAX_PATH);
    EXPECT_STREQ(mine->modulePath, ownPath);
    EXPECT_EQ(mine->threadId, GetCurrentThreadId());
    EXPECT_EQ(mine->processId, GetCurrentProcessId());
    EXPECT_FALSE(mine->visible);
}

TEST(AreasWindowSnapshot, CutsLongClassNamesToTheirField) {
    HelperProcess helper;
    ASSERT_TRUE(helper.Start(L"--long-title --class99 --class100"));
    HWND longTitle = helper.Special(zhelper::kLongTitle);
    HWND class99 = helper.Special(zhelper::kClass99);
    HWND class100 = helper.Special(zhelper::kClass100);
    ASSERT_TRUE(longTitle && class99 && class100);
    const std::wstring title = TitleOf(longTitle);
    ASSERT_EQ(title.size(), 300u);
    const std::wstring name99 = ClassOf(class99);
    const std::wstring name100 = ClassOf(class100);
    ASSERT_EQ(name99.size(), 99u);
    ASSERT_EQ(name100.size(), 100u);

    const std::vector<WindowRecord> records = TakeSnapshot();

    // A long title is none of the record's business.
    const WindowRecord* r = FindRecord(records, longTitle);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->className, zhelper::kWindowClass);
    EXPECT_EQ(Lower(r->modulePath), Lower(helper.Path()));
    EXPECT_EQ(r->processId, helper.Pid());
    EXPECT_TRUE(r->visible);

    const WindowRecord* r99 = FindRecord(records, class99);
    ASSERT_NE(r99, nullptr);
    EXPECT_EQ(std::wstring(r99->className), name99);

    const WindowRecord* r100 = FindRecord(records, class100);
    ASSERT_NE(r100, nullptr);
    EXPECT_EQ(std::wstring(r100->className), name100.substr(0, 99));
    EXPECT_EQ(r100->className[99], L'\0');
    // The neighbouring fields are untouched by the long name.
    EXPECT_EQ(r100->processId, helper.Pid());
    EXPECT_TRUE(r100->visible);
    EXPECT_EQ(Lower(r100->modulePath), Lower(helper.Path()));
}

// The path of each process is looked up once per snapshot; windows of different programs, and of
// the same program started from different files, must still each carry their own.
TEST(AreasWindowSnapshot, EachWindowCarriesThePathOfItsOwnProcess) {
    RenamedHelperCopy copy(L"OtherHelper.exe");
    ASSERT_TRUE(copy.Ok());
    HelperProcess first, second, third;
    ASSERT_TRUE(first.Start(L"--windows 3 --hidden"));
    ASSERT_TRUE(second.Start(L"--windows 3", copy.Path()));
    ASSERT_TRUE(third.Start(L"--windows 2"));
    // Interleave the windows in the z-order, so that the enumeration alternates between processes:
    // the windows opened now (in the slots after the first ones) come above the first ones.
    ASSERT_EQ(first.Send(zhelper::kMsgOpen, 2), 3);
    ASSERT_EQ(second.Send(zhelper::kMsgOpen, 2), 3);
    Notepad notepad;
    ASSERT_TRUE(notepad.Start());
    ASSERT_EQ(third.Send(zhelper::kMsgOpen, 1), 2);

    const std::vector<WindowRecord> records = TakeSnapshot();

    // Each helper's windows come in more than one run of the snapshot's order: others between.
    std::vector<DWORD> runs;
    for (const WindowRecord& r : records)
        if (!wcscmp(r.className, zhelper::kWindowClass) &&
            (runs.empty() || runs.back() != r.processId))
            runs.push_back(r.processId);
    for (const auto& [helper, count] :
         {std::pair<const HelperProcess*, size_t>{&first, 5}, {&second, 5}, {&third, 3}}) {
        EXPECT_GE(std::count(runs.begin(), runs.end(), helper->Pid()), 2)
            << "the windows of process " << helper->Pid() << " are not interleaved with others";
        std::vector<HWND> windows = helper->Windows();
        ASSERT_EQ(windows.size(), count);
        for (HWND hwnd : windows) {
            const WindowRecord* r = FindRecord(records, hwnd);
            ASSERT_NE(r, nullptr);
            EXPECT_EQ(r->processId, helper->Pid());
            EXPECT_EQ(Lower(r->modulePath), Lower(helper->Path())) << TitleOf(hwnd);
        }
    }
    const WindowRecord* note = FindRecord(records, notepad.Window());
    ASSERT_NE(note, nullptr);
    EXPECT_NE(Lower(note->modulePath).find(L"notepad.exe"), std::wstring::npos);
}
