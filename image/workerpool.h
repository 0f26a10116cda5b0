// A small pool of worker threads for decoding off the user-interface thread. Jobs run in the order they
// were submitted; the user-interface thread waits for one while it goes on handling its messages. Jobs must
// touch no window and no unsynchronised global state.
#pragma once
#include "base/handles.h"

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
    // What the submitter keeps of a job: whether it has run.
    class Ticket {
      public:
        bool Finished() const;

      private:
        friend class WorkerPool;
        enum class State { Queued, Running, Done, Dropped };
        explicit Ticket(WorkerPool& pool, Job job) : pool_(&pool), job_(std::move(job)) {}
        WorkerPool* pool_;
        Job job_;
        State state_ = State::Queued;
    };

    explicit WorkerPool(int threads = DefaultWorkerCount());
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int Threads() const { return static_cast<int>(threads_.size()); }
    // Queues the job. After Stop the job is dropped at once.
    std::shared_ptr<Ticket> Submit(Job job);
    // Drops the queued jobs of these tickets that have not started.
    void Drop(const std::vector<std::shared_ptr<Ticket>>& tickets);
    // Waits until the ticket's job has run or was dropped; meanwhile the calling thread's messages are
    // handled by pump whenever some arrive. True when the job ran.
    bool Wait(const Ticket& ticket, const std::function<void()>& pump);
    // Drops the queued jobs, waits for the running ones and ends the threads. The pool takes no more jobs.
    void Stop();

  private:
    void Work();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Ticket>> queue_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
    // Set whenever a job ends, so that a waiting thread can also wait for its messages.
    KernelHandle finished_;
};

// The program's decode workers, started on first use; StopDecodeWorkers ends them (the program does at exit).
WorkerPool& DecodeWorkers();
void StopDecodeWorkers();

} // namespace corv
