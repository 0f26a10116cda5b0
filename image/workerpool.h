// A small pool of worker threads for decoding off the user-interface thread. Jobs run in the order they
// were submitted (an urgent one first); when a job has run, its completion runs on the user-interface
// thread, brought back as a posted message. Nothing ever waits for a job there. Jobs must touch no window
// and no unsynchronised global state.
#pragma once
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace corv {

// As many workers as there are cores, at least 1 and at most 4.
int DefaultWorkerCount();

class WorkerPool {
  public:
    using Job = std::function<void()>;
    using Completion = std::function<void()>;
    enum class Urgency { InTurn, First };

    // What the submitter keeps of a job. It belongs to the pool that gave it: another pool ignores it.
    class Ticket {
      public:
        // The job has run or was dropped.
        bool Finished() const;

      private:
        friend class WorkerPool;
        enum class State { Queued, Running, Done, Dropped };
        Ticket(const WorkerPool& pool, Job job, Urgency urgency)
            : pool_(&pool), job_(std::move(job)), urgency_(urgency) {}
        const WorkerPool* pool_; // identity only, never followed
        Job job_;
        Urgency urgency_;
        std::atomic<State> state_{State::Queued};
        // Touched only on the user-interface thread.
        Completion completion_;
        bool delivered_ = false; // the message the worker posted at the job's end has been handled
    };
    using TicketPtr = std::shared_ptr<Ticket>;

    explicit WorkerPool(int threads = DefaultWorkerCount());
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int Threads() const { return static_cast<int>(threads_.size()); }
    // Queues the job; once it has run, the completion runs on the calling (user-interface) thread. After
    // Stop the job is dropped at once and the completion never runs.
    TicketPtr Submit(Job job, Completion completion = {}, Urgency urgency = Urgency::InTurn);
    // Sets what runs once the ticket's job has run (on the user-interface thread, from a posted message,
    // also when it has run already). Not for a dropped ticket.
    void WhenDone(const TicketPtr& ticket, Completion completion);
    // Drops these tickets: a job not started never starts, and no completion of theirs runs.
    void Drop(const std::vector<TicketPtr>& tickets);
    // Drops the queued jobs, lets the running ones end and ends the threads. The pool takes no more jobs.
    void Stop();

  private:
    void Work();
    void PostCompletion(const TicketPtr& ticket);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<TicketPtr> queue_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
};

// The program's decode workers, started on first use; StopDecodeWorkers ends them (the program does at exit).
WorkerPool& DecodeWorkers();
void StopDecodeWorkers();

} // namespace corv
