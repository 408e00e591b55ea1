#pragma once
#include <windows.h>
#include "UniqueHandle.h"
#include <string>
#include <unordered_map>
#include <vector>

// The held windows again, in a per-user file that outlives every copy of this program: when the
// program and its watcher are ended together (a process tree ended, every copy of the program
// ended, a job closed), the next start shows the windows it lists. One file per running
// program, named by its process id and start time, in %LOCALAPPDATA%\Zelvanor. It exists only
// while windows are held, is replaced whole (a new file renamed over the old one), so a kill at
// any moment leaves the old file or the new one, and it lists no areas or names: it serves only
// to bring windows back.
class HeldWindowRecord {
public:
    struct Window {
        UINT64 hwnd; // wide enough for either bitness
        DWORD processId;
        DWORD threadId;
    };
    struct Entry {
        Window window;
        UINT64 processStart; // the window's process's creation time; 0 when it was unknown
    };
    static constexpr DWORD kVersion = 1;
    static constexpr size_t kMaxEntries = 65536; // as many as the shared list holds

    // This process's record; nothing is written until Mirror.
    HeldWindowRecord();
    HeldWindowRecord(const HeldWindowRecord&) = delete;
    HeldWindowRecord& operator=(const HeldWindowRecord&) = delete;

    // The record becomes exactly these windows; with none it is removed. A record that cannot
    // be written is left as it was and the switch goes on (the definition says why that is safe).
    void Mirror(const std::vector<Window>& windows);
    const std::wstring& Path() const { return m_path; }

    // At start-up: shows the windows of every record whose program no longer runs, then removes
    // the record. A record that cannot be read or is not one of this version is removed
    // unread; a running program's record is left alone. Returns how many windows it showed.
    static int RestoreLeftBehind();

    // The folder of every record (empty when there is none to be had), and the file format.
    static std::wstring Folder();
    static std::wstring FileName(DWORD processId, UINT64 processStart);
    static std::string Encode(const std::vector<Entry>& entries);
    static bool Decode(const std::string& bytes, std::vector<Entry>* entries);
    // A process's creation time, or 0 when it has ended or cannot be asked.
    static UINT64 ProcessStart(DWORD processId);

private:
    std::wstring m_folder;
    std::wstring m_path;
    bool m_written = false;
    bool m_folderMade = false;
    std::string m_last; // what the record holds now
    // A handle to each process with listed windows: while it is held, the process's id cannot
    // go to another, so its start time, looked up once, stays right.
    struct Process {
        UniqueKernelHandle handle;
        UINT64 start;
    };
    std::unordered_map<DWORD, Process> m_processes;
};
