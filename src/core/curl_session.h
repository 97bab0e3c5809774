#pragma once

#include <curl/curl.h>

#include <atomic>
#include <string>
#include <vector>

namespace nuvaro {

// One libcurl transfer with the settings every send shares: bounded time-outs, no signals
// (we run on a worker thread), certificates verified, and the server's last reply kept.
class CurlSession {
  public:
    CurlSession(long connectTimeoutSeconds, long totalTimeoutSeconds, const std::string& caFile);
    ~CurlSession();
    CurlSession(const CurlSession&) = delete;
    CurlSession& operator=(const CurlSession&) = delete;

    CURL* handle() const { return m_curl; }
    // Runs the transfer; true when libcurl reports success. Error() tells why not.
    bool Perform();
    // libcurl's message and its detail, with the server's last reply when there was one
    // (UTF-8 as far as the server sent UTF-8).
    std::string Error() const;
    // The last line the server sent as a protocol reply (SMTP replies, HTTP status line).
    const std::string& LastReply() const { return m_lastReply; }
    // The code of the server's last reply (HTTP status, SMTP reply code); 0 without one.
    long ResponseCode() const;
    // Whether a failed transfer may succeed when tried again: the server was not reached or
    // did not answer in time, or refused for now (SMTP 4xx); a refusal for good (SMTP 5xx), a
    // certificate that fails, a cancelled transfer or a bad address are not worth it.
    bool FailureMayPass() const;

    // Ends every transfer of this plug-in, running or still to come, within about a second:
    // the program is exiting. Such a transfer fails with the text of a send refused at exit.
    static void CancelAll();
    // Ends this transfer within about a second once `*flag` is true (its owner is closing).
    void CancelWhen(const std::atomic<bool>* flag) { m_cancel = flag; }

  private:
    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    static int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self);

    CURL* m_curl;
    CURLcode m_result = CURLE_OK;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
    std::string m_lastReply;
    std::string m_refusal;
    const std::atomic<bool>* m_cancel = nullptr;
};

// One HTTP(S) request: GET, POST (with `body`) or another method by name; headers as
// "Name: value". Never through a proxy to this machine.
struct HttpCall {
    std::string method = "POST";
    std::string url;
    std::vector<std::string> headers;
    std::string body;
};

// Runs `call` on `session`; the answer's body goes to `answer`, cut to `maxAnswer` bytes.
// True when libcurl reports success (session.Error() tells why not).
bool PerformHttp(CurlSession& session, const HttpCall& call, std::string& answer, size_t maxAnswer);

}  // namespace nuvaro
