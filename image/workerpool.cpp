#include "image/workerpool.h"

#include <algorithm>

namespace corv {

int DefaultWorkerCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 4u));
}

bool WorkerPool::Ticket::Finished() const {
    std::lock_guard lock(pool_->mutex_);
    return state_ == State::Done || state_ == State::Dropped;
}

WorkerPool::WorkerPool(int threads) : finished_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    threads = std::clamp(threads, 1, 4);
    for (int i = 0; i < threads; ++i)
        threads_.emplace_back([this] { Work(); });
}

WorkerPool::~WorkerPool() {
    Stop();
}

std::shared_ptr<WorkerPool::Ticket> WorkerPool::Submit(Job job) {
    std::shared_ptr<Ticket> ticket(new Ticket(*this, std::move(job)));
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            ticket->state_ = Ticket::State::Dropped;
            ticket->job_ = nullptr;
            return ticket;
        }
        queue_.push_back(ticket);
    }
    wake_.notify_one();
    return ticket;
}

void WorkerPool::Drop(const std::vector<std::shared_ptr<Ticket>>& tickets) {
    std::vector<Job> dropped; // destroyed outside the lock: a job may own big things
    {
        std::lock_guard lock(mutex_);
        for (const auto& ticket : tickets) {
            if (!ticket || ticket->state_ != Ticket::State::Queued) continue;
            ticket->state_ = Ticket::State::Dropped;
            dropped.push_back(std::move(ticket->job_));
            queue_.erase(std::remove(queue_.begin(), queue_.end(), ticket), queue_.end());
        }
    }
    SetEvent(finished_.Get());
}

void WorkerPool::Work() {
    // Below the user-interface thread: on a busy machine the window answers first, the decodes wait.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    for (;;) {
        std::shared_ptr<Ticket> ticket;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return; // stopping, and nothing left that was started
            ticket = std::move(queue_.front());
            queue_.pop_front();
            ticket->state_ = Ticket::State::Running;
        }
        Job job = std::move(ticket->job_);
        try {
            job();
        } catch (...) {
            // A job reports its own failures in what it fills; nothing may escape a worker.
        }
        job = nullptr;
        {
            std::lock_guard lock(mutex_);
            ticket->state_ = Ticket::State::Done;
        }
        SetEvent(finished_.Get());
    }
}

bool WorkerPool::Wait(const Ticket& ticket, const std::function<void()>& pump) {
    for (;;) {
        // Reset before looking: a job that ends after the look sets the event again.
        ResetEvent(finished_.Get());
        {
            std::lock_guard lock(mutex_);
            if (ticket.state_ == Ticket::State::Done) return true;
            if (ticket.state_ == Ticket::State::Dropped) return false;
        }
        HANDLE event = finished_.Get();
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0 + 1 && pump) pump();
    }
}

void WorkerPool::Stop() {
    std::deque<std::shared_ptr<Ticket>> dropped;
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
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
    threads_.clear();
    SetEvent(finished_.Get());
}

namespace {
std::unique_ptr<WorkerPool>& SharedPool() {
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
