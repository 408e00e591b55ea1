#include "areas/HeldWindowRecord.h"
#include "UniqueHandle.h"
#include "areas/WindowTool.h"
#include <shlobj.h>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <initializer_list>
#include <set>
#include <system_error>
#include <unordered_map>

namespace {

constexpr DWORD kMagic = 0x5257485A; // "ZHWR"
constexpr size_t kHeaderBytes = 16;  // magic, version, count, checksum
constexpr size_t kEntryBytes = 24;   // hwnd, process id, thread id, process start
constexpr size_t kMaxBytes = kHeaderBytes + HeldWindowRecord::kMaxEntries * kEntryBytes;
constexpr wchar_t kSuffix[] = L".held";
constexpr wchar_t kNewSuffix[] = L".held.new";

// Another program may hold the file: a virus scanner reads every new file, a backup copies it.
// Refused, it is tried again, soon at first (a scanner reads a small file in milliseconds), then
// at most once a second while the program runs. An exit tries for a short while only, since the
// watcher removes the record once the program has ended; the watcher and a start leave a file
// that stays held longer to the next start.
constexpr DWORD kFirstPauseMs = 10;
constexpr DWORD kLongestPauseMs = 1000;
constexpr DWORD kExitTriesMs = 2000;
constexpr DWORD kWatcherTriesMs = 60000;
constexpr DWORD kStartTriesMs = 500;

DWORD LongerPause(DWORD pause) {
    return std::min(pause * 2, kLongestPauseMs);
}

std::wstring FreshPathOf(const std::wstring& record) {
    return record.substr(0, record.size() - std::wcslen(kSuffix)) + kNewSuffix;
}

// Gone, or never there.
bool Remove(const std::wstring& path) {
    if (::DeleteFileW(path.c_str())) {
        return true;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool RemoveWithin(std::initializer_list<std::wstring> paths, DWORD boundMs) {
    const DWORD start = ::GetTickCount();
    for (DWORD pause = kFirstPauseMs;; pause = LongerPause(pause)) {
        bool gone = true;
        for (const std::wstring& path : paths) {
            gone = Remove(path) && gone;
        }
        const DWORD spent = ::GetTickCount() - start;
        if (gone || spent >= boundMs) {
            return gone;
        }
        ::Sleep(std::min(pause, boundMs - spent));
    }
}

template <typename T> void Put(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof(value));
}

template <typename T> T Get(const std::string& in, size_t at) {
    T value;
    std::memcpy(&value, in.data() + at, sizeof(value));
    return value;
}

DWORD Checksum(const char* data, size_t size) {
    DWORD hash = 2166136261u; // FNV-1a
    for (size_t i = 0; i < size; ++i) {
        hash = (hash ^ static_cast<unsigned char>(data[i])) * 16777619u;
    }
    return hash;
}

// Paths past MAX_PATH work only in their \\?\ form, which takes a full path with backslashes.
std::wstring LongForm(const std::wstring& path) {
    if (path.size() < MAX_PATH - 40 || path.rfind(L"\\\\?\\", 0) == 0) {
        return path;
    }
    std::wstring full(32768, L'\0');
    const DWORD n =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (n == 0 || n >= full.size()) {
        return path;
    }
    full.resize(n);
    if (full.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

bool ParseName(const wchar_t* name, DWORD* processId, UINT64* processStart, bool* isNew) {
    wchar_t* end = nullptr;
    const unsigned long pid = std::wcstoul(name, &end, 10);
    if (end == name || *end != L'-' || !std::iswxdigit(end[1])) {
        return false;
    }
    const wchar_t* start = end + 1;
    const unsigned long long time = std::wcstoull(start, &end, 16);
    if (end - start != 16) {
        return false;
    }
    *isNew = std::wcscmp(end, kNewSuffix) == 0;
    if (!*isNew && std::wcscmp(end, kSuffix) != 0) {
        return false;
    }
    *processId = static_cast<DWORD>(pid);
    *processStart = time;
    return true;
}

UINT64 StartOf(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    return (static_cast<UINT64>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// A program whose record this is still runs. It is asked with the least access there is, which
// this user has even to its elevated programs, so that a process refusing more (a service that
// now has the id) is not taken for it. One that cannot be asked at all counts as running: its
// record is then left alone rather than taken from it.
bool StillRuns(DWORD processId, UINT64 processStart) {
    UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) {
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    }
    DWORD exitCode = 0;
    return ::GetExitCodeProcess(process.get(), &exitCode) && exitCode == STILL_ACTIVE &&
           StartOf(process.get()) == processStart;
}

bool ReadWhole(const std::wstring& path, std::string* bytes) {
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<ULONGLONG>(size.QuadPart) > kMaxBytes) {
        return false;
    }
    bytes->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes->empty() || (::ReadFile(file.get(), &(*bytes)[0],
                                         static_cast<DWORD>(bytes->size()), &read, nullptr) &&
                              read == bytes->size());
}

// Shows the listed windows that are still hidden and still belong to the very process and
// thread that owned them: a handle another program has since been given is never shown.
// Lets one window of each thread answer a message, within one bound for all of them: a hung
// thread is not waited for long.
void WaitForThreadsOf(const std::vector<HWND>& windows, DWORD boundMs) {
    const DWORD until = ::GetTickCount() + boundMs;
    for (HWND hwnd : windows) {
        const LONG left = static_cast<LONG>(until - ::GetTickCount());
        DWORD_PTR result = 0;
        if (left > 0) {
            ::SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(left),
                                  &result);
        }
    }
}

int ShowListed(const std::vector<HeldWindowRecord::Entry>& entries) {
    std::vector<HWND> listed;
    std::vector<HWND> oneOfEachThread;
    std::set<DWORD> threads;
    for (const HeldWindowRecord::Entry& entry : entries) {
        const HWND hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(entry.window.hwnd));
        if (entry.processStart != 0 &&
            WindowTool::IsSameWindow(hwnd, entry.window.processId, entry.window.threadId) &&
            HeldWindowRecord::ProcessStart(entry.window.processId) == entry.processStart) {
            listed.push_back(hwnd);
            if (threads.insert(entry.window.threadId).second) {
                oneOfEachThread.push_back(hwnd);
            }
        }
    }
    // A slow program may still be acting on hides the ended program asked for just before it
    // ended: read as visible now, such a window would be hidden a moment later, for good. Its
    // thread first works through what is queued for it.
    WaitForThreadsOf(oneOfEachThread, 2000);
    // A thread that is hung still has the hide queued: a window of it that reads as visible is
    // asked to show too (without being activated), behind the hide, so that it ends on screen.
    int shown = 0;
    for (HWND hwnd : listed) {
        if (!::IsWindowVisible(hwnd)) {
            ::ShowWindowAsync(hwnd, SW_SHOW);
            ++shown;
        } else {
            ::ShowWindowAsync(hwnd, SW_SHOWNA);
        }
    }
    // Each thread acts on its requests before the first area takes what is on screen, so that
    // the windows shown here belong to it.
    if (shown > 0) {
        WaitForThreadsOf(oneOfEachThread, 1000);
    }
    return shown;
}

} // namespace

HeldWindowRecord::HeldWindowRecord() : m_folder(Folder()) {
    if (!m_folder.empty()) {
        m_path =
            m_folder + L"\\" + FileName(::GetCurrentProcessId(), StartOf(::GetCurrentProcess()));
    }
}

std::wstring HeldWindowRecord::Folder() {
    // The environment names the same folder as the shell does; read first, it lets whoever
    // starts the program (a portable launcher, the tests) keep records apart.
    std::wstring base(32768, L'\0');
    DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", &base[0], static_cast<DWORD>(base.size()));
    if (n == 0 || n >= base.size()) {
        wchar_t shell[MAX_PATH] = L"";
        if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                                      shell))) {
            return std::wstring();
        }
        base = shell;
    } else {
        base.resize(n);
    }
    while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) {
        base.pop_back();
    }
    return base.empty() ? base : LongForm(base + L"\\Zelvanor");
}

std::wstring HeldWindowRecord::FileName(DWORD processId, UINT64 processStart) {
    wchar_t name[64];
    std::swprintf(name, 64, L"%lu-%016llx%ls", static_cast<unsigned long>(processId),
                  static_cast<unsigned long long>(processStart), kSuffix);
    return name;
}

std::string HeldWindowRecord::Encode(const std::vector<Entry>& entries) {
    std::string body;
    body.reserve(entries.size() * kEntryBytes);
    for (const Entry& entry : entries) {
        Put(body, entry.window.hwnd);
        Put(body, entry.window.processId);
        Put(body, entry.window.threadId);
        Put(body, entry.processStart);
    }
    std::string out;
    out.reserve(kHeaderBytes + body.size());
    Put(out, kMagic);
    Put(out, kVersion);
    Put(out, static_cast<DWORD>(entries.size()));
    Put(out, Checksum(body.data(), body.size()));
    return out + body;
}

bool HeldWindowRecord::Decode(const std::string& bytes, std::vector<Entry>* entries) {
    if (bytes.size() < kHeaderBytes || Get<DWORD>(bytes, 0) != kMagic ||
        Get<DWORD>(bytes, 4) != kVersion) {
        return false;
    }
    const DWORD count = Get<DWORD>(bytes, 8);
    if (count > kMaxEntries || bytes.size() != kHeaderBytes + count * kEntryBytes ||
        Get<DWORD>(bytes, 12) != Checksum(bytes.data() + kHeaderBytes, count * kEntryBytes)) {
        return false;
    }
    entries->clear();
    for (size_t at = kHeaderBytes; at < bytes.size(); at += kEntryBytes) {
        entries->push_back(Entry{
            Window{Get<UINT64>(bytes, at), Get<DWORD>(bytes, at + 8), Get<DWORD>(bytes, at + 12)},
            Get<UINT64>(bytes, at + 16)});
    }
    return true;
}

UINT64 HeldWindowRecord::ProcessStart(DWORD processId) {
    UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    return process ? StartOf(process.get()) : 0;
}

// Why a record that cannot be written now (another program holds it, a full disk, a profile
// that cannot be written) never stops a switch: the writer thread tries again until it lands;
// when only the rename was refused, the replacement left beside the record lists the windows
// already; the shared list and the watcher bring them back from every end but the rarest, where
// both copies are ended at once; and a program that refused to switch would lose its user more
// than such an end does. A record left in place lists fewer windows, never windows of other
// programs: each is checked again before it is shown.
void HeldWindowRecord::Mirror(const std::vector<Window>& windows, Landing landing) {
    if (m_path.empty()) {
        return;
    }
    std::string bytes;
    if (windows.empty()) {
        m_processes.clear();
    } else {
        std::unordered_map<DWORD, Process> listed;
        std::vector<Entry> entries;
        entries.reserve(windows.size());
        for (const Window& window : windows) {
            auto known = listed.find(window.processId);
            if (known == listed.end()) {
                auto held = m_processes.find(window.processId);
                Process process{};
                if (held != m_processes.end()) {
                    process = std::move(held->second);
                } else {
                    process.handle.reset(
                        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, window.processId));
                    process.start = process.handle ? StartOf(process.handle.get()) : 0;
                }
                known = listed.emplace(window.processId, std::move(process)).first;
            }
            entries.push_back(Entry{window, known->second.start});
            if (entries.size() == kMaxEntries) {
                break;
            }
        }
        m_processes = std::move(listed); // the others' handles go
        bytes = Encode(entries);
    }
    UINT64 version = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        version = ++m_lastVersion;
        if (landing == Landing::Soon && Hand(bytes, version)) {
            return;
        }
    }
    bool landed = false;
    {
        std::lock_guard<std::mutex> file(m_fileMutex);
        landed = Land(bytes, version);
    }
    if (!landed) {
        // Refused: the writer thread goes on trying while the switch goes on.
        std::lock_guard<std::mutex> lock(m_mutex);
        Hand(bytes, version);
    }
}

bool HeldWindowRecord::Hand(std::string& bytes, UINT64 version) {
    if (!m_writer.joinable()) {
        try {
            m_writer = std::thread(&HeldWindowRecord::WriterMain, this);
        } catch (const std::system_error&) {
            return false; // no thread to be had
        }
    }
    if (!m_pending || version > m_pendingVersion) {
        m_pending = true;
        m_pendingVersion = version;
        m_pendingBytes = std::move(bytes);
        m_handed.notify_one();
    }
    return true;
}

HeldWindowRecord::~HeldWindowRecord() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_stoppedAt = ::GetTickCount();
        m_handed.notify_one();
    }
    if (m_writer.joinable()) {
        m_writer.join();
    }
}

void HeldWindowRecord::WriterMain() {
    std::unique_lock<std::mutex> lock(m_mutex);
    DWORD pause = kFirstPauseMs;
    for (;;) {
        m_handed.wait(lock, [this] { return m_pending || m_stop; });
        if (!m_pending) {
            return; // stopped with nothing left to write
        }
        const UINT64 version = m_pendingVersion;
        std::string bytes = std::move(m_pendingBytes);
        m_pending = false;
        lock.unlock();
        bool landed = false;
        {
            std::lock_guard<std::mutex> file(m_fileMutex);
            landed = Land(bytes, version);
        }
        lock.lock();
        if (landed) {
            pause = kFirstPauseMs;
            continue;
        }
        // Refused: tried again after the pause, or at once as a later change that replaces it.
        if (!m_pending) {
            m_pending = true;
            m_pendingVersion = version;
            m_pendingBytes = std::move(bytes);
        }
        if (m_stop && ::GetTickCount() - m_stoppedAt >= kExitTriesMs) {
            return; // the watcher removes the record once this process has ended
        }
        m_handed.wait_for(lock, std::chrono::milliseconds(pause),
                          [this, version] { return m_pendingVersion != version; });
        pause = LongerPause(pause);
    }
}

bool HeldWindowRecord::Land(const std::string& bytes, UINT64 version) {
    if (version <= m_landedVersion) {
        return true; // a later change is in the file already
    }
    if (!Store(bytes)) {
        return false;
    }
    m_landedVersion = version;
    return true;
}

bool HeldWindowRecord::Store(const std::string& bytes) {
    const std::wstring fresh = FreshPathOf(m_path);
    if (bytes.empty()) {
        if (m_freshLeft && Remove(fresh)) {
            m_freshLeft = false;
        }
        if (m_written && Remove(m_path)) {
            m_written = false;
        }
        return !m_freshLeft && !m_written;
    }
    if (m_written && bytes == m_last) {
        // Back to what the record holds: a replacement left beside it lists something else.
        if (m_freshLeft && Remove(fresh)) {
            m_freshLeft = false;
        }
        return !m_freshLeft;
    }
    // Written beside the record and renamed over it, so that a kill at any moment leaves a whole
    // record. It is not flushed to the disk: a killed process's writes are kept by the system,
    // and only a power cut could lose them, which also ends every hidden window's program.
    if (!m_folderMade) {
        m_folderMade = ::CreateDirectoryW(m_folder.c_str(), nullptr) ||
                       ::GetLastError() == ERROR_ALREADY_EXISTS;
    }
    if (!m_freshLeft || m_freshBytes != bytes) {
        UniqueKernelHandle file(::CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            m_folderMade = false; // perhaps removed meanwhile: made again next time
            return false;
        }
        m_freshLeft = true;
        m_freshBytes.clear();
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) ||
            written != bytes.size()) {
            return false;
        }
        m_freshBytes = bytes;
    }
    // A refused rename leaves the replacement beside the record, whole: should every copy of the
    // program be ended before a try lands, the next start reads it.
    if (!::MoveFileExW(fresh.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return false;
    }
    m_freshLeft = false;
    m_written = true;
    m_last = std::move(m_freshBytes); // what was just renamed into place
    return true;
}

void HeldWindowRecord::RemoveRecordOf(HANDLE program) {
    const std::wstring folder = Folder();
    const UINT64 start = StartOf(program);
    if (!folder.empty() && start != 0) {
        const std::wstring record = folder + L"\\" + FileName(::GetProcessId(program), start);
        RemoveWithin({FreshPathOf(record), record}, kWatcherTriesMs);
    }
}

int HeldWindowRecord::RestoreLeftBehind() {
    const std::wstring folder = Folder();
    if (folder.empty()) {
        return 0;
    }
    std::set<std::wstring> records; // of programs that no longer run, with or without a replacement
    WIN32_FIND_DATAW found;
    UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &found)) {
        DWORD processId = 0;
        UINT64 processStart = 0;
        bool isNew = false;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            ParseName(found.cFileName, &processId, &processStart, &isNew) &&
            !StillRuns(processId, processStart)) {
            records.insert(folder + L"\\" + FileName(processId, processStart));
        }
    }
    int shown = 0;
    for (const std::wstring& path : records) {
        // A whole replacement is newer than the record; one its program was killed while
        // writing is not whole.
        const std::wstring fresh = FreshPathOf(path);
        std::string bytes;
        std::vector<Entry> entries;
        if ((ReadWhole(fresh, &bytes) && Decode(bytes, &entries)) ||
            (ReadWhole(path, &bytes) && Decode(bytes, &entries))) {
            shown += ShowListed(entries);
        }
        RemoveWithin({fresh, path}, kStartTriesMs);
    }
    return shown;
}
