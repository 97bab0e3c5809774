// Why a page could not be loaded, in Chinese, from the messages the engine gives.
#include "monitor/load_reason.h"

#include <gtest/gtest.h>

namespace nuvaro {
namespace {

struct ReasonCase {
    const char* name;
    std::string message, reason;
};

class LoadFailureReasonTest : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(LoadFailureReasonTest, SaysWhyInChineseAndKeepsTheOriginalInBrackets) {
    EXPECT_EQ(LoadFailureReason(GetParam().message), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    EngineMessages, LoadFailureReasonTest,
    ::testing::Values(
        ReasonCase{"RefusedSoup2", "Could not connect: Connection refused",
                   "服务器拒绝了连接请求（Could not connect: Connection refused）"},
        ReasonCase{"RefusedGio", "Could not connect to 127.0.0.1: Connection refused",
                   "服务器拒绝了连接请求（Could not connect to 127.0.0.1: Connection refused）"},
        ReasonCase{"UnknownHostSoup2", "Cannot resolve hostname",
                   "找不到服务器（域名无法解析）（Cannot resolve hostname）"},
        ReasonCase{"UnknownHostGio", "Error resolving “shop.invalid”: Name or service not known",
                   "找不到服务器（域名无法解析）（Error resolving “shop.invalid”: Name or service "
                   "not known）"},
        ReasonCase{"TimedOutWhileConnecting", "Could not connect to x: Connection timed out",
                   "连接超时，服务器没有响应（Could not connect to x: Connection timed out）"},
        ReasonCase{"SocketTimeout", "Socket I/O timed out",
                   "连接超时，服务器没有响应（Socket I/O timed out）"},
        ReasonCase{"Certificate", "Unacceptable TLS certificate",
                   "网站的安全证书不受信任，连接已中止（Unacceptable TLS certificate）"},
        ReasonCase{"Reset", "Connection terminated unexpectedly",
                   "连接被服务器意外中断（Connection terminated unexpectedly）"},
        ReasonCase{"Unreachable", "Network is unreachable",
                   "网络不可达，请检查网络连接（Network is unreachable）"},
        ReasonCase{"BadScheme", "Unsupported URI scheme",
                   "网址无效或不受支持（Unsupported URI scheme）"},
        ReasonCase{"Unknown", "Something odd", "无法打开网页（Something odd）"},
        ReasonCase{"Empty", "  ", "无法打开网页"},
        ReasonCase{"ChineseStaysAsItIs", "网页进程意外终止，网页已重新打开",
                   "网页进程意外终止，网页已重新打开"},
        ReasonCase{"Http503", "HTTP 503", "服务暂时不可用（HTTP 503 Service Unavailable）"},
        ReasonCase{"Http404", "HTTP 404", "网页不存在（HTTP 404 Not Found）"},
        ReasonCase{"OtherClientError", "HTTP 418", "服务器拒绝了请求（HTTP 418）"},
        ReasonCase{"OtherServerError", "HTTP 599", "服务器出错（HTTP 599）"},
        ReasonCase{"HttpWithoutNumber", "HTTP error", "无法打开网页（HTTP error）"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NoAnswerReason, NamesTheSecondsWaited) {
    EXPECT_EQ(NoAnswerReason(30), "连接超时，服务器 30 秒内没有响应");
}

}  // namespace
}  // namespace nuvaro
