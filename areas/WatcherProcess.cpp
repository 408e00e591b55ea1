#include "areas/WatcherProcess.h"
#include "areas/HiddenWindowList.h"
#include <shellapi.h>
#include <tlhelp32.h>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kWatcherArgument[] = L"--zelvanor-watcher";

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

// The command line of a watcher, split; empty unless it is one.
struct WatcherArguments {
    HANDLE parent = nullptr;
    HANDLE section = nullptr;
};

bool ParseWatcherArguments(WatcherArguments* out) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv) {
        return false;
    }
    bool ok = argc == 4 && std::wcscmp(argv[1], kWatcherArgument) == 0;
    if (ok) {
        wchar_t* end = nullptr;
        out->parent =
            reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(std::wcstoull(argv[2], &end, 16)));
        ok = end && *end == 0;
        out->section =
            reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(std::wcstoull(argv[3], &end, 16)));
        ok = ok && end && *end == 0 && out->parent && out->section;
    }
    ::LocalFree(argv);
    return ok;
}

DWORD ParentProcessId() {
    UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return 0;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    const DWORD self = ::GetCurrentProcessId();
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == self) {
            return entry.th32ParentProcessID;
        }
    }
    return 0;
}

// Only the program that started this watcher may hand it a list: the process handle must be
// its parent's, and the parent must be this very executable.
bool IsOwnParent(HANDLE parent) {
    const DWORD parentId = ParentProcessId();
    if (parentId == 0 || ::GetProcessId(parent) != parentId) {
        return false;
    }
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(parent, 0, &path[0], &size)) {
        return false;
    }
    path.resize(size);
    return ::_wcsicmp(path.c_str(), OwnPath().c_str()) == 0;
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

} // namespace

bool WatcherProcess::Ensure(const HiddenWindowList& list) {
    if (m_process && ::WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT) {
        return true;
    }
    m_process.reset();
    if (!list.Valid()) {
        return false;
    }
    const std::wstring exe = OwnPath();
    UniqueKernelHandle self =
        Inheritable(::GetCurrentProcess(), SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION);
    UniqueKernelHandle section = Inheritable(list.Section(), 0);
    if (exe.empty() || !self || !section) {
        return false;
    }
    std::wstring command = L"\"" + exe + L"\" " + kWatcherArgument + L" " + Hex(self.get()) + L" " +
                           Hex(section.get());

    // Exactly these two handles go to the watcher, and no standard handles.
    HANDLE inherited[2] = {self.get(), section.get()};
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
        ::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                    sizeof(inherited), nullptr, nullptr)) {
        info.lpAttributeList = attributes;
    }
    if (!info.lpAttributeList) {
        info.StartupInfo.cb = sizeof(STARTUPINFOW);
        flags = 0;
    }
    PROCESS_INFORMATION process{};
    // Out of this program's job where the job allows it, so that ending the job's other
    // processes does not end the watcher before it has done its work.
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
        return false;
    }
    ::CloseHandle(process.hThread);
    m_process.reset(process.hProcess);
    return true;
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
    UniqueKernelHandle parent(arguments.parent);
    HiddenWindowList list;
    if (!IsOwnParent(parent.get()) || !list.Open(arguments.section)) {
        return kRefused;
    }
    ::WaitForSingleObject(parent.get(), INFINITE);
    return list.ShowAll();
}
