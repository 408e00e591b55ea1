#include "tests/app/ProcessTree.h"
#include <algorithm>
#include "tests/support/Wait.h"
#include <psapi.h>
#include <tlhelp32.h>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towlower(c));
    return text;
}

// Where a module of the given name starts in a process; null if it has none.
BYTE* ModuleBase(HANDLE process, const wchar_t* name) {
    HMODULE modules[1024];
    DWORD bytes = 0;
    if (!EnumProcessModules(process, modules, sizeof(modules), &bytes))
        return nullptr;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE); ++i) {
        wchar_t base[MAX_PATH] = L"";
        GetModuleBaseNameW(process, modules[i], base, MAX_PATH);
        if (name == nullptr ? i == 0 : Lower(base) == name)
            return reinterpret_cast<BYTE*>(modules[i]);
    }
    return nullptr;
}

// The relative address of a symbol the linker left in the executable's COFF symbol table.
DWORD SymbolRva(const std::wstring& exePath, const std::string& symbol) {
    std::ifstream file(exePath.c_str(), std::ios::binary);
    const std::vector<char> image((std::istreambuf_iterator<char>(file)), {});
    // Copies a part of the file into `out`; false where the file is too short for it.
    const auto read = [&](size_t offset, auto& out) {
        const bool whole = offset + sizeof(out) <= image.size();
        if (whole)
            std::memcpy(&out, image.data() + offset, sizeof(out));
        return whole;
    };
    IMAGE_DOS_HEADER dos;
    IMAGE_FILE_HEADER header;
    if (!read(0, dos) || !read(dos.e_lfanew + 4u, header) || header.PointerToSymbolTable == 0)
        return 0;
    const size_t sections = dos.e_lfanew + 4u + sizeof(header) + header.SizeOfOptionalHeader;
    const size_t strings = header.PointerToSymbolTable + header.NumberOfSymbols * 18u;
    IMAGE_SYMBOL sym;
    for (DWORD i = 0;
         i < header.NumberOfSymbols && read(header.PointerToSymbolTable + i * 18u, sym);
         i += 1 + sym.NumberOfAuxSymbols) {
        const char* shortName = reinterpret_cast<const char*>(sym.N.ShortName);
        std::string name(shortName, strnlen(shortName, 8));
        if (sym.N.Name.Short == 0) { // a long name, in the string table after the symbols
            const size_t at = strings + sym.N.Name.Long;
            name = at < image.size() ? image.data() + at : "";
        }
        IMAGE_SECTION_HEADER section;
        if (name == symbol && sym.SectionNumber > 0 &&
            sym.SectionNumber <= header.NumberOfSections &&
            read(sections + (sym.SectionNumber - 1) * sizeof(section), section)) {
            return section.VirtualAddress + sym.Value;
        }
    }
    return 0;
}

BYTE* FunctionInProgram(HANDLE process, const std::wstring& exePath, const char* function) {
    if (std::strcmp(function, "abort") == 0) {
        // The C runtime DLL sits at one place in every process; the offset is certain anyway.
        BYTE* theirs = ModuleBase(process, L"msvcrt.dll");
        BYTE* ours = reinterpret_cast<BYTE*>(GetModuleHandleW(L"msvcrt.dll"));
        FARPROC abortHere = GetProcAddress(GetModuleHandleW(L"msvcrt.dll"), "abort");
        if (!theirs || !ours || !abortHere)
            return nullptr;
        return theirs + (reinterpret_cast<BYTE*>(abortHere) - ours);
    }
    // std::terminate(), as GCC names it; 32-bit symbols carry one more underscore.
    const std::string symbol = std::string(sizeof(void*) == 4 ? "_" : "") + "_ZSt9terminatev";
    const DWORD rva = SymbolRva(exePath, symbol);
    BYTE* base = ModuleBase(process, nullptr);
    return rva && base ? base + rva : nullptr;
}

std::vector<PROCESSENTRY32W> Processes() {
    std::vector<PROCESSENTRY32W> all;
    ztest::UniqueKernelObject snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        all.push_back(entry);
    }
    return all;
}

bool IsZelvanor(const PROCESSENTRY32W& entry) {
    return Lower(entry.szExeFile).find(L"zelvanor") != std::wstring::npos;
}

} // namespace

ULONGLONG ProcessStart(DWORD pid) {
    const ztest::UniqueKernelObject process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    FILETIME times[4];
    if (!process || !GetProcessTimes(process.get(), &times[0], &times[1], &times[2], &times[3]))
        return 0;
    return (static_cast<ULONGLONG>(times[0].dwHighDateTime) << 32) | times[0].dwLowDateTime;
}

DWORD ProcessTree::WatcherPid() const {
    const ULONGLONG programStart = ProcessStart(m_programPid);
    for (const PROCESSENTRY32W& entry : Processes()) {
        if (IsZelvanor(entry) && entry.th32ProcessID != m_programPid &&
            entry.th32ParentProcessID != m_programPid &&
            ProcessStart(entry.th32ProcessID) >= programStart) {
            return entry.th32ProcessID;
        }
    }
    return 0;
}

bool ProcessTree::WaitWatcher() const {
    return ztest::WaitUntil(
        [this] {
            for (const PROCESSENTRY32W& entry : Processes()) {
                if (IsZelvanor(entry) && entry.th32ParentProcessID == m_programPid) {
                    return false; // a middle copy still hands the watcher its handles
                }
            }
            return WatcherPid() != 0;
        },
        20000);
}

bool ProcessTree::EndTree() const {
    const std::vector<PROCESSENTRY32W> all = Processes();
    std::vector<DWORD> tree{m_programPid};
    for (size_t i = 0; i < tree.size(); ++i) {
        for (const PROCESSENTRY32W& entry : all) {
            if (entry.th32ParentProcessID == tree[i] && entry.th32ProcessID != tree[i])
                tree.push_back(entry.th32ProcessID);
        }
    }
    // Terminated all before any is waited for, as one command of a user does.
    std::vector<ztest::UniqueKernelObject> processes;
    bool ok = true;
    for (DWORD pid : tree) {
        processes.emplace_back(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
        ok = ok && processes.back() && TerminateProcess(processes.back().get(), 1);
    }
    for (const auto& process : processes)
        ok = ok && WaitForSingleObject(process.get(), 10000) == WAIT_OBJECT_0;
    return ok;
}

bool ProcessTree::EndEveryCopy() {
    // A middle copy ended while it starts its watcher leaves that watcher created and never let
    // run, and a process list shows it only later: the copies settle first, each started by a
    // copy that is gone.
    const auto copies = [] {
        std::vector<PROCESSENTRY32W> found;
        for (const PROCESSENTRY32W& entry : Processes()) {
            if (Lower(entry.szExeFile) == L"zelvanor.exe")
                found.push_back(entry);
        }
        return found;
    };
    ztest::WaitUntil(
        [&] {
            const std::vector<PROCESSENTRY32W> all = copies();
            return std::none_of(all.begin(), all.end(), [&](const PROCESSENTRY32W& child) {
                return std::any_of(all.begin(), all.end(), [&](const PROCESSENTRY32W& parent) {
                    return parent.th32ProcessID == child.th32ParentProcessID;
                });
            });
        },
        20000);
    bool ok = true;
    // A copy started while the others end (a watcher the program replaces) is ended by the next
    // pass.
    for (int pass = 0; pass < 10; ++pass) {
        std::vector<DWORD> pids;
        for (const PROCESSENTRY32W& entry : copies())
            pids.push_back(entry.th32ProcessID);
        if (pids.empty())
            return ok && pass > 0;
        // Newest first, each gone before the next: the watcher before the program it watches,
        // or it may see the program end and bring the windows back before its own end, and
        // nothing would be left for the record to do. That is the worst order a "taskkill /IM"
        // can take.
        std::sort(pids.begin(), pids.end(),
                  [](DWORD a, DWORD b) { return ProcessStart(a) > ProcessStart(b); });
        for (DWORD pid : pids) {
            // One that ended by itself since the list was taken has nothing left to end.
            const ztest::UniqueKernelObject copy(
                OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
            if (copy) {
                TerminateProcess(copy.get(), 1);
                ok = WaitForSingleObject(copy.get(), 10000) == WAIT_OBJECT_0 && ok;
            }
        }
    }
    return false;
}

ztest::UniqueKernelObject ProcessTree::OpenWatcher() const {
    const DWORD pid = WatcherPid();
    return ztest::UniqueKernelObject(
        pid ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                          FALSE, pid)
            : nullptr);
}

bool ProcessTree::EndWatcher() const {
    const ztest::UniqueKernelObject watcher = OpenWatcher();
    return watcher && TerminateProcess(watcher.get(), 1) &&
           WaitForSingleObject(watcher.get(), 10000) == WAIT_OBJECT_0;
}

bool CrashRemotely(HANDLE process, const std::wstring& exePath, const char* function) {
    BYTE* start =
        function ? FunctionInProgram(process, exePath, function) : reinterpret_cast<BYTE*>(1);
    if (!start)
        return false;
    const ztest::UniqueKernelObject thread(CreateRemoteThread(
        process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(start), nullptr, 0, nullptr));
    return static_cast<bool>(thread);
}
