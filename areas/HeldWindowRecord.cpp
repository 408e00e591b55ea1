#include "areas/HeldWindowRecord.h"
#include "UniqueHandle.h"
#include "areas/WindowTool.h"
#include <shlobj.h>
#include <cstring>
#include <cwchar>
#include <cwctype>
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

// Why a record that cannot be written (a full disk, a profile that cannot be written) never
// stops a switch: the shared list and the watcher still bring the windows back from every end
// but the rarest, where both copies are ended at once, and a program that refused to switch
// would lose its user more than such an end does. The record left in place then lists fewer
// windows, never windows of other programs: each is checked again before it is shown.
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
        if (landing == Landing::Soon) {
            if (!m_writer.joinable()) {
                try {
                    m_writer = std::thread(&HeldWindowRecord::WriterMain, this);
                } catch (const std::system_error&) {
                    // No thread to be had: this change lands now, as one that must.
                }
            }
            if (m_writer.joinable()) {
                m_pending = true;
                m_pendingVersion = version;
                m_pendingBytes = std::move(bytes);
                m_handed.notify_one();
                return;
            }
        }
    }
    std::lock_guard<std::mutex> file(m_fileMutex);
    Land(bytes, version);
}

HeldWindowRecord::~HeldWindowRecord() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_handed.notify_one();
    }
    if (m_writer.joinable()) {
        m_writer.join();
    }
}

void HeldWindowRecord::WriterMain() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_handed.wait(lock, [this] { return m_pending || m_stop; });
        if (!m_pending) {
            return; // stopped with nothing left to write
        }
        const UINT64 version = m_pendingVersion;
        const std::string bytes = std::move(m_pendingBytes);
        m_pending = false;
        lock.unlock();
        {
            std::lock_guard<std::mutex> file(m_fileMutex);
            Land(bytes, version);
        }
        lock.lock();
    }
}

void HeldWindowRecord::Land(const std::string& bytes, UINT64 version) {
    if (version <= m_landedVersion) {
        return; // a later change is in the file already
    }
    m_landedVersion = version;
    Store(bytes);
}

void HeldWindowRecord::Store(const std::string& bytes) {
    if (bytes.empty()) {
        if (m_written &&
            (::DeleteFileW(m_path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND)) {
            m_written = false;
        }
        return;
    }
    if (m_written && bytes == m_last) {
        return;
    }
    // Written beside the record and renamed over it, so that a kill at any moment leaves a whole
    // record. It is not flushed to the disk: a killed process's writes are kept by the system,
    // and only a power cut could lose them, which also ends every hidden window's program.
    const std::wstring fresh = m_path.substr(0, m_path.size() - std::wcslen(kSuffix)) + kNewSuffix;
    if (!m_folderMade) {
        m_folderMade = ::CreateDirectoryW(m_folder.c_str(), nullptr) ||
                       ::GetLastError() == ERROR_ALREADY_EXISTS;
    }
    bool ok = false;
    {
        UniqueKernelHandle file(::CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ok = file &&
             ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) &&
             written == bytes.size();
    }
    if (ok && ::MoveFileExW(fresh.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        m_written = true;
        m_last = bytes;
    } else {
        ::DeleteFileW(fresh.c_str());
        m_folderMade = false; // perhaps removed meanwhile: made again next time
    }
}

void HeldWindowRecord::RemoveRecordOf(HANDLE program) {
    const std::wstring folder = Folder();
    const UINT64 start = StartOf(program);
    if (!folder.empty() && start != 0) {
        ::DeleteFileW((folder + L"\\" + FileName(::GetProcessId(program), start)).c_str());
    }
}

int HeldWindowRecord::RestoreLeftBehind() {
    const std::wstring folder = Folder();
    if (folder.empty()) {
        return 0;
    }
    std::vector<std::wstring> records;
    WIN32_FIND_DATAW found;
    UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &found)) {
        DWORD processId = 0;
        UINT64 processStart = 0;
        bool isNew = false;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !ParseName(found.cFileName, &processId, &processStart, &isNew) ||
            StillRuns(processId, processStart)) {
            continue;
        }
        const std::wstring path = folder + L"\\" + found.cFileName;
        if (isNew) {
            ::DeleteFileW(path.c_str()); // a record its program was killed while writing
        } else {
            records.push_back(path);
        }
    }
    int shown = 0;
    for (const std::wstring& path : records) {
        std::string bytes;
        std::vector<Entry> entries;
        if (ReadWhole(path, &bytes) && Decode(bytes, &entries)) {
            shown += ShowListed(entries);
        }
        ::DeleteFileW(path.c_str());
    }
    return shown;
}
