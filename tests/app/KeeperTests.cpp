// No window lost, whatever ends the program: a kill (Task Manager's "End task"), a crash, abort,
// at any moment of a switch, a delete or the exit, with or without the watcher that a kill
// leaves as the only way back; its process tree ended, every copy of it ended, its job closed,
// which leave the record of held windows to the next start. And no window shown twice after a
// normal exit, none shown from a record that is not whole or not its own.
#include "areas/HeldWindowRecord.h"
#include "tests/app/ProcessTree.h"
#include "tests/app/ScratchFolder.h"
#include "tests/helpers/HelperProcess.h"
#include "tests/support/ZelvanorProcess.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

using namespace ztest;

namespace {

enum class Fault { kKill, kCrash, kAbort };
enum class Moment { kAfterSwitch, kDuringSwitch, kBarHidden, kDuringDelete, kDuringExit };

struct Case {
    const char* name;
    Fault fault;
    Moment moment;
    // The watcher is ended first, so that only the program's own guards can bring the windows
    // back. A switch starts a new one, so cases in a switch keep it.
    bool withoutWatcher;
};

const Case kCases[] = {
    {"KillAfterASwitch", Fault::kKill, Moment::kAfterSwitch, false},
    {"KillDuringASwitch", Fault::kKill, Moment::kDuringSwitch, false},
    {"KillWhileTheBarIsHidden", Fault::kKill, Moment::kBarHidden, false},
    {"CrashDuringASwitch", Fault::kCrash, Moment::kDuringSwitch, false},
    {"CrashDuringADeleteWithoutWatcher", Fault::kCrash, Moment::kDuringDelete, true},
    {"CrashDuringTheExitWithoutWatcher", Fault::kCrash, Moment::kDuringExit, true},
    {"AbortAfterASwitchWithoutWatcher", Fault::kAbort, Moment::kAfterSwitch, true},
    {"TerminateAfterASwitchWithoutWatcher", Fault::kAbort, Moment::kAfterSwitch, true},
};

// A moment at the start of an operation on 200 windows, which takes about this long. Drawn from
// a seed that is printed and may be given back to repeat a failure.
DWORD RandomMomentMs() {
    static const unsigned seed = [] {
        const char* text = std::getenv("ZELVANOR_KEEPER_SEED");
        return text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10))
                    : std::random_device{}();
    }();
    static std::mt19937 random(seed);
    const DWORD ms = std::uniform_int_distribution<DWORD>(0, 20)(random);
    std::printf("keeper: fault %lu ms into the operation (seed %u; set ZELVANOR_KEEPER_SEED to "
                "repeat it)\n",
                static_cast<unsigned long>(ms), seed);
    return ms;
}

// The program's window thread, opened while its bar exists: the operation a fault is aimed at
// may end the bar before the fault falls.
UniqueKernelObject OpenWindowThread(HWND bar) {
    return UniqueKernelObject(
        OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(bar, nullptr)));
}

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class EndToEndKeeper : public ::testing::TestWithParam<Case> {
protected:
    zhelper::HelperProcess helper; // declared first: it outlives the program
    ZelvanorProcess app;
    std::vector<HWND> windows;

    // Two areas, the first holding the helper's windows hidden, the second current; the
    // watcher runs.
    void StartWithWindowsHidden(int count, const std::wstring& exe = ProgramPath(),
                                HANDLE job = nullptr) {
        ASSERT_TRUE(helper.Start(L"--windows " + std::to_wstring(count)));
        windows = helper.Windows();
        ASSERT_TRUE(app.Start(exe, L"", job));
        ASSERT_TRUE(app.Command(ID_ADD_WORKING_AREA));
        ASSERT_TRUE(app.WaitRows(2));
        ASSERT_TRUE(app.ClickRow(1));
        ASSERT_TRUE(helper.Sync());
        ASSERT_TRUE(NoneVisible(windows));
        ASSERT_TRUE(ProcessTree(app.Pid()).WaitWatcher()) << "no watcher runs";
    }

    ::testing::AssertionResult AllBackWithin2s() {
        if (WaitUntil([&] { return helper.Sync() && AllVisible(windows); }, 2000)) {
            return ::testing::AssertionSuccess();
        }
        return WaitAllVisible(windows, true) << " (not within 2 s)";
    }
};

} // namespace

TEST_P(EndToEndKeeper, EveryHeldWindowComesBack) {
    const Case& c = GetParam();
    // An operation caught in the middle needs many windows to last; a fault after one, a few.
    const bool inTheMiddle = c.moment == Moment::kDuringDelete || c.moment == Moment::kDuringExit;
    // On a busy machine the operation may be over before this thread runs again: the fault
    // then found nothing to interrupt, and the case is run again with another moment.
    for (int attempt = 0;; ++attempt) {
        ASSERT_LT(attempt, 5) << "the operation always ended before the fault fell";
        ASSERT_NO_FATAL_FAILURE(StartWithWindowsHidden(c.moment == Moment::kDuringSwitch ? 1
                                                       : inTheMiddle                     ? 200
                                                                                         : 20));
        if (c.moment == Moment::kDuringSwitch) {
            // The first area gets 200 windows, and the fault falls while they are being hidden.
            ASSERT_TRUE(app.ClickRow(0));
            ASSERT_TRUE(helper.Send(zhelper::kMsgOpen, 199));
            windows = helper.Windows();
            ASSERT_TRUE(helper.Sync());
            ASSERT_TRUE(AllVisible(windows));
        }
        ProcessTree tree(app.Pid());
        if (c.withoutWatcher) {
            ASSERT_TRUE(tree.EndWatcher());
        }
        const UniqueKernelObject windowThread = OpenWindowThread(app.Bar());
        ASSERT_TRUE(windowThread);
        const std::wstring record =
            HeldWindowRecord::Folder() + L"\\" +
            HeldWindowRecord::FileName(app.Pid(), HeldWindowRecord::ProcessStart(app.Pid()));
        switch (c.moment) {
        case Moment::kAfterSwitch:
            break;
        case Moment::kDuringSwitch:
            ASSERT_TRUE(app.Post(WM_LBUTTONDOWN, MK_LBUTTON,
                                 MAKELPARAM(BarLayout::kClientWidth / 2, RowMiddle(1))));
            ASSERT_TRUE(
                app.Post(WM_LBUTTONUP, 0, MAKELPARAM(BarLayout::kClientWidth / 2, RowMiddle(1))));
            Sleep(RandomMomentMs());
            break;
        case Moment::kBarHidden:
            ASSERT_TRUE(app.Command(IDCANCEL));
            ASSERT_TRUE(app.WaitVisible(false));
            break;
        case Moment::kDuringDelete:
            ASSERT_TRUE(app.TargetRow(0));
            ASSERT_TRUE(app.Post(WM_COMMAND, ID_DELETE_WORKING_AREA));
            Sleep(RandomMomentMs());
            break;
        case Moment::kDuringExit:
            ASSERT_TRUE(app.Post(WM_COMMAND, ID_TRAY_EXIT));
            Sleep(RandomMomentMs());
            break;
        }
        // Stopped where it is, so that a fault from another thread finds the operation half
        // done, as a fault of the window thread itself would.
        if (c.fault == Fault::kCrash &&
            SuspendThread(windowThread.get()) == static_cast<DWORD>(-1)) {
            ASSERT_TRUE(app.WaitEnded(30000)) << "the window thread cannot be stopped";
            EXPECT_TRUE(AllBackWithin2s()) << "after an exit that ended before the fault";
            continue;
        }
        bool faulted = false;
        switch (c.fault) {
        case Fault::kKill:
            faulted = TerminateProcess(app.Process(), 1) != FALSE;
            break;
        case Fault::kCrash:
            faulted = CrashRemotely(app.Process(), ProgramPath(), nullptr);
            break;
        case Fault::kAbort:
            faulted = CrashRemotely(
                app.Process(), ProgramPath(),
                std::string(c.name).rfind("Terminate", 0) == 0 ? "std::terminate" : "abort");
            break;
        }
        if (!faulted && !app.Running()) {
            EXPECT_TRUE(AllBackWithin2s()) << "after an operation that ended before the fault";
            continue;
        }
        ASSERT_TRUE(faulted) << "the fault could not be made (for abort: its function was not "
                                "found)";
        ASSERT_TRUE(app.WaitEnded(30000));
        EXPECT_TRUE(AllBackWithin2s());
        // What the watcher brought back, no later start shows again.
        if (!c.withoutWatcher) {
            EXPECT_TRUE(WaitUntil(
                [&] { return GetFileAttributesW(record.c_str()) == INVALID_FILE_ATTRIBUTES; },
                5000))
                << "the watcher left the record behind";
        }
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, EndToEndKeeper, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(EndToEndKeeper, NormalExitLeavesTheWatcherNothingAndALostWatcherIsReplaced) {
    ASSERT_NO_FATAL_FAILURE(StartWithWindowsHidden(3));
    ProcessTree tree(app.Pid());
    const DWORD first = tree.WatcherPid();
    ASSERT_NE(first, 0u) << "no watcher runs";

    // Killing the watcher leaves the program working; the next switch starts another.
    ASSERT_TRUE(tree.EndWatcher());
    ASSERT_TRUE(app.ClickRow(0));
    ASSERT_TRUE(AllVisible(windows)); // the switch returns once the windows have acted
    ASSERT_TRUE(app.ClickRow(1));
    EXPECT_TRUE(NoneVisible(windows));
    EXPECT_TRUE(tree.WaitWatcher());
    const DWORD second = tree.WatcherPid();
    EXPECT_NE(second, 0u) << "no new watcher";
    EXPECT_NE(second, first);

    // After the exit command the watcher has nothing left to show, and ends.
    const UniqueKernelObject watcher = tree.OpenWatcher();
    ASSERT_TRUE(watcher);
    ASSERT_TRUE(app.Exit());
    EXPECT_TRUE(WaitAllVisible(windows, true));
    ASSERT_EQ(WaitForSingleObject(watcher.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0))
        << "the watcher outlived the program";
    DWORD shown = 0;
    GetExitCodeProcess(watcher.get(), &shown);
    EXPECT_EQ(shown, 0u) << "the watcher showed windows again after a normal exit";
}

TEST_F(EndToEndKeeper, EndingTheProcessTreeLeavesTheWatcher) {
    StartWithWindowsHidden(5);
    ASSERT_TRUE(ProcessTree(app.Pid()).EndTree());
    EXPECT_TRUE(AllBackWithin2s());
}

TEST_F(EndToEndKeeper, EndingEveryCopyLeavesTheWindowsToTheNextStart) {
    StartWithWindowsHidden(5);
    ASSERT_TRUE(ProcessTree::EndEveryCopy());
    ASSERT_TRUE(app.WaitEnded(10000));
    ASSERT_TRUE(helper.Sync());
    ASSERT_TRUE(NoneVisible(windows)) << "something but the record showed them";
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(AllBackWithin2s());
    EXPECT_EQ(app.Rows(), 1);
}

// Every copy ended while a hung program still has the switch's hides queued: its windows read
// as visible when the next start restores them, and are hidden a moment later unless the
// restore's request waits behind the hides.
TEST_F(EndToEndKeeper, HidesStillQueuedForAHungProgramDoNotOutlastTheNextStart) {
    ASSERT_TRUE(helper.Start(L"--windows 3"));
    windows = helper.Windows();
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.Command(ID_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(2));
    const UniqueKernelObject done = helper.Hang(15);
    ASSERT_TRUE(done);
    const int x = BarLayout::kClientWidth / 2, y = RowMiddle(1);
    ASSERT_TRUE(app.Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)));
    ASSERT_TRUE(app.Post(WM_LBUTTONUP, 0, MAKELPARAM(x, y)));
    ASSERT_TRUE(app.Answers(60000));
    ASSERT_TRUE(ProcessTree::EndEveryCopy());
    ASSERT_TRUE(app.WaitEnded(10000));
    ASSERT_TRUE(app.Start());
    if (WaitForSingleObject(done.get(), 0) == WAIT_OBJECT_0) {
        GTEST_SKIP() << "the machine took the whole hang to start the program again";
    }
    ASSERT_TRUE(AllVisible(windows)) << "the hides ran before the hang ended";
    ASSERT_EQ(WaitForSingleObject(done.get(), 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(AllBackWithin2s());
}

TEST_F(EndToEndKeeper, ClosingAJobThatAllowsNoBreakawayLeavesTheWindowsToTheNextStart) {
    UniqueKernelObject job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job || !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                         sizeof(limits))) {
        GTEST_SKIP() << "this Wine makes no job that kills its processes when it closes";
    }
    if (!app.Start(ProgramPath(), L"", job.get())) {
        GTEST_SKIP() << "this Wine cannot start the program inside a job (error " << GetLastError()
                     << ")";
    }
    app.Stop();
    StartWithWindowsHidden(5, ProgramPath(), job.get());
    const UniqueKernelObject watcher(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE,
                                                 ProcessTree(app.Pid()).WatcherPid()));
    ASSERT_TRUE(watcher);
    BOOL inJob = FALSE;
    ASSERT_TRUE(IsProcessInJob(watcher.get(), job.get(), &inJob)) << GetLastError();
    if (!inJob) {
        GTEST_SKIP() << "this Wine let the watcher leave a job that allows no breakaway";
    }
    job.reset();
    if (!app.WaitEnded(10000)) {
        GTEST_SKIP() << "this Wine does not end a job's processes when the job closes";
    }
    ASSERT_EQ(WaitForSingleObject(watcher.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(AllBackWithin2s());
}

namespace {

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::vector<std::wstring> RecordFiles() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW((HeldWindowRecord::Folder() + L"\\*.held").c_str(), &found);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
        names.push_back(found.cFileName);
    }
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
    }
    return names;
}

} // namespace

// Records as a killed program leaves them, and as damage or another program's id reuse would
// leave them: only the whole record of a program that is gone shows its window.
TEST_F(EndToEndKeeper, OnlyAWholeRecordOfAProgramThatIsGoneShowsItsWindows) {
    StartWithWindowsHidden(5);
    const DWORD pid = app.Pid();
    const UINT64 start = HeldWindowRecord::ProcessStart(pid);
    ASSERT_TRUE(ProcessTree::EndEveryCopy());
    ASSERT_TRUE(app.WaitEnded(10000));
    const std::wstring folder = HeldWindowRecord::Folder();
    const std::wstring left = folder + L"\\" + HeldWindowRecord::FileName(pid, start);
    std::vector<HeldWindowRecord::Entry> held;
    ASSERT_TRUE(HeldWindowRecord::Decode(ReadFileBytes(left), &held)) << "no whole record left";
    ASSERT_EQ(held.size(), windows.size());
    ASSERT_TRUE(DeleteFileW(left.c_str()));

    auto write = [&](DWORD owner, UINT64 ownerStart, std::string bytes) {
        return WriteTextFile(folder + L"\\" + HeldWindowRecord::FileName(owner, ownerStart), bytes);
    };
    using Entries = std::vector<HeldWindowRecord::Entry>;
    ASSERT_TRUE(write(pid, start, HeldWindowRecord::Encode(Entries{held[0]})));
    std::string truncated = HeldWindowRecord::Encode(Entries{held[1]});
    truncated.pop_back();
    ASSERT_TRUE(write(pid, start + 1, truncated));
    std::string otherVersion = HeldWindowRecord::Encode(Entries{held[2]});
    otherVersion[4] = static_cast<char>(HeldWindowRecord::kVersion + 1); // after the magic
    ASSERT_TRUE(write(pid, start + 2, otherVersion));
    // The window's handle, process id and thread, but of a process started at another time:
    // the one that owned it has ended and its ids went to the helper.
    HeldWindowRecord::Entry reused = held[3];
    reused.processStart -= 1;
    ASSERT_TRUE(write(pid, start + 3, HeldWindowRecord::Encode(Entries{reused})));
    // A program that still runs (the helper's id and start time) keeps its record.
    const DWORD running = helper.Pid();
    ASSERT_TRUE(write(running, HeldWindowRecord::ProcessStart(running),
                      HeldWindowRecord::Encode(Entries{held[4]})));

    ASSERT_TRUE(app.Start());
    std::vector<HWND> listed; // in the record's order, not the helper's
    for (const HeldWindowRecord::Entry& entry : held) {
        listed.push_back(reinterpret_cast<HWND>(static_cast<UINT_PTR>(entry.window.hwnd)));
    }
    EXPECT_TRUE(WaitUntil([&] { return helper.Sync() && IsWindowVisible(listed[0]); }, 2000));
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(NoneVisible({listed[1], listed[2], listed[3], listed[4]}));
    EXPECT_EQ(RecordFiles(), std::vector<std::wstring>{HeldWindowRecord::FileName(
                                 running, HeldWindowRecord::ProcessStart(running))});
}

namespace {

// Starts a Linux program from under Wine, which hands it over without a process to wait on: the
// caller waits for its work instead.
void StartLinuxProgram(const std::wstring& command) {
    std::wstring line = command;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

std::string UnixPath(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = toUnix ? toUnix(path.c_str()) : nullptr;
    const std::string result = unix ? unix : "";
    if (unix) {
        HeapFree(GetProcessHeap(), 0, unix);
    }
    return result;
}

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// A drive letter for the program's folder, made for one test and removed after it: the program
// started through it has another path than the folder itself. On Windows it is what SUBST
// makes; Wine follows only the drive links in its prefix's dosdevices folder, made here with ln.
class DriveLetter {
public:
    explicit DriveLetter(const std::wstring& target) {
        wchar_t prefix[MAX_PATH] = L"";
        const std::string unixTarget = UnixPath(target);
        const bool wine =
            !unixTarget.empty() && GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH) > 0;
        for (wchar_t letter = L'Q'; letter <= L'Y' && m_name.empty(); ++letter) {
            const std::wstring name = std::wstring(1, letter) + L":";
            if (GetDriveTypeW((name + L"\\").c_str()) != DRIVE_NO_ROOT_DIR) {
                continue;
            }
            if (wine) {
                m_link = std::wstring(prefix) + L"/dosdevices/" +
                         static_cast<wchar_t>(towlower(letter)) + L":";
                StartLinuxProgram(L"Z:\\bin\\ln -s " + Widen(unixTarget) + L" " + m_link);
            } else {
                DefineDosDeviceW(0, name.c_str(), target.c_str());
            }
            m_name = name;
            m_target = target;
            WaitUntil([&] { return FileExists(name + L"\\"); }, 5000);
        }
    }
    ~DriveLetter() {
        if (!m_link.empty()) {
            StartLinuxProgram(L"Z:\\bin\\rm -f " + m_link);
            WaitUntil([&] { return !FileExists(m_name + L"\\"); }, 5000);
        } else if (!m_name.empty()) {
            DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, m_name.c_str(),
                             m_target.c_str());
        }
    }
    const std::wstring& Name() const { return m_name; }

private:
    std::wstring m_name;
    std::wstring m_target;
    std::wstring m_link; // under Wine
};

} // namespace

TEST_F(EndToEndKeeper, AProgramStartedThroughAnotherDriveLetterIsWatched) {
    const DriveLetter drive(ExeDir());
    const std::wstring exe = drive.Name() + L"\\Zelvanor.exe";
    if (drive.Name().empty() || !FileExists(exe)) {
        GTEST_SKIP() << "no drive letter could be made for the program's folder";
    }
    StartWithWindowsHidden(5, exe);
    ASSERT_TRUE(TerminateProcess(app.Process(), 1));
    ASSERT_TRUE(app.WaitEnded(10000));
    EXPECT_TRUE(AllBackWithin2s());
}
