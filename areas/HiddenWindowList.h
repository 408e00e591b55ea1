#pragma once
#include "UniqueHandle.h"
#include "areas/HeldWindowRecord.h"
#include "areas/MonitorLanding.h"
#include "areas/WindowRecord.h"
#include <set>
#include <tuple>
#include <vector>

// Every window that a working area holds hidden, kept where a watcher process can read it after
// the program is gone: an unnamed shared section, so that only this program and the watcher it
// hands the section to can reach it, and nothing else can make the watcher show a window.
// A window goes in before it is hidden, so that a kill at any moment leaves none out. The list
// is replaced whole by writing the other of two halves and switching to it with one store: a
// reader never sees it half written.
class HiddenWindowList {
public:
    using Entry = HeldWindowRecord::Window;
    // More than a desktop can hold: window handles are numbered by 16-bit slots.
    static constexpr LONG kCapacity = 65536;

    HiddenWindowList() = default;
    HiddenWindowList(const HiddenWindowList&) = delete;
    HiddenWindowList& operator=(const HiddenWindowList&) = delete;
    ~HiddenWindowList();

    // A new, empty list of this process.
    bool Create();
    // The list of another process, through a section handle it gave this one.
    bool Open(HANDLE section);
    bool Valid() const { return m_shared != nullptr; }
    // From now on every change of the list is written to `record` too: before the call returns
    // when it lists a window anew, soon after when it only takes windows out. The record must
    // outlive the list.
    void MirrorTo(HeldWindowRecord* record) { m_record = record; }
    HANDLE Section() const { return m_section.get(); }

    // Lists a window that is about to be hidden; false when the list is full, and then the
    // window must not be hidden.
    bool Add(const WindowRecord& record);
    // Takes out a window that Add listed but that stayed on screen after all.
    void Remove(const WindowRecord& record);
    // Lists windows about to be hidden, in order, and returns how many of them it listed: those
    // after them must not be hidden. One write of the record for all of them.
    size_t AddAll(const std::vector<WindowRecord>& records);
    // The list becomes exactly these windows.
    void Replace(const std::vector<Entry>& entries);
    void Clear() { Replace({}); }
    LONG Count() const;

    // Shows every listed window that still belongs to its recorded process and thread, without
    // waiting on any of them and without allocating: safe in a dying process. A window held from
    // a monitor that has gone comes back on one that exists. Returns how many.
    int ShowAll() const;
    // The monitors seen while the windows listed now were held.
    const MonitorLanding::Seen& MonitorsSeen() const;

private:
    struct Shared;
    bool List(const WindowRecord& record);
    // What the list holds, from this process's own copy.
    std::vector<Entry> Listed() const;
    // The one place that passes every change on to the record.
    void Mirror(HeldWindowRecord::Landing landing);
    // Before windows are listed: the monitors they are on now.
    void NoteMonitors();

    HeldWindowRecord* m_record = nullptr;
    UniqueKernelHandle m_section;
    Shared* m_shared = nullptr;
    std::set<std::tuple<UINT64, DWORD, DWORD>> m_listed; // what the active half holds
    MonitorLanding::Seen m_monitors{};                   // when there is no section
};
