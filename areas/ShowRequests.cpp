#include "areas/ShowRequests.h"
#include <algorithm>
#include <vector>

namespace {
// Thread messages to the worker: lParam is a Ping to send; an arrangement to make.
constexpr UINT kMsgSendPing = WM_APP + 1;
constexpr UINT kMsgArrange = WM_APP + 2;
// How long one step of an arrangement waits for its program before passing over it: long enough
// that a program slow under load is not passed over and the order made twice, short enough that
// a hung one holds up the windows above it for no longer than the switch waits.
constexpr UINT kStepMs = 250;
} // namespace

struct ShowRequests::Arrangement {
    std::vector<Placed> order; // top first
    HWND activate;
    HWND foreground = nullptr; // the keyboard's window once it was first made
    bool finished = false;     // made once
    unsigned long long generation = 0;
    std::vector<bool> asked; // whose show is asked for; guarded by m_mutex
    // The worker's own.
    size_t placed = 0;         // windows placed so far, from the bottom
    size_t step = 0;           // the number of the step under way
    bool done = false;         // made: only a late answer makes it again
    bool late = false;         // a program was passed over
    bool answeredLate = false; // ... and has answered since
};

// What a step's answer carries back to the worker.
struct ShowRequests::Step {
    ShowRequests* owner;
    unsigned long long generation;
    size_t step;
    DWORD threadId;
    unsigned long long upTo; // the last request asked for before the step's message
};

struct ShowRequests::Ping {
    ShowRequests* owner;
    HWND hwnd;
    DWORD threadId;
    unsigned long long upTo;
    unsigned round;
};

ShowRequests::ShowRequests(QueueFn queue)
    : m_queue(queue), m_roundDone(::CreateEventW(nullptr, TRUE, TRUE, nullptr)),
      m_arranged(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
    UniqueKernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::pair<ShowRequests*, HANDLE> start(this, ready.get());
    m_worker.reset(::CreateThread(nullptr, 0, WorkerMain, &start, 0, &m_workerId));
    if (!m_worker || ::WaitForSingleObject(ready.get(), 5000) != WAIT_OBJECT_0) {
        m_worker.reset();
        m_workerId = 0;
    }
}

ShowRequests::~ShowRequests() {
    if (m_worker) {
        ::PostThreadMessageW(m_workerId, WM_QUIT, 0, 0);
        ::WaitForSingleObject(m_worker.get(), 2000);
    }
}

DWORD WINAPI ShowRequests::WorkerMain(LPVOID param) {
    auto* start = static_cast<std::pair<ShowRequests*, HANDLE>*>(param);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE); // the queue exists from now on
    ShowRequests* self = start->first;
    ::SetEvent(start->second); // `start` is gone from here on
    // Answers arrive as callbacks inside GetMessage; this thread has no window to re-enter.
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kMsgArrange) {
            ::KillTimer(nullptr, self->m_stepTimer);
            {
                std::lock_guard<std::mutex> lock(self->m_mutex);
                self->m_working = self->m_arrangement; // the latest: older ones are skipped
            }
            if (self->m_working &&
                self->m_working->generation == static_cast<ULONG_PTR>(msg.lParam)) {
                self->NextStep();
            }
        } else if (msg.hwnd == nullptr && msg.message == WM_TIMER &&
                   msg.wParam == self->m_stepTimer && self->m_working &&
                   self->m_working->step > 0) {
            self->StepDone(self->m_working->generation, self->m_working->step, false);
        } else if (msg.hwnd == nullptr && msg.message == kMsgSendPing) {
            auto* ping = reinterpret_cast<Ping*>(msg.lParam);
            // The window asked last may be gone while its thread still has others to act on:
            // any window of the thread answers for all of them.
            while (!::SendMessageCallbackW(ping->hwnd, WM_NULL, 0, 0, Answered,
                                           reinterpret_cast<ULONG_PTR>(ping))) {
                ping->hwnd = ping->owner->OtherWindowOf(ping->threadId, ping->upTo, ping->hwnd);
                if (!ping->hwnd) {
                    // Every window with a request is gone: nothing is left to act on.
                    Answered(nullptr, WM_NULL, reinterpret_cast<ULONG_PTR>(ping), 0);
                    break;
                }
            }
        }
        ::DispatchMessageW(&msg);
    }
    return 0;
}

void CALLBACK ShowRequests::Answered(HWND, UINT, ULONG_PTR data, LRESULT) {
    auto* ping = reinterpret_cast<Ping*>(data);
    ping->owner->Acted(ping->threadId, ping->upTo, ping->round);
    delete ping;
}

void ShowRequests::Acted(DWORD threadId, unsigned long long upTo, unsigned round) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Forget(threadId, upTo);
    if (round == m_round && m_outstanding > 0 && --m_outstanding == 0) {
        ::SetEvent(m_roundDone.get());
    }
}

void ShowRequests::Forget(DWORD threadId, unsigned long long upTo) {
    const auto unasked = m_unasked.find(threadId);
    if (unasked != m_unasked.end() && unasked->second.second <= upTo) {
        m_unasked.erase(unasked);
    }
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->second.threadId == threadId && it->second.sequence <= upTo) {
            it = m_pending.erase(it);
        } else {
            ++it;
        }
    }
}

HWND ShowRequests::OtherWindowOf(DWORD threadId, unsigned long long upTo, HWND failed) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->second.threadId != threadId || it->second.sequence > upTo) {
            ++it;
        } else if (it->first != failed && ::IsWindow(it->first)) {
            return it->first;
        } else {
            it = m_pending.erase(it); // each try forgets one, so the tries end
        }
    }
    return nullptr;
}

bool ShowRequests::Ask(HWND hwnd, DWORD processId, DWORD threadId, int command) {
    if (!m_queue(hwnd, command)) {
        return false;
    }
    Queued(hwnd, processId, threadId, command != SW_HIDE);
    return true;
}

void ShowRequests::Queued(HWND hwnd, DWORD processId, DWORD threadId, bool visible) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const unsigned long long sequence = ++m_sequence;
    m_pending[hwnd] = Request{processId, threadId, visible, sequence};
    m_unasked[threadId] = std::make_pair(hwnd, sequence);
}

bool ShowRequests::WaitAnswered(DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    std::shared_ptr<const Arrangement> underWay;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (::WaitForSingleObject(m_arranged.get(), 0) == WAIT_TIMEOUT) {
            underWay = m_arrangement;
        }
    }
    // The threads an arrangement under way steps through answer its steps, which they get after
    // every request asked for so far: a ping of their own would only add a round trip. One that
    // a step leaves unanswered (passed over, or its window gone) is pinged once it is made.
    if (!PingUnasked(underWay.get()) || !Wait(m_roundDone.get(), start, timeoutMs) ||
        !Wait(m_arranged.get(), start, timeoutMs)) {
        return false;
    }
    return PingUnasked(nullptr) && Wait(m_roundDone.get(), start, timeoutMs);
}

bool ShowRequests::PingUnasked(const Arrangement* stepping) {
    std::vector<Ping*> pings;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_round;
        for (auto it = m_unasked.begin(); it != m_unasked.end();) {
            const DWORD threadId = it->first;
            if (stepping && std::any_of(stepping->order.begin(), stepping->order.end(),
                                        [&](const Placed& p) { return p.threadId == threadId; })) {
                ++it;
                continue;
            }
            pings.push_back(new Ping{this, it->second.first, threadId, it->second.second, m_round});
            it = m_unasked.erase(it);
        }
        m_outstanding = m_worker ? static_cast<int>(pings.size()) : 0;
        if (m_outstanding == 0) {
            ::SetEvent(m_roundDone.get()); // nothing to wait for, whatever an older round left
        } else {
            ::ResetEvent(m_roundDone.get());
        }
    }
    if (!m_worker) {
        for (Ping* ping : pings) {
            delete ping;
        }
        return pings.empty(); // no one to wait for the answers
    }
    for (Ping* ping : pings) {
        if (!::PostThreadMessageW(m_workerId, kMsgSendPing, 0, reinterpret_cast<LPARAM>(ping))) {
            Answered(ping->hwnd, WM_NULL, reinterpret_cast<ULONG_PTR>(ping), 0);
        }
    }
    return true;
}

// Messages that other threads send to this one are handled meanwhile: a program acting on a hide
// may first have to tell the bar it is active now, and would otherwise wait for the bar as long
// as the bar waits for it. Posted messages (clicks, keys) wait their turn.
bool ShowRequests::Wait(HANDLE done, DWORD start, DWORD timeoutMs) {
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        const DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
        const DWORD woken = ::MsgWaitForMultipleObjectsEx(1, &done, left, QS_SENDMESSAGE, 0);
        if (woken == WAIT_OBJECT_0) {
            return true;
        }
        if (woken != WAIT_OBJECT_0 + 1) {
            // Every window that comes back is asked for now, so that the next snapshot counts it
            // as shown however late its program is.
            ShowTheRest();
            return false;
        }
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void ShowRequests::Arrange(std::vector<Placed> order, HWND activate) {
    ShowTheRest(); // what an arrangement under way would still show
    auto arrangement = std::make_shared<Arrangement>();
    arrangement->asked.assign(order.size(), false);
    arrangement->order = std::move(order);
    arrangement->activate = activate;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        arrangement->generation = ++m_arrangements;
        m_arrangement = arrangement;
        ::ResetEvent(m_arranged.get());
    }
    if (!m_worker || !::PostThreadMessageW(m_workerId, kMsgArrange, 0,
                                           static_cast<LPARAM>(arrangement->generation))) {
        ShowTheRest();
        ::SetEvent(m_arranged.get());
    }
}

void ShowRequests::ShowTheRest() {
    std::vector<Placed> rest;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_arrangement) {
            return;
        }
        Arrangement& a = *m_arrangement;
        for (size_t i = a.order.size(); i-- > 0;) {
            if (a.order[i].show && !a.asked[i]) {
                a.asked[i] = true;
                rest.push_back(a.order[i]);
            }
        }
    }
    for (const Placed& placed : rest) {
        Ask(placed.hwnd, placed.processId, placed.threadId, SW_SHOWNA);
    }
}

// A window shown without being activated comes to the top of its band, here and on Windows; each
// program acts on its own requests in the order they were asked for. So the windows of one
// program are asked for from the bottom up, and those of the next program up only once the
// program below has answered: the order comes out the same however the programs take turns.
void ShowRequests::NextStep() {
    Arrangement& a = *m_working;
    const size_t count = a.order.size();
    while (a.placed < count) {
        const DWORD thread = a.order[count - 1 - a.placed].threadId;
        HWND last = nullptr;
        for (; a.placed < count && a.order[count - 1 - a.placed].threadId == thread; ++a.placed) {
            const size_t index = count - 1 - a.placed;
            Place(a, index);
            if (::IsWindow(a.order[index].hwnd)) {
                last = a.order[index].hwnd;
            }
        }
        if (!last) {
            continue; // closed meanwhile: they take no place
        }
        unsigned long long upTo = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            upTo = m_sequence;
        }
        auto* step = new Step{this, a.generation, ++a.step, thread, upTo};
        if (::SendMessageCallbackW(last, WM_NULL, 0, 0, StepAnswered,
                                   reinterpret_cast<ULONG_PTR>(step))) {
            m_stepTimer = ::SetTimer(nullptr, m_stepTimer, kStepMs, nullptr);
            return;
        }
        delete step;
    }
    FinishArrangement();
}

void ShowRequests::Place(Arrangement& a, size_t index) {
    const Placed& placed = a.order[index];
    bool show = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        show = placed.show && !a.asked[index];
        a.asked[index] = a.asked[index] || placed.show;
    }
    if (show) {
        Ask(placed.hwnd, placed.processId, placed.threadId, SW_SHOWNA);
    }
    // Brought up as well: a window that is shown already, or one whose program shows windows
    // without raising them, still takes its place. Topmost windows keep their own band: brought
    // up there they would cover the bar.
    if (!(::GetWindowLongPtrW(placed.hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
        ::SetWindowPos(placed.hwnd, HWND_TOP, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    }
}

void CALLBACK ShowRequests::StepAnswered(HWND, UINT, ULONG_PTR data, LRESULT) {
    const Step* step = reinterpret_cast<const Step*>(data);
    {
        // The program has acted on what it was asked for before the step: a snapshot must not
        // take a window as still to be shown that its program has hidden since.
        std::lock_guard<std::mutex> lock(step->owner->m_mutex);
        step->owner->Forget(step->threadId, step->upTo);
    }
    step->owner->StepDone(step->generation, step->step, true);
    delete step;
}

void ShowRequests::StepDone(unsigned long long generation, size_t step, bool answered) {
    Arrangement* a = m_working.get();
    if (!a || a->generation != generation) {
        return; // an answer to an arrangement that a newer one replaced
    }
    if (a->done || step != a->step) {
        // A program that was passed over has acted at last, its windows on top of those placed
        // meanwhile: the order is made again, once the steps under way are done.
        if (answered) {
            a->answeredLate = true;
            if (a->done) {
                FinishArrangement();
            }
        }
        return;
    }
    ::KillTimer(nullptr, m_stepTimer);
    a->late = a->late || !answered;
    NextStep();
}

void ShowRequests::FinishArrangement() {
    Arrangement& a = *m_working;
    if (a.answeredLate) {
        a.placed = 0;
        a.done = a.late = a.answeredLate = false;
        NextStep();
        return;
    }
    a.done = true;
    // The keyboard goes to the window. Made again after a late answer, only if it has not moved
    // since, or is with a window no one can see or with this program.
    const HWND foreground = ::GetForegroundWindow();
    DWORD owner = 0;
    const bool moved = a.finished && foreground && foreground != a.foreground &&
                       foreground != a.activate && ::IsWindowVisible(foreground) &&
                       ::GetWindowThreadProcessId(foreground, &owner) &&
                       owner != ::GetCurrentProcessId();
    const bool activated = a.activate && !moved && ::IsWindowVisible(a.activate) &&
                           !::IsIconic(a.activate) && ::SetForegroundWindow(a.activate);
    if (!a.finished) {
        a.finished = true;
        a.foreground = activated ? a.activate : foreground;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (a.generation == m_arrangements) {
        ::SetEvent(m_arranged.get()); // the one waited for, not one a newer has replaced
    }
}

ShowRequests::Pending ShowRequests::PendingNow() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    Pending pending;
    pending.m_requests = m_pending;
    return pending;
}

bool ShowRequests::Pending::Asked(HWND hwnd, DWORD processId, DWORD threadId, bool* visible) const {
    const auto it = m_requests.find(hwnd);
    if (it == m_requests.end() || it->second.processId != processId ||
        it->second.threadId != threadId) {
        return false;
    }
    *visible = it->second.visible;
    return true;
}
