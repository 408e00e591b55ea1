#include "areas/ShowRequests.h"
#include <vector>

namespace {
// A thread message to the worker: lParam is a Ping to send.
constexpr UINT kMsgSendPing = WM_APP + 1;
} // namespace

struct ShowRequests::Ping {
    ShowRequests* owner;
    HWND hwnd;
    DWORD threadId;
    unsigned long long upTo;
    unsigned round;
};

ShowRequests::ShowRequests(QueueFn queue)
    : m_queue(queue), m_roundDone(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
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
    ::SetEvent(start->second);
    // Answers arrive as callbacks inside GetMessage; this thread has no window to re-enter.
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kMsgSendPing) {
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
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->second.threadId == threadId && it->second.sequence <= upTo) {
            it = m_pending.erase(it);
        } else {
            ++it;
        }
    }
    if (round == m_round && m_outstanding > 0 && --m_outstanding == 0) {
        ::SetEvent(m_roundDone.get());
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

bool ShowRequests::Ask(const WindowRecord& record, int command) {
    if (!m_queue(record.hwnd, command)) {
        return false;
    }
    Queued(record.hwnd, record.processId, record.threadId, command != SW_HIDE);
    return true;
}

void ShowRequests::Queued(HWND hwnd, DWORD processId, DWORD threadId, bool visible) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const unsigned long long sequence = ++m_sequence;
    m_pending[hwnd] = Request{processId, threadId, visible, sequence};
    m_unasked[threadId] = std::make_pair(hwnd, sequence);
}

bool ShowRequests::WaitAnswered(DWORD timeoutMs) {
    std::vector<Ping*> pings;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_round;
        for (const auto& [threadId, last] : m_unasked) {
            pings.push_back(new Ping{this, last.first, threadId, last.second, m_round});
        }
        m_unasked.clear();
        m_outstanding = static_cast<int>(pings.size());
        if (pings.empty() || !m_worker) {
            m_outstanding = 0;
            for (Ping* ping : pings) {
                delete ping;
            }
            return pings.empty();
        }
        ::ResetEvent(m_roundDone.get());
    }
    for (Ping* ping : pings) {
        if (!::PostThreadMessageW(m_workerId, kMsgSendPing, 0, reinterpret_cast<LPARAM>(ping))) {
            Answered(ping->hwnd, WM_NULL, reinterpret_cast<ULONG_PTR>(ping), 0);
        }
    }
    // Messages that other threads send to this one are handled meanwhile: a program acting on
    // a hide may first have to tell the bar it is active now, and would otherwise wait for the
    // bar as long as the bar waits for it. Posted messages (clicks, keys) wait their turn.
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        const DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
        const HANDLE done = m_roundDone.get();
        const DWORD woken = ::MsgWaitForMultipleObjectsEx(1, &done, left, QS_SENDMESSAGE, 0);
        if (woken == WAIT_OBJECT_0) {
            return true;
        }
        if (woken != WAIT_OBJECT_0 + 1) {
            return false;
        }
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
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
