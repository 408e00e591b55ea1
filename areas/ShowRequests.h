#pragma once
#include "UniqueHandle.h"
#include "areas/WindowRecord.h"
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

// Show and hide requests queued for other programs' threads (ShowWindowAsync, so that a hung
// program never freezes the bar), and whether those threads have acted on them. A thread has
// acted on every request queued for it once it answers a message sent after them. A worker
// thread of our own sends those messages and collects the answers, so the bar can wait for them
// without handling messages itself meanwhile, and never longer than it chooses.
class ShowRequests {
public:
    // How a request is queued; ShowWindowAsync, or a stand-in that tests put in its place.
    using QueueFn = BOOL(WINAPI*)(HWND, int);
    explicit ShowRequests(QueueFn queue = ::ShowWindowAsync);
    ~ShowRequests();
    ShowRequests(const ShowRequests&) = delete;
    ShowRequests& operator=(const ShowRequests&) = delete;

    // Queues SW_SHOW or SW_HIDE for a window of another thread, without waiting on it, and notes
    // the request. False when it could not be queued (the window is gone, or belongs to a
    // program of a higher integrity level): then nothing is noted and nothing will change.
    bool Ask(const WindowRecord& record, int command) {
        return Ask(record.hwnd, record.processId, record.threadId, command);
    }
    bool Ask(HWND hwnd, DWORD processId, DWORD threadId, int command);
    // A request just queued for a window of another thread: shown (true) or hidden.
    void Queued(HWND hwnd, DWORD processId, DWORD threadId, bool visible);

    // A window of another thread that comes back: shown without being activated when `show`,
    // else only brought up to its place.
    struct Placed {
        HWND hwnd;
        DWORD processId;
        DWORD threadId;
        bool show;
    };
    // Brings these windows back stacked in this order, top first, above the other windows that
    // are not topmost, then gives the keyboard to `activate` (none when null), without waiting on
    // any of them. From the bottom up, the windows of one program are shown, or brought up, once
    // the program whose windows go just below has acted, so that they stack as listed however
    // the programs take turns. A program that does not answer in time is passed over; every show
    // is asked for by the end of the next wait, and the order is made again when the late one
    // answers, unless a newer arrangement has replaced this one.
    void Arrange(std::vector<Placed> order, HWND activate);
    // Waits at most `timeoutMs` until every thread with requests queued since the last wait has
    // answered and the last arrangement is made; true when both are. Messages sent to this thread
    // are handled meanwhile.
    bool WaitAnswered(DWORD timeoutMs);
    struct Request {
        DWORD processId;
        DWORD threadId;
        bool visible;
        unsigned long long sequence;
    };
    // The requests that no thread had acted on at one moment.
    class Pending {
    public:
        // The visibility asked for this window, if its request was still waiting then.
        bool Asked(HWND hwnd, DWORD processId, DWORD threadId, bool* visible) const;

    private:
        friend class ShowRequests;
        std::unordered_map<HWND, Request> m_requests;
    };
    Pending PendingNow() const;

private:
    struct Ping;
    struct Arrangement;
    struct Step;
    static DWORD WINAPI WorkerMain(LPVOID self);
    // The worker's side of an arrangement: each step places the windows of one program that
    // stand together in the order, and the next waits until that program has answered.
    void NextStep();
    void Place(Arrangement& a, size_t index);
    void StepDone(unsigned long long generation, size_t step, bool answered);
    void FinishArrangement();
    static void CALLBACK StepAnswered(HWND hwnd, UINT message, ULONG_PTR data, LRESULT result);
    // Asks now for every show of the arrangement not yet asked for, from the bottom up.
    void ShowTheRest();
    static void CALLBACK Answered(HWND hwnd, UINT message, ULONG_PTR data, LRESULT result);
    void Acted(DWORD threadId, unsigned long long upTo, unsigned round);
    // Starts a round of pings to the threads with requests since they were last asked, but those
    // that `stepping` steps through; false when no answer can be waited for.
    bool PingUnasked(const Arrangement* stepping);
    // Until `done` is set, at most `timeoutMs` counted from `start`; false on the timeout.
    bool Wait(HANDLE done, DWORD start, DWORD timeoutMs);
    // The thread has acted on its requests up to `upTo`: they are no longer pending, nor wait for
    // a ping. Holds m_mutex.
    void Forget(DWORD threadId, unsigned long long upTo);
    // Another window that still exists among those the thread has requests for, up to `upTo`;
    // the failed one and the gone ones are forgotten on the way.
    HWND OtherWindowOf(DWORD threadId, unsigned long long upTo, HWND failed);

    QueueFn m_queue;
    mutable std::mutex m_mutex;
    std::unordered_map<HWND, Request> m_pending;
    // Threads with requests since the last wait: one of their windows and the last request.
    std::unordered_map<DWORD, std::pair<HWND, unsigned long long>> m_unasked;
    unsigned long long m_sequence = 0;
    unsigned m_round = 0;
    int m_outstanding = 0;
    UniqueKernelHandle m_roundDone;
    // Set while no arrangement is being made.
    UniqueKernelHandle m_arranged;
    unsigned long long m_arrangements = 0;      // the number of the last one asked for
    std::shared_ptr<Arrangement> m_arrangement; // the last one, whose shows m_mutex guards
    std::shared_ptr<Arrangement> m_working;     // the worker's own
    UINT_PTR m_stepTimer = 0;
    UniqueKernelHandle m_worker;
    DWORD m_workerId = 0;
};
