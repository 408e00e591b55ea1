#include "ProcessCounters.h"
#include <winternl.h>
#include <psapi.h>
#include <algorithm>
#include <vector>

namespace {

constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

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

long CountKernelHandles(DWORD pid) {
    std::vector<BYTE> buffer(1 << 16);
    for (int attempt = 0; attempt < 12; ++attempt) {
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(
            SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0)
            return -1;
        const auto* list = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
        const SYSTEM_HANDLE_ENTRY* entries = list->Handle;
        return static_cast<long>(std::count_if(entries, entries + list->Count,
                                               [&](const auto& e) { return e.OwnerPid == pid; }));
    }
    return -1;
}

long CountGdiObjects(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic{};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic),
                                  nullptr) < 0 ||
        !basic.PebBaseAddress) {
        return -1;
    }
    ULONG_PTR table = 0; // pointer-wide, as the PEB of a process of our own bitness holds it
    SIZE_T read = 0;
    if (!ReadProcessMemory(process,
                           reinterpret_cast<BYTE*>(basic.PebBaseAddress) + kPebGdiTableOffset,
                           &table, sizeof(table), &read) ||
        !table) {
        return -1;
    }
    std::vector<GdiEntry> entries(kGdiEntries);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(),
                           entries.size() * sizeof(GdiEntry), &read)) {
        return -1;
    }
    return static_cast<long>(std::count_if(entries.begin(), entries.end(),
                                           [](const GdiEntry& entry) { return entry.type != 0; }));
}

} // namespace

ProcessCounters ReadProcessCounters(HANDLE process, DWORD pid) {
    ProcessCounters counters;
    counters.kernelHandles = CountKernelHandles(pid);
    counters.gdiObjects = CountGdiObjects(process);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(process, &memory, sizeof(memory)))
        counters.privateBytes = memory.PagefileUsage;
    return counters;
}
