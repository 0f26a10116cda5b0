#include "image/workerpool.h"

#include "ui/taskwindow.h"

#include <windows.h>

#include <algorithm>

namespace corv {

int DefaultWorkerCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 4u));
}

bool WorkerPool::Ticket::Finished() const {
    const State state = state_.load();
    return state == State::Done || state == State::Dropped;
}

WorkerPool::WorkerPool(int threads) {
    // Made here, on the user-interface thread, before any worker can post to it.
    ui::TaskWindow::Instance();
    threads = std::clamp(threads, 1, 4);
    for (int i = 0; i < threads; ++i)
        threads_.emplace_back([this] { Work(); });
}

WorkerPool::~WorkerPool() {
    Stop();
}

WorkerPool::TicketPtr WorkerPool::Submit(Job job, Completion completion, Urgency urgency) {
    TicketPtr ticket(new Ticket(*this, std::move(job), urgency));
    ticket->completion_ = std::move(completion);
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            ticket->state_ = Ticket::State::Dropped;
            ticket->job_ = nullptr;
            ticket->completion_ = nullptr;
            return ticket;
        }
        if (urgency == Urgency::First)
            queue_.push_front(ticket);
        else
            queue_.push_back(ticket);
    }
    wake_.notify_one();
    return ticket;
}

void WorkerPool::PostCompletion(const TicketPtr& ticket) {
    // The ticket rides along, so the result it stands for lives until the completion has run or the
    // ticket was dropped meanwhile.
    ui::TaskWindow::Instance().Post([ticket] {
        ticket->delivered_ = true;
        if (ticket->state_.load() != Ticket::State::Done) return;
        Completion completion = std::move(ticket->completion_);
        ticket->completion_ = nullptr;
        if (completion) completion();
    });
}

void WorkerPool::WhenDone(const TicketPtr& ticket, Completion completion) {
    if (!ticket || ticket->pool_ != this || ticket->state_.load() == Ticket::State::Dropped) return;
    ticket->completion_ = std::move(completion);
    // Until the worker's message at the job's end has been handled, that message runs it.
    if (ticket->delivered_) PostCompletion(ticket);
}

void WorkerPool::Drop(const std::vector<TicketPtr>& tickets) {
    std::vector<Job> dropped; // destroyed outside the lock: a job may own big things
    {
        std::lock_guard lock(mutex_);
        for (const auto& ticket : tickets) {
            if (!ticket || ticket->pool_ != this) continue;
            ticket->completion_ = nullptr;
            if (ticket->state_.load() != Ticket::State::Queued) continue;
            ticket->state_ = Ticket::State::Dropped;
            dropped.push_back(std::move(ticket->job_));
            queue_.erase(std::remove(queue_.begin(), queue_.end(), ticket), queue_.end());
        }
    }
}

void WorkerPool::Work() {
    // Below the user-interface thread: on a busy machine the window answers first, the decodes wait.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    for (;;) {
        TicketPtr ticket;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return; // stopping, and nothing left that was started
            ticket = std::move(queue_.front());
            queue_.pop_front();
            ticket->state_ = Ticket::State::Running;
        }
        Job job = std::move(ticket->job_);
        // The picture the user waits for decodes as fast as the window itself would run it.
        const bool urgent = ticket->urgency_ == Urgency::First;
        if (urgent) SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
        try {
            job();
        } catch (...) {
            // A job reports its own failures in what it fills; nothing may escape a worker.
        }
        if (urgent) SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        job = nullptr;
        ticket->state_ = Ticket::State::Done;
        PostCompletion(ticket);
    }
}

void WorkerPool::Stop() {
    std::deque<TicketPtr> dropped;
    {
        std::lock_guard lock(mutex_);
        if (stopping_ && threads_.empty()) return;
        stopping_ = true;
        for (auto& ticket : queue_) {
            ticket->state_ = Ticket::State::Dropped;
            ticket->job_ = nullptr;
        }
        dropped.swap(queue_);
    }
    wake_.notify_all();
    // Blocks without handling messages: a decode still running ends on its own, and the program is
    // going away, so nothing is left to answer.
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
    threads_.clear();
}

namespace {
std::unique_ptr<WorkerPool>& SharedPool() {
    // The task window first, so that it is destroyed after the pool at exit: workers still ending then
    // post their completions to it.
    ui::TaskWindow::Instance();
    static std::unique_ptr<WorkerPool> pool;
    return pool;
}
} // namespace

WorkerPool& DecodeWorkers() {
    auto& pool = SharedPool();
    if (!pool) pool = std::make_unique<WorkerPool>();
    return *pool;
}

void StopDecodeWorkers() {
    SharedPool().reset();
}

} // namespace corv
