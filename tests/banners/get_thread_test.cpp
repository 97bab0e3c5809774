#include "banners/get_thread.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <future>

#include "banners/test_endpoints.h"
#include "support/http_server.h"

namespace nuvaro {
namespace {

using testing::ClosedPortUrl;
using testing::Gate;
using testing::LocalHttpServer;

struct Delivery {
    TGetThread::Result result;
    std::thread::id thread;
};

TEST(TGetThread, FetchesOnItsOwnThreadOnlyWhenResumedAndHandsOverTheSplitReply) {
    LocalHttpServer server;
    std::atomic<int> requests{0};
    server.Get("/api/ad.php", [&](const httplib::Request&, httplib::Response& res) {
        ++requests;
        res.set_content("a||b||c||d||e||f||g||h||i||j", "text/plain");
    });
    std::promise<Delivery> delivered;
    TGetThread thread(server.Url("/api/ad.php"), [&](TGetThread::Result r) {
        delivered.set_value({std::move(r), std::this_thread::get_id()});
    });
    EXPECT_EQ(requests, 0);
    thread.Resume();
    thread.Resume();
    auto future = delivered.get_future();
    ASSERT_EQ(future.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    Delivery d = future.get();
    EXPECT_TRUE(d.result.ok);
    EXPECT_EQ(d.result.values.AD1, "a");
    EXPECT_EQ(d.result.values.OutUrl, "i||j");
    EXPECT_NE(d.thread, std::this_thread::get_id());
    EXPECT_EQ(requests, 1);
}

TEST(TGetThread, HandsOverAFailure) {
    std::promise<TGetThread::Result> delivered;
    TGetThread thread(ClosedPortUrl("/api/ad.php"),
                      [&](TGetThread::Result r) { delivered.set_value(std::move(r)); });
    thread.Resume();
    auto future = delivered.get_future();
    ASSERT_EQ(future.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    TGetThread::Result r = future.get();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.values, Announcement{});
}

TEST(TGetThread, DestroyedWhileTheServerHoldsTheRequestEndsItWithoutCallingBack) {
    LocalHttpServer server;
    Gate gate;
    std::promise<void> arrived;
    server.Get("/api/ad.php", [&](const httplib::Request&, httplib::Response& res) {
        arrived.set_value();
        gate.Wait();
        res.set_content("a||b||c||d||e||f||g||h||i", "text/plain");
    });
    std::atomic<int> calls{0};
    auto thread = std::make_unique<TGetThread>(server.Url("/api/ad.php"),
                                               [&](TGetThread::Result) { ++calls; });
    thread->Resume();
    ASSERT_EQ(arrived.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    thread.reset();
    gate.Open();
    EXPECT_EQ(calls, 0);
}

// A fetch that does not listen to the cancel (as a blocked name look-up would not).
TEST(TGetThread, FetchThatIgnoresTheAbortIsLeftBehindAndNeverCallsBack) {
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    auto calls = std::make_shared<std::atomic<int>>(0);
    // Owned by the fetcher, so it goes when the left-behind thread has wound up.
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> alive = token;
    {
        TGetThread thread(
            "http://unused/", [calls](TGetThread::Result) { ++*calls; },
            [released, token](const std::string&, FetchCancel&) {
                released.wait();
                return FetchResult{true, "a||b", ""};
            });
        token.reset();
        thread.Resume();
    }  // returns although the fetch still runs
    EXPECT_FALSE(alive.expired());
    release->set_value();
    for (int i = 0; i < 2000 && !alive.expired(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(alive.expired());
    EXPECT_EQ(*calls, 0);
}

TEST(TGetThread, AbortBeforeResumeFetchesNothing) {
    std::atomic<int> fetches{0};
    std::atomic<int> calls{0};
    TGetThread thread(
        "http://unused/", [&](TGetThread::Result) { ++calls; },
        [&](const std::string&, FetchCancel&) {
            ++fetches;
            return FetchResult{};
        });
    thread.Abort();
    thread.Resume();
    EXPECT_FALSE(thread.Finished());
    EXPECT_EQ(fetches, 0);
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace nuvaro
