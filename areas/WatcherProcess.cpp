#include "areas/WatcherProcess.h"
#include "areas/HeldWindowRecord.h"
#include "areas/HiddenWindowList.h"
#include <shellapi.h>
#include <tlhelp32.h>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// A watcher is started by a short-lived middle copy of this program, so that no parent link
// leads from the program to it: ending the program's process tree does not end the watcher.
//   middle:  --zelvanor-watcher-start <program> <section>
//   watcher: --zelvanor-watcher <program> <section> <middle> <ready event>
constexpr wchar_t kMiddleArgument[] = L"--zelvanor-watcher-start";
constexpr wchar_t kWatcherArgument[] = L"--zelvanor-watcher";
constexpr int kMiddleHandles = 2;
constexpr int kWatcherHandles = 4;
// How long the middle copy waits for the watcher to accept the handles before it gives up.
constexpr DWORD kAcceptMs = 10000;

std::wstring OwnPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) {
            return std::wstring();
        }
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The handles named on a middle copy's or a watcher's command line; none unless it is one.
struct WatcherArguments {
    bool middle = false;
    HANDLE handles[kWatcherHandles] = {};
};

bool ParseWatcherArguments(WatcherArguments* out) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv) {
        return false;
    }
    out->middle = argc == 2 + kMiddleHandles && std::wcscmp(argv[1], kMiddleArgument) == 0;
    bool ok =
        out->middle || (argc == 2 + kWatcherHandles && std::wcscmp(argv[1], kWatcherArgument) == 0);
    for (int i = 2; ok && i < argc; ++i) {
        wchar_t* end = nullptr;
        out->handles[i - 2] =
            reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(std::wcstoull(argv[i], &end, 16)));
        ok = end && *end == 0 && out->handles[i - 2];
    }
    ::LocalFree(argv);
    return ok;
}

DWORD ParentOf(DWORD processId) {
    UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return 0;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == processId) {
            return entry.th32ParentProcessID;
        }
    }
    return 0;
}

std::wstring ImagePath(HANDLE process) {
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(process, 0, &path[0], &size)) {
        return std::wstring();
    }
    path.resize(size);
    return path;
}

bool FileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info) {
    UniqueKernelHandle file(::CreateFileW(path.c_str(), 0,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && ::GetFileInformationByHandle(file.get(), info);
}

// Both processes run this very executable. Both paths are asked of the system the same way, so
// a program started through a SUBST drive, a junction, a link or a share compares equal; where
// the names still differ, the files' volume and index decide.
bool SameExecutable(HANDLE process, HANDLE other) {
    const std::wstring a = ImagePath(process);
    const std::wstring b = ImagePath(other);
    if (a.empty() || b.empty()) {
        return false;
    }
    if (::_wcsicmp(a.c_str(), b.c_str()) == 0) {
        return true;
    }
    BY_HANDLE_FILE_INFORMATION x, y;
    return FileIdentity(a, &x) && FileIdentity(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

// `parent` is the handle of this process's real parent, which runs this very executable.
bool IsOwnParent(HANDLE parent) {
    const DWORD parentId = ParentOf(::GetCurrentProcessId());
    return parentId != 0 && ::GetProcessId(parent) == parentId &&
           SameExecutable(parent, ::GetCurrentProcess());
}

std::wstring Hex(HANDLE handle) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%llx",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(handle)));
    return text;
}

// A handle this process may pass on to the one child it starts next.
UniqueKernelHandle Inheritable(HANDLE source, DWORD access) {
    HANDLE copy = nullptr;
    const HANDLE self = ::GetCurrentProcess();
    if (!::DuplicateHandle(self, source, self, &copy, access, TRUE,
                           access == 0 ? DUPLICATE_SAME_ACCESS : 0)) {
        return UniqueKernelHandle();
    }
    return UniqueKernelHandle(copy);
}

// Starts this executable with `argument` and exactly the given handles, which it inherits, and
// no standard handles; out of this program's job where the job allows it, so that closing the
// job does not end the watcher before it has done its work.
UniqueKernelHandle StartCopy(const wchar_t* argument, HANDLE* handles, int count) {
    const std::wstring exe = OwnPath();
    if (exe.empty()) {
        return UniqueKernelHandle();
    }
    std::wstring command = L"\"" + exe + L"\" " + argument;
    for (int i = 0; i < count; ++i) {
        command += L" " + Hex(handles[i]);
    }
    SIZE_T bytes = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &bytes);
    std::vector<ULONG_PTR> attributeBuffer(bytes / sizeof(ULONG_PTR) + 1); // pointer-aligned
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBuffer.data());
    STARTUPINFOEXW info{};
    info.StartupInfo.cb = sizeof(info);
    info.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_FORCEOFFFEEDBACK;
    DWORD flags = EXTENDED_STARTUPINFO_PRESENT;
    const bool initialised = ::InitializeProcThreadAttributeList(attributes, 1, 0, &bytes);
    if (initialised &&
        ::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles,
                                    count * sizeof(HANDLE), nullptr, nullptr)) {
        info.lpAttributeList = attributes;
    }
    if (!info.lpAttributeList) {
        info.StartupInfo.cb = sizeof(STARTUPINFOW);
        flags = 0;
    }
    PROCESS_INFORMATION process{};
    BOOL started = ::CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, TRUE,
                                    flags | CREATE_BREAKAWAY_FROM_JOB, nullptr, nullptr,
                                    &info.StartupInfo, &process);
    if (!started) {
        started = ::CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, TRUE, flags, nullptr,
                                   nullptr, &info.StartupInfo, &process);
    }
    if (initialised) {
        ::DeleteProcThreadAttributeList(attributes);
    }
    if (!started) {
        return UniqueKernelHandle();
    }
    ::CloseHandle(process.hThread);
    return UniqueKernelHandle(process.hProcess);
}

bool Alive(const UniqueKernelHandle& process) {
    return process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// The middle copy: checks that the program handed it its own handle, starts the watcher with the
// same two handles and its own, and ends once the watcher has accepted them. Its exit code is
// the watcher's process id, 0 when there is none.
int RunMiddle(const WatcherArguments& arguments) {
    UniqueKernelHandle program(arguments.handles[0]);
    UniqueKernelHandle section(arguments.handles[1]);
    if (!IsOwnParent(program.get())) {
        return 0;
    }
    UniqueKernelHandle self =
        Inheritable(::GetCurrentProcess(), SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    UniqueKernelHandle ready(::CreateEventW(&inherit, TRUE, FALSE, nullptr));
    if (!self || !ready) {
        return 0;
    }
    HANDLE handed[kWatcherHandles] = {program.get(), section.get(), self.get(), ready.get()};
    UniqueKernelHandle watcher = StartCopy(kWatcherArgument, handed, kWatcherHandles);
    if (!watcher) {
        return 0;
    }
    const HANDLE waits[2] = {ready.get(), watcher.get()};
    if (::WaitForMultipleObjects(2, waits, FALSE, kAcceptMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(watcher.get(), static_cast<UINT>(WatcherProcess::kRefused));
        return 0;
    }
    return static_cast<int>(::GetProcessId(watcher.get()));
}

// The watcher: the program's handle came through a middle copy, its parent, which still runs
// and was itself started by that program; all three run this very executable. Then it holds
// only the program's handle and the section until the program ends.
int RunWatcher(const WatcherArguments& arguments) {
    UniqueKernelHandle program(arguments.handles[0]);
    UniqueKernelHandle section(arguments.handles[1]);
    UniqueKernelHandle middle(arguments.handles[2]);
    UniqueKernelHandle ready(arguments.handles[3]);
    const DWORD programId = ::GetProcessId(program.get());
    if (!IsOwnParent(middle.get()) || programId == 0 ||
        ParentOf(::GetProcessId(middle.get())) != programId ||
        !SameExecutable(program.get(), ::GetCurrentProcess())) {
        return WatcherProcess::kRefused;
    }
    HiddenWindowList list;
    if (!list.Open(section.release())) {
        return WatcherProcess::kRefused;
    }
    ::SetEvent(ready.get());
    ready.reset();
    middle.reset();
    ::WaitForSingleObject(program.get(), INFINITE);
    const int shown = list.ShowAll();
    // The program's record lists no window the list does not (it is written from the list), and
    // those are back now: a later start must not show them again once their programs hide them.
    HeldWindowRecord::RemoveRecordOf(program.get());
    return shown;
}

} // namespace

bool WatcherProcess::Ensure(const HiddenWindowList& list) {
    if (Alive(m_process)) {
        return true;
    }
    m_process.reset();
    if (m_middle) {
        if (Alive(m_middle)) {
            return true; // a watcher is on its way
        }
        DWORD watcherId = 0;
        ::GetExitCodeProcess(m_middle.get(), &watcherId);
        if (watcherId != 0) {
            m_process.reset(
                ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, watcherId));
            // The id alone could by now name another copy's watcher, had this one died at once;
            // the middle copy's handle, still held, keeps its id its own, so a child of it is
            // the watcher it started.
            if (Alive(m_process) && ParentOf(watcherId) == ::GetProcessId(m_middle.get()) &&
                SameExecutable(m_process.get(), ::GetCurrentProcess())) {
                m_middle.reset();
                return true;
            }
            m_process.reset();
        }
        m_middle.reset();
    }
    if (!list.Valid()) {
        return false;
    }
    UniqueKernelHandle self =
        Inheritable(::GetCurrentProcess(), SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION);
    UniqueKernelHandle section = Inheritable(list.Section(), 0);
    if (!self || !section) {
        return false;
    }
    HANDLE handed[kMiddleHandles] = {self.get(), section.get()};
    m_middle = StartCopy(kMiddleArgument, handed, kMiddleHandles);
    return static_cast<bool>(m_middle);
}

DWORD WatcherProcess::ProcessId() const {
    return m_process ? ::GetProcessId(m_process.get()) : 0;
}

bool WatcherProcess::IsWatcherCommandLine() {
    WatcherArguments arguments;
    return ParseWatcherArguments(&arguments);
}

int WatcherProcess::Run() {
    WatcherArguments arguments;
    if (!ParseWatcherArguments(&arguments)) {
        return kRefused;
    }
    return arguments.middle ? RunMiddle(arguments) : RunWatcher(arguments);
}
