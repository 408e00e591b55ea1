// No window lost, whatever ends the program: a kill (Task Manager's "End task"), a crash, abort,
// at any moment of a switch, a delete or the exit, with or without the watcher that a kill
// leaves as the only way back; its process tree ended, every copy of it ended, its job closed,
// which leave the record of held windows to the next start. And no window shown twice after a
// normal exit, none shown from a record that is not whole or not its own.
#include "tests/app/ProcessTree.h"
#include "tests/app/ScratchFolder.h"
#include "tests/support/Session.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

using namespace ztest;
using ::testing::Each;

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

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

// Where the program keeps the record of a program's held windows: in the folder the harness
// gives every program it starts, named by the program's process id and start time.
std::wstring RecordFolder() {
    wchar_t base[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
    return std::wstring(base) + L"\\Zelvanor";
}
std::wstring RecordOf(DWORD pid, UINT64 start) {
    wchar_t name[64];
    swprintf(name, 64, L"\\%lu-%016llx.held", static_cast<unsigned long>(pid),
             static_cast<unsigned long long>(start));
    return RecordFolder() + name;
}

class EndToEndKeeper : public Session, public ::testing::WithParamInterface<Case> {
protected:
    // Two areas, the first holding the helper's `count` windows hidden, the second current; the
    // watcher runs.
    void StartWithWindowsHidden(int count, Setup setup = {}) {
        setup.helper = L"--windows " + std::to_wstring(count);
        setup.current = 1;
        ASSERT_NO_FATAL_FAILURE(Start(setup));
        ASSERT_TRUE(ProcessTree(app.Pid()).WaitWatcher()) << "no watcher runs";
    }
    ::testing::AssertionResult AllBack() const { return Eventually(windows, Each(Shown())); }
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
            ASSERT_TRUE(Switch(0, windows));
            windows = windows + Open(199);
        }
        ProcessTree tree(app.Pid());
        if (c.withoutWatcher) {
            ASSERT_TRUE(tree.EndWatcher());
        }
        const std::wstring record = RecordOf(app.Pid(), ProcessStart(app.Pid()));
        if (c.moment == Moment::kBarHidden) {
            ASSERT_TRUE(app.Command(IDCANCEL));
            ASSERT_TRUE(app.WaitVisible(false));
        } else if (c.moment != Moment::kAfterSwitch) {
            // The operation is asked for, and the fault falls a moment into it.
            ASSERT_TRUE(c.moment == Moment::kDuringSwitch ? app.PostClickRow(1)
                        : c.moment == Moment::kDuringExit
                            ? app.Post(WM_COMMAND, ID_TRAY_EXIT)
                            : app.TargetRow(0) && app.Post(WM_COMMAND, ID_DELETE_WORKING_AREA));
            Sleep(RandomMomentMs());
        }
        // The fault falls on a thread of its own while the window thread goes on with the
        // operation, as a crash of another of the program's threads would. The window thread is
        // not stopped first: stopped while it holds the process heap's lock, it keeps any new
        // thread from starting at all (a thread's start takes that lock), so the fault would
        // never fall and the program never end, which no real crash can bring about.
        const char* function = c.fault == Fault::kCrash                         ? nullptr
                               : std::string(c.name).rfind("Terminate", 0) == 0 ? "std::terminate"
                                                                                : "abort";
        const bool faulted = c.fault == Fault::kKill
                                 ? TerminateProcess(app.Process(), 1) != FALSE
                                 : CrashRemotely(app.Process(), ProgramPath(), function);
        if (!faulted && !app.Running()) {
            EXPECT_TRUE(AllBack()) << "after an operation that ended before the fault";
            continue;
        }
        ASSERT_TRUE(faulted) << "the fault could not be made (for abort: its function was not "
                                "found)";
        ASSERT_TRUE(app.WaitEnded(30000));
        EXPECT_TRUE(AllBack());
        // What the watcher brought back, no later start shows again.
        if (!c.withoutWatcher) {
            EXPECT_TRUE(Eventually([&] { return FileExists(record); }, false))
                << "the watcher left the record behind";
        }
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, EndToEndKeeper, ::testing::ValuesIn(kCases),
                         ::testing::PrintToStringParamName());

TEST_F(EndToEndKeeper, NormalExitLeavesTheWatcherNothingAndALostWatcherIsReplaced) {
    ASSERT_NO_FATAL_FAILURE(StartWithWindowsHidden(3));
    ProcessTree tree(app.Pid());
    const DWORD first = tree.WatcherPid();
    ASSERT_NE(first, 0u) << "no watcher runs";

    // Killing the watcher leaves the program working; the next switch starts another. A switch
    // returns once the windows have acted on it.
    ASSERT_TRUE(tree.EndWatcher());
    ASSERT_TRUE(app.ClickRow(0));
    ASSERT_THAT(windows, Each(Shown()));
    ASSERT_TRUE(app.ClickRow(1));
    EXPECT_THAT(windows, Each(Hidden()));
    EXPECT_TRUE(tree.WaitWatcher());
    const DWORD second = tree.WatcherPid();
    EXPECT_NE(second, 0u) << "no new watcher";
    EXPECT_NE(second, first);

    // After the exit command the watcher has nothing left to show, and ends.
    const UniqueKernelObject watcher = tree.OpenWatcher();
    ASSERT_TRUE(watcher);
    ASSERT_TRUE(Exit());
    EXPECT_TRUE(AllBack());
    ASSERT_EQ(WaitForSingleObject(watcher.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0))
        << "the watcher outlived the program";
    DWORD shown = 0;
    GetExitCodeProcess(watcher.get(), &shown);
    EXPECT_EQ(shown, 0u) << "the watcher showed windows again after a normal exit";
}

TEST_F(EndToEndKeeper, EndingTheProcessTreeLeavesTheWatcher) {
    ASSERT_NO_FATAL_FAILURE(StartWithWindowsHidden(5));
    ASSERT_TRUE(ProcessTree(app.Pid()).EndTree());
    EXPECT_TRUE(AllBack());
}

TEST_F(EndToEndKeeper, EndingEveryCopyLeavesTheWindowsToTheNextStart) {
    ASSERT_NO_FATAL_FAILURE(StartWithWindowsHidden(5));
    ASSERT_TRUE(ProcessTree::EndEveryCopy());
    ASSERT_TRUE(app.WaitEnded(10000));
    ASSERT_TRUE(helper.Sync());
    ASSERT_THAT(windows, Each(Hidden())) << "something but the record showed them";
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(AllBack());
    EXPECT_EQ(app.Rows(), 1);
}

// Every copy ended while a hung program still has the switch's hides queued: its windows read
// as visible when the next start restores them, and are hidden a moment later unless the
// restore's request waits behind the hides.
TEST_F(EndToEndKeeper, HidesStillQueuedForAHungProgramDoNotOutlastTheNextStart) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 3"}));
    const UniqueKernelObject done = helper.Hang(15);
    ASSERT_TRUE(done);
    ASSERT_TRUE(app.PostClickRow(1));
    ASSERT_TRUE(app.Answers(60000));
    ASSERT_TRUE(ProcessTree::EndEveryCopy());
    ASSERT_TRUE(app.WaitEnded(10000));
    ASSERT_TRUE(app.Start());
    if (WaitForSingleObject(done.get(), 0) == WAIT_OBJECT_0) {
        GTEST_SKIP() << "the machine took the whole hang to start the program again";
    }
    ASSERT_THAT(windows, Each(Shown())) << "the hides ran before the hang ended";
    ASSERT_EQ(WaitForSingleObject(done.get(), 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(AllBack());
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
    ASSERT_NO_FATAL_FAILURE(StartWithWindowsHidden(5, {.job = job.get()}));
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
    EXPECT_TRUE(AllBack());
}

namespace {

// A window as a record lists it.
struct Held {
    UINT64 hwnd;
    DWORD pid;
    DWORD tid;
    UINT64 start; // its process's creation time
};

template <typename T> void Put(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof(value));
}

// A record's bytes, written out here rather than by the program's own writer, so that a fault
// its writer and reader share shows: a 16-byte header ("ZHWR", the version, the count and the
// FNV-1a checksum of the body), then 24 bytes a window; numbers little-endian.
std::string RecordBytes(const std::vector<Held>& held, DWORD version = 1) {
    std::string body;
    for (const Held& each : held) {
        Put(body, each.hwnd);
        Put(body, each.pid);
        Put(body, each.tid);
        Put(body, each.start);
    }
    DWORD checksum = 2166136261u;
    for (const char byte : body)
        checksum = (checksum ^ static_cast<unsigned char>(byte)) * 16777619u;
    std::string bytes = "ZHWR";
    Put(bytes, version);
    Put(bytes, static_cast<DWORD>(held.size()));
    Put(bytes, checksum);
    return bytes + body;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::vector<std::wstring> RecordFiles() {
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW found;
    UniqueFind find(FindFirstFileW((RecordFolder() + L"\\*.held").c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.get(), &found))
        paths.push_back(RecordFolder() + L"\\" + found.cFileName);
    return paths;
}

} // namespace

// Records as a killed program leaves them, and as damage or another program's id reuse would
// leave them: only the whole record of a program that is gone shows its window.
TEST_F(EndToEndKeeper, OnlyAWholeRecordOfAProgramThatIsGoneShowsItsWindows) {
    ASSERT_NO_FATAL_FAILURE(StartWithWindowsHidden(5));
    const DWORD pid = app.Pid();
    const UINT64 start = ProcessStart(pid);
    ASSERT_TRUE(ProcessTree::EndEveryCopy());
    ASSERT_TRUE(app.WaitEnded(10000));
    // The record left lists the helper's windows, each with its thread and its process's id and
    // start, in an order of the program's own.
    const std::wstring left = RecordOf(pid, start);
    const std::string bytes = ReadFileBytes(left);
    std::vector<Held> held;
    Windows listed;
    for (size_t at = 16; at + 24 <= bytes.size(); at += 24) {
        UINT64 hwnd = 0;
        std::memcpy(&hwnd, bytes.data() + at, sizeof(hwnd));
        listed.push_back(reinterpret_cast<HWND>(static_cast<UINT_PTR>(hwnd)));
        held.push_back({hwnd, helper.Pid(), GetWindowThreadProcessId(listed.back(), nullptr),
                        ProcessStart(helper.Pid())});
    }
    ASSERT_THAT(listed, ::testing::UnorderedElementsAreArray(windows));
    ASSERT_EQ(bytes, RecordBytes(held)) << "no whole record left";
    ASSERT_TRUE(DeleteFileW(left.c_str()));

    ASSERT_TRUE(WriteTextFile(RecordOf(pid, start), RecordBytes({held[0]})));
    std::string truncated = RecordBytes({held[1]});
    truncated.pop_back();
    ASSERT_TRUE(WriteTextFile(RecordOf(pid, start + 1), truncated));
    // Of another version.
    ASSERT_TRUE(WriteTextFile(RecordOf(pid, start + 2), RecordBytes({held[2]}, 2)));
    // The window's handle, process id and thread, but of a process started at another time:
    // the one that owned it has ended and its ids went to the helper.
    Held reused = held[3];
    reused.start -= 1;
    ASSERT_TRUE(WriteTextFile(RecordOf(pid, start + 3), RecordBytes({reused})));
    // A program that still runs (the helper's id and start time) keeps its record.
    const DWORD running = helper.Pid();
    ASSERT_TRUE(WriteTextFile(RecordOf(running, ProcessStart(running)), RecordBytes({held[4]})));

    // The records are read before the bar shows.
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(Eventually(listed[0], Shown()));
    Sync();
    EXPECT_THAT((Windows{listed[1], listed[2], listed[3], listed[4]}), Each(Hidden()));
    EXPECT_EQ(RecordFiles(), std::vector<std::wstring>{RecordOf(running, ProcessStart(running))});
}

namespace {

// Starts a Linux program from under Wine, which hands it over without a process to wait on: the
// caller waits for its work instead.
void StartLinuxProgram(std::wstring command) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

// Where a path lies for Linux programs; empty away from Wine.
std::wstring UnixPath(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = toUnix ? toUnix(path.c_str()) : nullptr;
    const std::string result = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix); // takes null too
    return std::wstring(result.begin(), result.end());
}

// A drive letter for the program's folder, made for one test and removed after it: the program
// started through it has another path than the folder itself. On Windows it is what SUBST
// makes; Wine follows only the drive links in its prefix's dosdevices folder, made here with ln.
class DriveLetter {
public:
    explicit DriveLetter(const std::wstring& target) {
        wchar_t prefix[MAX_PATH] = L"";
        const std::wstring unixTarget = UnixPath(target);
        const bool wine =
            !unixTarget.empty() && GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH) > 0;
        for (wchar_t letter = L'Q'; letter <= L'Y' && m_name.empty(); ++letter) {
            const std::wstring name = std::wstring(1, letter) + L":";
            if (GetDriveTypeW((name + L"\\").c_str()) != DRIVE_NO_ROOT_DIR)
                continue;
            if (wine) {
                m_link = std::wstring(prefix) + L"/dosdevices/" +
                         static_cast<wchar_t>(towlower(letter)) + L":";
                StartLinuxProgram(L"Z:\\bin\\ln -s " + unixTarget + L" " + m_link);
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
    ASSERT_NO_FATAL_FAILURE(StartWithWindowsHidden(5, {.exe = exe}));
    ASSERT_TRUE(TerminateProcess(app.Process(), 1));
    ASSERT_TRUE(app.WaitEnded(10000));
    EXPECT_TRUE(AllBack());
}
