#include "ProcessCounters.h"
#include <psapi.h>
#include <algorithm>
#include <vector>

namespace {

using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
using NtQueryInformationProcessFn = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

constexpr ULONG kSystemHandleInformation = 16;
constexpr ULONG kProcessBasicInformation = 0;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};

struct BasicInformation {
    LONG exitStatus;
    PVOID pebBase;
    ULONG_PTR affinity;
    LONG basePriority;
    ULONG_PTR pid;
    ULONG_PTR parentPid;
};

// One entry of the GDI handle table that the process's PEB points to.
#pragma pack(push, 8)
struct GdiEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 userPointer;
};
#pragma pack(pop)
static_assert(sizeof(GdiEntry) == 24, "GDI handle table entry");
constexpr size_t kGdiEntries = 0x10000;
// Where the PEB keeps the table's address: the layouts of a 32-bit and of a 64-bit process.
constexpr size_t kPebGdiTableOffset = sizeof(void*) == 4 ? 0x94 : 0xF8;

FARPROC NtProc(const char* name) {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name);
}

long CountKernelHandles(DWORD pid) {
    auto query = reinterpret_cast<NtQuerySystemInformationFn>(
        reinterpret_cast<void*>(NtProc("NtQuerySystemInformation")));
    if (!query) {
        return -1;
    }
    std::vector<BYTE> buffer(1 << 16);
    for (int attempt = 0; attempt < 12; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0) {
            return -1;
        }
        const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
        const auto* entries =
            reinterpret_cast<const HandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
        long mine = 0;
        for (ULONG i = 0; i < count; ++i) {
            mine += entries[i].ownerPid == pid;
        }
        return mine;
    }
    return -1;
}

long CountGdiObjects(HANDLE process) {
    auto query = reinterpret_cast<NtQueryInformationProcessFn>(
        reinterpret_cast<void*>(NtProc("NtQueryInformationProcess")));
    if (!query) {
        return -1;
    }
    BasicInformation basic{};
    if (query(process, kProcessBasicInformation, &basic, sizeof(basic), nullptr) < 0 ||
        !basic.pebBase) {
        return -1;
    }
    ULONG_PTR table = 0; // pointer-wide, as the PEB of a process of our own bitness holds it
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, static_cast<BYTE*>(basic.pebBase) + kPebGdiTableOffset, &table,
                           sizeof(table), &read) ||
        !table) {
        return -1;
    }
    std::vector<GdiEntry> entries(kGdiEntries);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(),
                           entries.size() * sizeof(GdiEntry), &read)) {
        return -1;
    }
    long used = 0;
    for (const GdiEntry& entry : entries) {
        used += entry.type != 0;
    }
    return used;
}

} // namespace

ProcessCounters ReadProcessCounters(HANDLE process, DWORD pid) {
    ProcessCounters counters;
    counters.kernelHandles = CountKernelHandles(pid);
    counters.gdiObjects = CountGdiObjects(process);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(process, &memory, sizeof(memory))) {
        counters.privateBytes = memory.PagefileUsage;
    }
    return counters;
}
