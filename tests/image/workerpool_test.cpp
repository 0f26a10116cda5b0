// The decode workers: decodes off the user-interface thread give the same pictures as on it, the waiting
// thread goes on handling its messages, and stopping drops what has not started and ends every thread.
#include "image/decode.h"
#include "image/workerpool.h"
#include "tests/support/pictures.h"
#include "tests/support/winsupport.h"
#include "thumbs/thumbdecode.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace corv {
namespace {

CvImgLib& Lib() {
    static CvImgLib lib;
    if (!lib.Loaded()) {
        EXPECT_TRUE(lib.Load(CORV_CVIMG32_PATH));
    }
    return lib;
}

std::string PixelsOf(HBITMAP bitmap) {
    DIBSECTION section{};
    if (GetObjectA(bitmap, sizeof section, &section) != sizeof section) return {};
    const BITMAP& b = section.dsBm;
    return std::string(static_cast<const char*>(b.bmBits), static_cast<size_t>(b.bmWidthBytes) * b.bmHeight);
}

TEST(DecodeWorkers, ParallelThumbnailsAreThoseOfOneAtATime) {
    const char* fixtures[] = {"jpeg/baseline-420.jpg", "jpeg/progressive.jpg", "gif/87a-global.gif",
                              "png/rgb8.png",          "tiff/lzw.tif",         "pcx/v5-8bit.pcx",
                              "bmp/v3-24.bmp",         "jpeg/cmyk.jpg"};
    std::vector<ThumbRequest> requests;
    for (int round = 0; round < 6; ++round)
        for (const char* f : fixtures)
            requests.push_back(
                {test::FixturePath(f), ThumbSizes{80 + round, 100, 76 - round * 5, 76}, 24, true});
    std::vector<std::string> alone;
    for (const ThumbRequest& request : requests) {
        ThumbResult result = DecodeThumb(Lib(), request);
        ASSERT_GE(result.picture.code, 1) << request.fileName;
        alone.push_back(PixelsOf(result.picture.bitmap.Get()));
    }
    WorkerPool pool(4);
    std::vector<ThumbResult> results(requests.size());
    std::vector<std::shared_ptr<WorkerPool::Ticket>> tickets;
    for (size_t i = 0; i < requests.size(); ++i)
        tickets.push_back(pool.Submit([&, i] { results[i] = DecodeThumb(Lib(), requests[i]); }));
    for (size_t i = 0; i < requests.size(); ++i) {
        ASSERT_TRUE(pool.Wait(*tickets[i], nullptr));
        EXPECT_EQ(PixelsOf(results[i].picture.bitmap.Get()), alone[i]) << requests[i].fileName;
        EXPECT_EQ(results[i].header.width, 45);
    }
}

TEST(DecodeWorkers, TheWaitingThreadHandlesItsMessages) {
    WorkerPool pool(1);
    std::atomic<bool> release{false};
    auto ticket = pool.Submit([&] {
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });
    // A message for this thread arrives while it waits; handling it lets the job end.
    PostThreadMessageA(GetCurrentThreadId(), WM_APP + 7, 0, 0);
    int handled = 0;
    const bool ran = pool.Wait(*ticket, [&] {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message == WM_APP + 7) {
                ++handled;
                release = true;
            }
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(handled, 1);
    EXPECT_TRUE(ticket->Finished());
}

TEST(DecodeWorkers, StoppingDropsWhatHasNotStartedAndEndsTheThreads) {
    auto pool = std::make_unique<WorkerPool>(2);
    std::atomic<bool> release{false};
    std::atomic<int> ran{0};
    std::vector<std::shared_ptr<WorkerPool::Ticket>> tickets;
    for (int i = 0; i < 2; ++i)
        tickets.push_back(pool->Submit([&] {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            ++ran;
        }));
    for (int i = 0; i < 10; ++i)
        tickets.push_back(pool->Submit([&] { ++ran; }));
    // Dropping a queued job: it never runs and its wait says so.
    pool->Drop({tickets[11]});
    EXPECT_FALSE(pool->Wait(*tickets[11], nullptr));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        release = true;
    });
    pool->Stop(); // waits for the two running jobs, drops the other nine
    releaser.join();
    EXPECT_EQ(ran, 2);
    EXPECT_FALSE(pool->Wait(*tickets[5], nullptr));
    EXPECT_FALSE(pool->Wait(*pool->Submit([&] { ++ran; }), nullptr));
    EXPECT_EQ(ran, 2);
    pool.reset();
    EXPECT_GE(DefaultWorkerCount(), 1);
    EXPECT_LE(DefaultWorkerCount(), 4);
}

TEST(DecodeWorkers, AModuleWithoutTheScaledReadStillGivesTheBox) {
    // The program's binding works with a module that has only the seven operations: the full decode,
    // shrunk by the system's own averaging.
    CvImgLib seven;
    ASSERT_TRUE(seven.Load(CORV_CVIMG32_PATH));
    seven.LibReadScaled = nullptr;
    const ThumbResult result =
        DecodeThumb(seven, {test::FixturePath("jpeg/baseline-420.jpg"), ThumbSizes{}, 24, true});
    ASSERT_GE(result.picture.code, 1);
    BITMAP b{};
    ASSERT_TRUE(GetObjectA(result.picture.bitmap.Get(), sizeof b, &b));
    EXPECT_EQ(b.bmWidth, 76);
    EXPECT_EQ(b.bmHeight, 50);
}

} // namespace
} // namespace corv
