#include "areas/WindowKeeper.h"
#include "areas/WorkingArea.h"

namespace {
WindowKeeper* g_current = nullptr;
} // namespace

namespace {
std::tuple<HWND, DWORD, DWORD> KeyOf(const WindowRecord& record) {
    return std::make_tuple(record.hwnd, record.processId, record.threadId);
}
} // namespace

WindowKeeper::WindowKeeper(ShowRequests::QueueFn queue) : m_requests(queue) {
    m_list.Create();
    m_list.MirrorTo(&m_record);
    g_current = this;
}

WindowKeeper::~WindowKeeper() {
    if (g_current == this) {
        g_current = nullptr;
    }
}

WindowKeeper* WindowKeeper::Current() {
    return g_current;
}

MonitorLanding WindowKeeper::Landing() {
    return g_current ? MonitorLanding(g_current->m_list.MonitorsSeen()) : MonitorLanding();
}

void WindowKeeper::EnsureWatcher() {
    m_watcher.Ensure(m_list);
}

void WindowKeeper::Hold(const std::vector<const WorkingArea*>& notCurrent) {
    std::vector<HiddenWindowList::Entry> entries;
    for (const WorkingArea* area : notCurrent) {
        for (const WindowRecord& record : area->m_windows) {
            if (WorkingArea::HidesWhenLeft(record)) {
                entries.push_back(HiddenWindowList::Entry{
                    static_cast<UINT64>(reinterpret_cast<UINT_PTR>(record.hwnd)), record.processId,
                    record.threadId});
            }
        }
    }
    m_list.Replace(entries);
}

void WindowKeeper::HideFailed(const WindowRecord& record) {
    m_list.Remove(record);
    m_cannotHide.insert(KeyOf(record));
}

bool WindowKeeper::CannotHide(const WindowRecord& record) const {
    return m_cannotHide.count(KeyOf(record)) != 0;
}

void WindowKeeper::SetPinned(const WindowRecord& record, bool pinned) {
    const auto key = KeyOf(record);
    if (pinned) {
        m_pins.insert(key);
    } else {
        m_pins.erase(key);
    }
}

bool WindowKeeper::IsPinned(const WindowRecord& record) const {
    return m_pins.count(KeyOf(record)) != 0;
}
