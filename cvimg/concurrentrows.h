// A row filter run beside the decoder on a thread of its own: while the decoder makes the next rows, the
// filter works on the last ones, so that on a processor with a core to spare a large picture's colour
// conversion costs little time. Used only where a core is free: the module's busy threads (each read's and
// each of these) stay within the processor count.
#pragma once
#include "cvimg/rowfilter.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>
#include <utility>

namespace cvimg {

// Counts the calling thread as one of the module's busy threads while it lives.
class BusyThread {
  public:
    BusyThread();
    ~BusyThread();
    BusyThread(const BusyThread&) = delete;
    BusyThread& operator=(const BusyThread&) = delete;
};

class ConcurrentRows final : public RowFilter {
  public:
    // For up to `rows` rows (0: none wanted beside the decoder). The thread starts with the first row; with
    // no core free then, no thread to be had, or more rows than said, rows are filtered as they come.
    ConcurrentRows(const RowFilter& inner, std::size_t rows);
    ~ConcurrentRows() override;
    ConcurrentRows(const ConcurrentRows&) = delete;
    ConcurrentRows& operator=(const ConcurrentRows&) = delete;

    void Row(uint8_t* bgr, int width) const override;
    // Returns once every row handed over is filtered, helping with what is left; the rows may then be read.
    void Finish();
    // A thread took part.
    bool Threaded() const { return threaded_; }

  private:
    void Start() const;
    void Work() const;
    // The next row handed over and not yet taken, or none.
    bool Claim(std::size_t& row) const;
    void Filter(std::size_t row) const;

    const RowFilter& inner_;
    const std::size_t capacity_;
    mutable bool starting_;
    mutable bool threaded_ = false;
    // The decoder publishes rows in order; the thread and Finish claim them one by one.
    mutable std::unique_ptr<std::pair<uint8_t*, int>[]> rows_;
    mutable std::atomic<std::size_t> published_{0}, claimed_{0};
    std::atomic<bool> ending_{false};
    mutable std::thread thread_;
};

} // namespace cvimg
