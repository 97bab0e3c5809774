#pragma once

#include <curl/curl.h>

#include <string>
#include <string_view>

namespace nuvaro {

// True for this machine: "localhost" and names under ".localhost" (any case, one final dot
// allowed), 127.0.0.0/8, ::1 and ::ffff:127.0.0.0/104.
bool IsLoopbackHost(std::string_view host);

// Whether the host of `url` is this machine (false for a text that is no URL).
bool IsLoopbackUrl(const std::string& url);

// A transfer to this machine never goes through a proxy, whatever the environment says: a
// proxy would take it to another machine (and resolve "localhost" there), and what is sent to
// this machine may go in the clear. Call after the transfer's URL is known.
void NoProxyToLoopback(CURL* easy, const std::string& url);

}  // namespace nuvaro
