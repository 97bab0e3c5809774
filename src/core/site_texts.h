#pragma once

// The texts of a site that asked to wait (UTF-8), beside texts.h.
namespace nuvaro::text {

// A site answered 429 or 503: its windows wait until the time given after it.
inline constexpr const char* kSiteWait = "网站要求等待";
inline constexpr const char* kSiteWaitUntil = "，至 ";

}  // namespace nuvaro::text
