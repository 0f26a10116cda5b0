// The decode workers: decodes off the user-interface thread give the same pictures as on it, every result
// comes back to this thread as a message, a dropped job's never does, and stopping drops what has not
// started and ends every thread.
#include "image/decode.h"
#include "image/workerpool.h"
#include "tests/support/pictures.h"
#include "tests/support/winsupport.h"
#include "tests/ui/uitest.h"
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
    std::vector<DWORD> completedOn;
    for (size_t i = 0; i < requests.size(); ++i)
        pool.Submit([&, i] { results[i] = DecodeThumb(Lib(), requests[i]); },
                    [&] { completedOn.push_back(GetCurrentThreadId()); });
    ASSERT_TRUE(test::RunUntil([&] { return completedOn.size() == requests.size(); }));
    for (size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(PixelsOf(results[i].picture.bitmap.Get()), alone[i]) << requests[i].fileName;
        EXPECT_EQ(results[i].header.width, 45);
        EXPECT_EQ(completedOn[i], GetCurrentThreadId()) << "completions run on the submitting thread";
    }
}

TEST(DecodeWorkers, CompletionsComeBackAsMessagesAndADroppedOneNever) {
    WorkerPool pool(1), other(1);
    std::atomic<bool> release{false}, started{false};
    std::vector<std::string> order;
    auto held = pool.Submit(
        [&] {
            started = true;
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        },
        [&] { order.push_back("held"); });
    while (!started)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto queued = pool.Submit([] {}, [&] { order.push_back("queued"); });
    auto urgent = pool.Submit([] {}, [&] { order.push_back("urgent"); }, WorkerPool::Urgency::First);
    auto dropped = pool.Submit([] {}, [&] { order.push_back("dropped"); });
    pool.Drop({dropped});
    other.Drop({queued}); // another pool's ticket: ignored
    release = true;
    // Nothing runs before the loop takes the messages: the submitter never waits inside a job's end.
    EXPECT_TRUE(order.empty());
    ASSERT_TRUE(test::RunUntil([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<std::string>{"held", "urgent", "queued"}));
    EXPECT_TRUE(dropped->Finished());
    // Asked for after the job has run: it still comes, as a message.
    pool.WhenDone(held, [&] { order.push_back("later"); });
    EXPECT_EQ(order.size(), 3u);
    ASSERT_TRUE(test::RunUntil([&] { return order.size() == 4; }));
    // A completion dropped after its job ran, before its message was handled, never runs.
    auto late = pool.Submit([] {}, [&] { order.push_back("late"); });
    while (!late->Finished()) // not running the loop: its message stays queued
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    pool.Drop({late});
    test::Pump(50);
    EXPECT_EQ(order.back(), "later");
}

TEST(DecodeWorkers, StoppingDropsWhatHasNotStartedAndEndsTheThreads) {
    auto pool = std::make_unique<WorkerPool>(2);
    std::atomic<bool> release{false};
    std::atomic<int> ran{0};
    int completed = 0;
    std::vector<WorkerPool::TicketPtr> tickets;
    for (int i = 0; i < 2; ++i)
        tickets.push_back(pool->Submit(
            [&] {
                while (!release)
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                ++ran;
            },
            [&] { ++completed; }));
    for (int i = 0; i < 10; ++i)
        tickets.push_back(pool->Submit([&] { ++ran; }, [&] { ++completed; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        release = true;
    });
    pool->Stop(); // lets the two running jobs end, drops the other ten
    releaser.join();
    EXPECT_EQ(ran, 2);
    EXPECT_TRUE(tickets[5]->Finished());
    EXPECT_TRUE(pool->Submit([&] { ++ran; }, [&] { ++completed; })->Finished()) << "dropped at once";
    test::Pump(50);
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(completed, 2);
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
