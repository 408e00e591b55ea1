#pragma once
#include <windows.h>
#include "UniqueHandle.h"
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

// The held windows again, in a per-user file that outlives every copy of this program: when the
// program and its watcher are ended together (a process tree ended, every copy of the program
// ended, a job closed), the next start shows the windows it lists. One file per running
// program, named by its process id and start time, in %LOCALAPPDATA%\Zelvanor. It exists only
// while windows are held, is replaced whole (a new file renamed over the old one), so a kill at
// any moment leaves the old file or the new one, and it lists no areas or names: it serves only
// to bring windows back. Another program may hold the file for a while (a virus scanner reads
// every new file): a refused write or removal is tried again, with a growing pause, until it
// lands or a later change replaces it, and the replacement that could not be renamed over the
// record stays beside it, whole, for a start after a kill to read.
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
    // Lands what is still to be written, trying for a short while if the file is refused; the
    // watcher, which outlives this process, removes the record after that.
    ~HeldWindowRecord();
    HeldWindowRecord(const HeldWindowRecord&) = delete;
    HeldWindowRecord& operator=(const HeldWindowRecord&) = delete;

    // When a change must be in the file. A change that lists a window not listed before is
    // written before the call returns, since that window is hidden next; if the file is refused,
    // the call still returns, and the record's own thread goes on trying while the switch goes
    // on. One that only takes windows out is written soon after by that thread, so that a switch
    // does not wait for the file: until it lands the record lists windows that are back on
    // screen, and a restore shows only windows that are hidden.
    enum class Landing { BeforeReturn, Soon };
    // The record becomes exactly these windows; with none it is removed. A record that cannot
    // be written yet is left as it was and the switch goes on (the definition says why that is
    // safe).
    void Mirror(const std::vector<Window>& windows, Landing landing = Landing::BeforeReturn);
    const std::wstring& Path() const { return m_path; }

    // At start-up: shows the windows of every record whose program no longer runs (the
    // replacement left beside it if that is whole, being newer), then removes the record. A
    // record that cannot be read or is not one of this version is removed unread; a running
    // program's record is left alone. Returns how many windows it showed.
    static int RestoreLeftBehind();
    // Removes the record of a program that has ended, once its windows are back, trying again
    // for a while if another program holds it.
    static void RemoveRecordOf(HANDLE program);

    // The folder of every record (empty when there is none to be had), and the file format.
    static std::wstring Folder();
    static std::wstring FileName(DWORD processId, UINT64 processStart);
    static std::string Encode(const std::vector<Entry>& entries);
    static bool Decode(const std::string& bytes, std::vector<Entry>* entries);
    // A process's creation time, or 0 when it has ended or cannot be asked.
    static UINT64 ProcessStart(DWORD processId);

private:
    // Writes the file as `bytes` (removes it when empty), unless a later change has landed;
    // false when the file was refused. Holds m_fileMutex.
    bool Land(const std::string& bytes, UINT64 version);
    bool Store(const std::string& bytes);
    // Hands a change to the writer thread (taking `bytes`), unless a later one waits there;
    // holds m_mutex. False when no thread can be had.
    bool Hand(std::string& bytes, UINT64 version);
    void WriterMain();

    std::wstring m_folder;
    std::wstring m_path;

    // The changes handed on: numbered in the order they were made, so that an older one the
    // writer takes up late never replaces a newer one.
    std::mutex m_mutex;
    std::condition_variable m_handed;
    UINT64 m_lastVersion = 0;
    bool m_pending = false;
    UINT64 m_pendingVersion = 0;
    std::string m_pendingBytes;
    bool m_stop = false;
    DWORD m_stoppedAt = 0;
    std::thread m_writer;

    // The file, written by one thread at a time.
    std::mutex m_fileMutex;
    UINT64 m_landedVersion = 0;
    bool m_written = false;
    bool m_folderMade = false;
    std::string m_last; // what the record holds now
    // The replacement whose rename was refused, left beside the record; empty bytes when what
    // it holds is not known to be whole.
    bool m_freshLeft = false;
    std::string m_freshBytes;
    // A handle to each process with listed windows: while it is held, the process's id cannot
    // go to another, so its start time, looked up once, stays right.
    struct Process {
        UniqueKernelHandle handle;
        UINT64 start;
    };
    std::unordered_map<DWORD, Process> m_processes;
};
