// What the keys act on beyond a plain window: the shell's surfaces that programs of Windows' own
// show, and the shell's own dialogs.
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

