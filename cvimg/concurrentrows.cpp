#include "cvimg/concurrentrows.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <system_error>

namespace cvimg {

namespace {

std::atomic<unsigned> busyThreads{0};

// One more busy thread, if the processors have room for it.
bool TakeCore() {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    unsigned now = busyThreads.load();
    while (now < cores)
        if (busyThreads.compare_exchange_weak(now, now + 1)) return true;
    return false;
}

} // namespace

BusyThread::BusyThread() {
    ++busyThreads;
}

BusyThread::~BusyThread() {
    --busyThreads;
}

ConcurrentRows::ConcurrentRows(const RowFilter& inner, std::size_t rows)
    : inner_(inner), capacity_(rows), starting_(rows > 0) {}

ConcurrentRows::~ConcurrentRows() {
    Finish();
}

void ConcurrentRows::Start() const {
    starting_ = false;
    if (!TakeCore()) return;
    rows_.reset(new (std::nothrow) std::pair<uint8_t*, int>[capacity_]);
    try {
        if (rows_) thread_ = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
    }
    threaded_ = thread_.joinable();
    if (!threaded_) {
        rows_.reset();
        --busyThreads;
    }
}

void ConcurrentRows::Row(uint8_t* bgr, int width) const {
    if (starting_) Start();
    const std::size_t next = published_.load(std::memory_order_relaxed);
    if (!thread_.joinable() || next >= capacity_) {
        inner_.Row(bgr, width);
        return;
    }
    // No lock and no wake-up: the thread looks for new rows itself.
    rows_[next] = {bgr, width};
    published_.store(next + 1, std::memory_order_release);
}

bool ConcurrentRows::Claim(std::size_t& row) const {
    std::size_t next = claimed_.load();
    while (next < published_.load(std::memory_order_acquire))
        if (claimed_.compare_exchange_weak(next, next + 1)) {
            row = next;
            return true;
        }
    return false;
}

void ConcurrentRows::Filter(std::size_t row) const {
    inner_.Row(rows_[row].first, rows_[row].second);
}

void ConcurrentRows::Finish() {
    if (!thread_.joinable()) return;
    ending_ = true;
    // What the thread has not yet taken is done here, at once.
    for (std::size_t row; Claim(row);)
        Filter(row);
    thread_.join();
    --busyThreads;
}

void ConcurrentRows::Work() const {
    for (;;) {
        std::size_t row;
        if (Claim(row)) {
            Filter(row);
            continue;
        }
        if (ending_) return;
        // Caught up with the decoder, which makes rows a few times slower than they are filtered.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace cvimg
