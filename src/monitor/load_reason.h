#pragma once

#include <string>
#include <string_view>

namespace nuvaro {

// Why a page could not be loaded, as a Chinese desktop says it (UTF-8): the reason the
// engine's message (WebKit, libsoup, GLib: "Could not connect to ...: Connection refused",
// "Error resolving ...", "Unacceptable TLS certificate", our own "HTTP 503") stands for,
// followed by that message in brackets, so that it can still be looked up. A message of no
// known kind keeps a general reason. An empty message gives the general reason alone; one that
// begins in Chinese (the program's own) stays as it is.
std::string LoadFailureReason(std::string_view engineMessage);

// The reason for an HTTP status of 400 or more: its meaning and, in brackets, the status with
// its English name ("服务暂时不可用（HTTP 503 Service Unavailable）").
std::string HttpStatusReason(int status);

// A reload that had no answer at all from the server within `seconds`.
std::string NoAnswerReason(int seconds);

}  // namespace nuvaro
