#include "banners/announcement_fetch.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netdb.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <mutex>
#include <optional>
#include <vector>

#include "banners/test_endpoints.h"
#include "support/http_server.h"
#include "support/recording_proxy.h"
#include "support/scoped_env.h"

namespace nuvaro {
namespace {

// A name whose look-up hangs, as with a name server that does not answer: the resolver below
// holds it until the test opens the gate.
constexpr std::string_view kHangingName = "hanging-lookup.invalid";
testing::Gate g_hangingLookup;
std::promise<void> g_lookupStarted;
std::once_flag g_lookupStartedOnce;

}  // namespace
}  // namespace nuvaro

// Takes the place of the C library's resolver in this test program (libcurl's resolver thread
// calls it); every other name goes to the real one.
extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                           addrinfo** result) {
    using namespace nuvaro;
    if (node && node == kHangingName) {
        std::call_once(g_lookupStartedOnce, [] { g_lookupStarted.set_value(); });
        g_hangingLookup.Wait();
        return EAI_NONAME;
    }
    static auto real = reinterpret_cast<decltype(&getaddrinfo)>(dlsym(RTLD_NEXT, "getaddrinfo"));
    return real(node, service, hints, result);
}

namespace nuvaro {
namespace {

using testing::ClosedPortUrl;
using testing::Gate;
using testing::LocalHttpServer;
using testing::ScopedEnv;

const std::string kReply = "\xE5\xB9\xBF\xE5\x91\x8A||b||c||d||e||f||g||h||i\r\n";

TEST(AnnouncementFetch, SendsTheClientHeadersAndReturnsTheBodyBytes) {
    LocalHttpServer server;
    std::mutex mutex;
    std::vector<std::string> seen;  // method, User-Agent, Accept of each request
    server.Get("/api/ad.php", [&](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard lock(mutex);
        seen = {req.method, req.get_header_value("User-Agent"), req.get_header_value("Accept")};
        res.set_content(kReply, "text/plain; charset=utf-8");
    });
    FetchResult r = FetchAnnouncement(server.Url("/api/ad.php"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, kReply);
    std::lock_guard lock(mutex);
    EXPECT_EQ(seen, (std::vector<std::string>{"GET", "Mozilla/3.0 (compatible; Indy Library)",
                                              "text/html, */*"}));
}

class FetchStatusTest : public ::testing::TestWithParam<int> {};

TEST_P(FetchStatusTest, AnythingButSuccessIsAFailure) {
    LocalHttpServer server;
    int status = GetParam();
    server.Get("/api/ad.php", [status](const httplib::Request&, httplib::Response& res) {
        res.status = status;
        if (status == 302) res.set_header("Location", "/elsewhere");
        res.set_content("a||b||c||d||e||f||g||h||i", "text/plain");
    });
    std::atomic<int> followed{0};
    server.Get("/elsewhere", [&](const httplib::Request&, httplib::Response& res) {
        ++followed;
        res.set_content("redirected||b||c||d||e||f||g||h||i", "text/plain");
    });
    FetchResult r = FetchAnnouncement(server.Url("/api/ad.php"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.body.empty());
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(followed, 0);
}

INSTANTIATE_TEST_SUITE_P(Statuses, FetchStatusTest, ::testing::Values(302, 404, 500, 503));

TEST(AnnouncementFetch, UnreachableEndpointFails) {
    FetchResult r = FetchAnnouncement(ClosedPortUrl("/api/ad.php"));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
}

TEST(AnnouncementFetch, OtherSchemesAreNotFetched) {
    FetchResult r = FetchAnnouncement("file:///etc/hostname");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.body.empty());
}

TEST(AnnouncementFetch, OversizedReplyFails) {
    LocalHttpServer server;
    server.SetPage("/api/ad.php", std::string(5000, 'x'));
    FetchOptions options;
    options.maxBodyBytes = 4096;
    FetchResult r = FetchAnnouncement(server.Url("/api/ad.php"), nullptr, options);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.body.empty());
}

TEST(AnnouncementFetch, TotalTimeOutEndsAReplyThatNeverComes) {
    LocalHttpServer server;
    Gate gate;
    server.Get("/api/ad.php", [&gate](const httplib::Request&, httplib::Response& res) {
        gate.Wait();
        res.set_content("late", "text/plain");
    });
    FetchOptions options;
    options.totalTimeoutMs = 300;
    FetchResult r = FetchAnnouncement(server.Url("/api/ad.php"), nullptr, options);
    EXPECT_FALSE(r.ok);
    gate.Open();
}

TEST(AnnouncementFetch, CancelFromAnotherThreadEndsAWaitingRequest) {
    LocalHttpServer server;
    Gate gate;
    std::promise<void> arrived;
    server.Get("/api/ad.php", [&](const httplib::Request&, httplib::Response& res) {
        arrived.set_value();
        gate.Wait();
        res.set_content("late", "text/plain");
    });
    FetchCancel cancel;
    FetchOptions patient;
    patient.connectTimeoutMs = 600000;
    patient.totalTimeoutMs = 600000;
    auto fetch = std::async(std::launch::async, [&] {
        return FetchAnnouncement(server.Url("/api/ad.php"), &cancel, patient);
    });
    ASSERT_EQ(arrived.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    cancel.Cancel();
    // Far below the request's own time-outs: only the cancel can end it this soon.
    ASSERT_EQ(fetch.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_FALSE(fetch.get().ok);
    gate.Open();
}

struct ProxyCase {
    const char* name;
    const char* lowerNoProxy;  // nullptr: not in the environment
    const char* upperNoProxy;
    bool loopbackTarget;  // else 127.0.0.2, which is excepted through the environment only
};
void PrintTo(const ProxyCase& c, std::ostream* os) { *os << c.name; }

class FetchProxyTest : public ::testing::TestWithParam<ProxyCase> {};

// The user's proxy exceptions are honoured, and loopback is never proxied whatever they say.
TEST_P(FetchProxyTest, ExceptedHostsAndLoopbackAreReachedDirectly) {
    LocalHttpServer proxy;
    proxy.Get(".*", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("from the proxy", "text/plain");
    });
    LocalHttpServer server;
    server.SetPage("/api/ad.php", kReply, "text/plain");
    const ProxyCase& c = GetParam();
    ScopedEnv env{{"http_proxy", proxy.Url("").c_str()},
                  {"no_proxy", c.lowerNoProxy},
                  {"NO_PROXY", c.upperNoProxy}};
    std::string url = c.loopbackTarget ? server.Url("/api/ad.php")
                                       : "http://127.0.0.2:" + std::to_string(proxy.Port()) + "/";
    FetchResult r = FetchAnnouncement(url);
    EXPECT_TRUE(proxy.Requests().empty());
    // 127.0.0.2 has no server: reached directly, the connection is refused.
    EXPECT_EQ(r.ok, c.loopbackTarget) << r.error;
    if (c.loopbackTarget) {
        EXPECT_EQ(r.body, kReply);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Environments, FetchProxyTest,
    ::testing::Values(ProxyCase{"LoopbackWithoutExceptions", nullptr, nullptr, true},
                      ProxyCase{"LoopbackBesideTheUsersExceptions", "example.com", nullptr, true},
                      ProxyCase{"LowerCaseExceptionHonoured", "example.com,127.0.0.2", nullptr,
                                false},
                      ProxyCase{"UpperCaseExceptionHonoured", nullptr, "127.0.0.2", false},
                      ProxyCase{"LowerCaseTakesPrecedence", "127.0.0.2", "example.com", false},
                      ProxyCase{"StarAloneExceptsEveryHost", "*", nullptr, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Whatever proxy the environment names, this machine is reached directly, by name or address.
class FetchToThisMachine : public ::testing::TestWithParam<const char*> {};

TEST_P(FetchToThisMachine, NeverGoesThroughAProxy) {
    LocalHttpServer server;
    server.SetPage("/api/ad.php", kReply, "text/plain");
    testing::RecordingProxy proxy(server.Port());
    ScopedEnv env{{"http_proxy", proxy.Url().c_str()},
                  {"all_proxy", proxy.Url().c_str()},
                  {"ALL_PROXY", proxy.Url().c_str()},
                  {"no_proxy", nullptr},
                  {"NO_PROXY", nullptr}};
    FetchResult r =
        FetchAnnouncement(std::string(GetParam()) + std::to_string(server.Port()) + "/api/ad.php");
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(proxy.Connections(), 0);
}

INSTANTIATE_TEST_SUITE_P(Hosts, FetchToThisMachine,
                         ::testing::Values("http://localhost:", "http://LocalHost:",
                                           "http://127.0.0.1:"),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(AnnouncementFetch, CancelDuringANameLookUpDoesNotWaitForIt) {
    FetchCancel cancel;
    auto fetch = std::async(std::launch::async, [&] {
        return FetchAnnouncement("http://" + std::string(kHangingName) + "/api/ad.php", &cancel);
    });
    ASSERT_EQ(g_lookupStarted.get_future().wait_for(std::chrono::seconds(20)),
              std::future_status::ready);
    cancel.Cancel();
    // The look-up is still held: only leaving it behind lets the fetch end now.
    bool ended = fetch.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    g_hangingLookup.Open();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(fetch.get().ok);
}

TEST(AnnouncementFetch, CancelledBeforeStartSendsNothing) {
    LocalHttpServer server;
    std::atomic<int> requests{0};
    server.Get("/api/ad.php", [&](const httplib::Request&, httplib::Response& res) {
        ++requests;
        res.set_content(kReply, "text/plain");
    });
    FetchCancel cancel;
    cancel.Cancel();
    EXPECT_FALSE(FetchAnnouncement(server.Url("/api/ad.php"), &cancel).ok);
    EXPECT_EQ(requests, 0);
}

}  // namespace
}  // namespace nuvaro
