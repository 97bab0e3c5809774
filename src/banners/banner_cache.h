#pragma once

#include <optional>
#include <string>

#include "banners/announcement.h"

namespace nuvaro {

// Beside the executable: the last announcement (section "AD") and the endpoint it comes from
// (section "Server", key "AdUrl").
inline constexpr const char* kBannerCacheFile = "config.ini";

// The three banner texts of a fetched reply, as GBK keeps them (UTF-8; a character GBK cannot
// hold becomes '?'); banner 3 also trimmed.
struct BannerTexts {
    std::string banner1, banner2, banner3;
};
BannerTexts FetchedBannerTexts(const Announcement& fetched);

// Caches a fetched reply in one atomic write of the file. The texts are converted to GBK (AD1
// also trimmed); the links and the version are stored as received. The file's other sections
// are kept. Throws FileWriteError.
void WriteAnnouncementCache(const std::string& path, const Announcement& fetched);

// The cached values (the texts back in UTF-8), a missing key read as empty; nullopt when the file
// is missing, unreadable or holds no section "AD" (only the endpoint, say), so that the banners
// keep what they show.
std::optional<Announcement> ReadAnnouncementCache(const std::string& path);

// The announcement endpoint, trimmed; empty when none is configured.
std::string ReadAnnouncementEndpoint(const std::string& path);

}  // namespace nuvaro
