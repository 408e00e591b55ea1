// What the keys act on beyond a plain window: the shell's surfaces that programs of Windows' own
// show, the shell's own dialogs, and a modal dialog with its owner.
#include "tests/support/Session.h"

using namespace ztest;
using ShellAndOwners = Session;
using ::testing::Each;

// The helper program copied under the hosts' names: in the system's folders it is the shell's
// (the language bar, Start), in one any user writes to it is anybody's, as is the Run dialog.
TEST_F(ShellAndOwners, TheShellsHostsStayItsDialogsAndLookAlikesGoWithTheArea) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 1"}));
    wchar_t folder[MAX_PATH] = L"";
    const std::wstring windir(folder, GetWindowsDirectoryW(folder, MAX_PATH));
    const std::wstring core = L"--class Windows.UI.Core.CoreWindow";
    const Windows stay{StartCopy(windir + L"\\system32\\ctfmon.exe", L"--class CiceroUIWndFrame"),
                       StartCopy(windir + L"\\SystemApps\\StartMenuExperienceHost.exe", core)};
    const Windows go{StartCopy(windir + L"\\temp\\SearchHost.exe", core), OpenRunDialog()};
    ASSERT_THAT(stay + go, Each(Shown()));
    ASSERT_TRUE(BringToForeground(stay[1]));
    PressAreaKey('2', true); // the move key leaves it alone too
    ASSERT_TRUE(Switch(1, stay, windows + go, How::kKey));
    ASSERT_TRUE(Switch(0, stay + windows + go, {}, How::kKey));
}

// Moved alone, a modal dialog's disabled owner would stay behind where nothing can be done with it.
TEST_F(ShellAndOwners, MoveAndPinKeysTakeAModalDialogsOwnerAlong) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const Windows family{windows[0], reinterpret_cast<HWND>(helper.Send(zhelper::kMsgModal, 0))};
    ASSERT_TRUE(BringToForeground(family[1]));
    PressAreaKey('2', true);
    EXPECT_TRUE(Eventually(family, Each(Hidden())));
    ASSERT_TRUE(Switch(1, family, {windows[1]}, How::kKey));
    ASSERT_TRUE(Switch(0, {windows[1]}, family, How::kKey));
    ASSERT_TRUE(Switch(1, family, {windows[1]}, How::kKey));
    ASSERT_TRUE(BringToForeground(family[1]));
    PressAreaKey('P');
    ASSERT_TRUE(Switch(0, family + Windows{windows[1]}, {}, How::kKey));
}
