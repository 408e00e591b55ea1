// What the user's Windows does around the program: another program reading its record of held
// windows, the Restart Manager closing it for an update, the language the user reads.
#include "areas/HeldWindowRecord.h"
#include "tests/app/ProcessTree.h"
#include "tests/app/ProgramCopy.h"
#include "tests/support/Session.h"
#include <fstream>
#include <iterator>

using namespace ztest;
using ::testing::Each;
using EndToEndHeldRecord = Session;
using EndToEndRestart = Session;
class EndToEndLanguage : public Session {
protected:
    ~EndToEndLanguage() override { // after TearDown has ended the program, before the copy goes
        DeleteFileW((english + L"\\qorv.dll").c_str());
        RemoveDirectoryW(english.c_str());
    }
    ProgramCopy copy{L"language"};
    const std::wstring english = copy.Folder().File(L"english");
};

static std::string Bytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A virus scanner reads the record, sharing it for reading only, while a switch holds a window.
TEST_F(EndToEndHeldRecord, AWindowHeldWhileAScannerReadsTheRecordComesBackAfterEveryCopyEnds) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 1", .current = 1}));
    const Windows anew = Open(1);
    const std::wstring record =
        HeldWindowRecord::Folder() + L"\\" +
        HeldWindowRecord::FileName(app.Pid(), HeldWindowRecord::ProcessStart(app.Pid()));
    const std::string before = Bytes(record);
    UniqueKernelObject scanner(CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(Switch(0, windows, anew));
    ASSERT_TRUE(Bytes(record) == before) << "the record was replaced while held";
    scanner.reset();
    EXPECT_TRUE(WaitUntil([&] { return Bytes(record) != before; })) << "the write never landed";
    ASSERT_TRUE(ProcessTree::EndEveryCopy() && app.WaitEnded(10000));
    ASSERT_THAT(anew, Each(Hidden()));
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(Eventually(anew, Each(Shown())));
}

TEST_F(EndToEndRestart, TheBarAsksToBeStartedAgainAfterAnUpdateAndTheWatcherDoesNot) {
    wchar_t line[RESTART_MAX_CMD_LINE];
    DWORD size = 0, flags = 0;
    auto registration = [&](HANDLE process) {
        return GetApplicationRestartSettings(process, line, &(size = RESTART_MAX_CMD_LINE), &flags);
    };
    if (registration(GetCurrentProcess()) == E_NOTIMPL) {
        GTEST_SKIP() << "this system does not tell a process's restart registration (Wine)";
    }
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .current = 1}));
    ProcessTree tree(app.Pid());
    ASSERT_TRUE(tree.WaitWatcher());
    ASSERT_EQ(registration(app.Process()), S_OK);
    EXPECT_EQ(flags, static_cast<DWORD>(RESTART_NO_CRASH | RESTART_NO_HANG));
    UniqueKernelObject watcher(OpenProcess(PROCESS_ALL_ACCESS, FALSE, tree.WatcherPid()));
    EXPECT_EQ(registration(watcher.get()), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
}

// The build puts english\qorv.dll beside the program as the packages do; CTest runs the cases
// named ...InEnglish with an English interface language, the others with a Chinese one.
TEST_F(EndToEndLanguage, TheEnglishLibraryUnlessOneStandsBesideTheProgramInEnglish) {
    if (PRIMARYLANGID(GetUserDefaultUILanguage()) != LANG_ENGLISH) {
        GTEST_SKIP() << "needs an English interface language, as CTest gives it";
    }
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L""}));
    EXPECT_EQ(app.NameOf(1), L"Area 2");
    ASSERT_TRUE(
        CreateDirectoryW(english.c_str(), nullptr) &&
        CopyFileW((ExeDir() + L"\\english\\qorv.dll").c_str(), (english + L"\\qorv.dll").c_str(),
                  FALSE) &&
        CopyFileW((ExeDir() + L"\\qorv-text\\qorv.dll").c_str(), copy.Library().c_str(), FALSE));
    ASSERT_TRUE(app.Start(copy.Program()));
    EXPECT_EQ(app.NameOf(0), L"区域1");
}

TEST_F(EndToEndLanguage, AChineseWindowsGetsTheProgramsOwnTexts) {
    ASSERT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()), LANG_CHINESE) << "not as CTest runs it";
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L""}));
    EXPECT_EQ(app.NameOf(1), L"工作区2");
}
