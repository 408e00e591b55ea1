#include "areas/HiddenWindowList.h"
#include "areas/WindowTool.h"
#include <algorithm>

namespace {
constexpr LONG kMagic = 0x5A48574C; // "ZHWL"

std::tuple<UINT64, DWORD, DWORD> KeyOf(const WindowRecord& record) {
    return std::make_tuple(static_cast<UINT64>(reinterpret_cast<UINT_PTR>(record.hwnd)),
                           record.processId, record.threadId);
}
} // namespace

struct HiddenWindowList::Shared {
    LONG magic;
    volatile LONG active; // the half readers take: 0 or 1
    volatile LONG count[2];
    Entry entries[2][kCapacity];
    MonitorLanding::Seen monitors;
};

HiddenWindowList::~HiddenWindowList() {
    if (m_shared) {
        ::UnmapViewOfFile(m_shared);
    }
}

bool HiddenWindowList::Create() {
    const ULONGLONG size = sizeof(Shared);
    m_section.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                         static_cast<DWORD>(size >> 32), static_cast<DWORD>(size),
                                         nullptr));
    if (!m_section) {
        return false;
    }
    m_shared = static_cast<Shared*>(::MapViewOfFile(m_section.get(), FILE_MAP_WRITE, 0, 0, 0));
    if (!m_shared) {
        return false;
    }
    m_shared->magic = kMagic; // a new section is zero-filled: both halves empty, half 0 active
    return true;
}

bool HiddenWindowList::Open(HANDLE section) {
    m_section.reset(section);
    m_shared =
        static_cast<Shared*>(::MapViewOfFile(m_section.get(), FILE_MAP_READ, 0, 0, sizeof(Shared)));
    if (m_shared && m_shared->magic != kMagic) {
        ::UnmapViewOfFile(m_shared);
        m_shared = nullptr;
    }
    return m_shared != nullptr;
}

bool HiddenWindowList::Add(const WindowRecord& record) {
    NoteMonitors();
    const size_t before = m_listed.size();
    const bool listed = List(record);
    if (m_listed.size() != before) {
        Mirror(HeldWindowRecord::Landing::BeforeReturn);
    }
    return listed;
}

size_t HiddenWindowList::AddAll(const std::vector<WindowRecord>& records) {
    NoteMonitors();
    const size_t before = m_listed.size();
    size_t listed = 0;
    while (listed < records.size() && List(records[listed])) {
        ++listed;
    }
    if (m_listed.size() != before) {
        Mirror(HeldWindowRecord::Landing::BeforeReturn);
    }
    return listed;
}

bool HiddenWindowList::List(const WindowRecord& record) {
    const auto key = KeyOf(record);
    if (m_listed.count(key)) {
        return true;
    }
    if (!m_shared) {
        // No section to be had: no watcher can read the list, but the record still can.
        if (m_listed.size() >= static_cast<size_t>(kCapacity)) {
            return false;
        }
        m_listed.insert(key);
        return true;
    }
    const LONG half = m_shared->active;
    const LONG count = m_shared->count[half];
    if (count >= kCapacity) {
        return false;
    }
    m_shared->entries[half][count] = Entry{std::get<0>(key), record.processId, record.threadId};
    // The entry is complete before the count that makes readers see it.
    ::InterlockedExchange(&m_shared->count[half], count + 1);
    m_listed.insert(key);
    return true;
}

void HiddenWindowList::Remove(const WindowRecord& record) {
    const auto key = KeyOf(record);
    if (!m_listed.count(key)) {
        return;
    }
    std::vector<Entry> rest = Listed();
    rest.erase(std::remove_if(rest.begin(), rest.end(),
                              [&](const Entry& entry) {
                                  return std::make_tuple(entry.hwnd, entry.processId,
                                                         entry.threadId) == key;
                              }),
               rest.end());
    Replace(rest);
}

void HiddenWindowList::Replace(const std::vector<Entry>& entries) {
    const LONG half = m_shared ? 1 - m_shared->active : 0;
    LONG count = 0;
    std::set<std::tuple<UINT64, DWORD, DWORD>> was;
    was.swap(m_listed);
    bool adds = false;
    for (const Entry& entry : entries) {
        if (count == kCapacity) {
            break;
        }
        const auto key = std::make_tuple(entry.hwnd, entry.processId, entry.threadId);
        if (m_listed.insert(key).second) {
            if (m_shared) {
                m_shared->entries[half][count] = entry;
            }
            ++count;
            adds = adds || !was.count(key);
        }
    }
    if (m_shared) {
        ::InterlockedExchange(&m_shared->count[half], count);
        ::InterlockedExchange(&m_shared->active, half);
    }
    Mirror(adds ? HeldWindowRecord::Landing::BeforeReturn : HeldWindowRecord::Landing::Soon);
}

void HiddenWindowList::Mirror(HeldWindowRecord::Landing landing) {
    if (!m_record) {
        return;
    }
    if (!m_shared) {
        m_record->Mirror(Listed(), landing);
        return;
    }
    const LONG half = m_shared->active;
    const Entry* first = m_shared->entries[half];
    m_record->Mirror(std::vector<Entry>(first, first + m_shared->count[half]), landing);
}

std::vector<HiddenWindowList::Entry> HiddenWindowList::Listed() const {
    std::vector<Entry> entries;
    entries.reserve(m_listed.size());
    for (const auto& [hwnd, processId, threadId] : m_listed) {
        entries.push_back(Entry{hwnd, processId, threadId});
    }
    return entries;
}

void HiddenWindowList::NoteMonitors() {
    MonitorLanding::Seen* seen = m_shared ? &m_shared->monitors : &m_monitors;
    // Only the monitors seen since the list was last empty matter to what it holds.
    if (Count() == 0) {
        *seen = MonitorLanding::Seen{};
    }
    MonitorLanding::NoteMonitors(seen);
}

const MonitorLanding::Seen& HiddenWindowList::MonitorsSeen() const {
    return m_shared ? m_shared->monitors : m_monitors;
}

LONG HiddenWindowList::Count() const {
    return m_shared ? m_shared->count[m_shared->active] : static_cast<LONG>(m_listed.size());
}

int HiddenWindowList::ShowAll() const {
    if (!m_shared) {
        return 0;
    }
    const LONG half = m_shared->active;
    const LONG count = m_shared->count[half];
    const MonitorLanding landing(m_shared->monitors);
    int shown = 0;
    for (LONG i = 0; i < count && i < kCapacity; ++i) {
        const Entry& entry = m_shared->entries[half][i];
        const HWND hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(entry.hwnd));
        if (WindowTool::IsSameWindow(hwnd, entry.processId, entry.threadId)) {
            landing.BeforeShow(hwnd);
            ::ShowWindowAsync(hwnd, SW_SHOW);
            ++shown;
        }
    }
    return shown;
}
