// Announcement reply split and the banner texts made from it. Input: a reply.

#include "banners/announcement.h"

#include "banners/banner_cache.h"
#include "fuzz/fuzz_support.h"

using namespace nuvaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    Announcement values = SplitReply(reply);

    size_t total = 0;
    for (size_t i = 0; i < Announcement::kCount; ++i) {
        total += values[i].size();
        // Only the last value can hold a separator; every value is a piece of the reply.
        if (i + 1 < Announcement::kCount) FUZZ_CHECK(values[i].find("||") == std::string::npos);
        FUZZ_CHECK(reply.find(values[i]) != std::string_view::npos);
    }
    FUZZ_CHECK(total <= reply.size());
    FetchedBannerTexts(values);
    return 0;
}
