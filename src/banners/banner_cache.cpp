#include "banners/banner_cache.h"

#include "core/atomic_file.h"
#include "core/gbk.h"
#include "core/ini_file.h"
#include "core/text_util.h"

namespace nuvaro {
namespace {

constexpr const char* kSection = "AD";
constexpr const char* kServerSection = "Server";
constexpr const char* kEndpointKey = "AdUrl";

std::string Trimmed(std::string_view s) { return std::string(TrimControls(s)); }

// The banner texts are the announcement's first three values.
bool IsText(size_t i) { return i < 3; }

}  // namespace

BannerTexts FetchedBannerTexts(const Announcement& fetched) {
    return {GbkSafe(fetched.AD1), GbkSafe(fetched.AD2), Trimmed(GbkSafe(fetched.AD3))};
}

void WriteAnnouncementCache(const std::string& path, const Announcement& fetched) {
    Announcement stored = fetched;
    stored.AD1 = Trimmed(fetched.AD1);
    IniFile(path).Update([&](IniDocument& doc) {
        for (size_t i = 0; i < Announcement::kCount; ++i) {
            const char* key = Announcement::kKeys[i];
            if (IsText(i)) {
                doc.Write(kSection, key, stored[i]);
            } else {
                doc.WriteGbk(kSection, key, GbkText::FromBytes(stored[i]));
            }
        }
    });
}

std::optional<Announcement> ReadAnnouncementCache(const std::string& path) {
    auto content = ReadWholeFile(path);
    if (!content) return std::nullopt;
    IniDocument doc = IniDocument::Parse(*content);
    // The file may hold only the endpoint; that is no cache.
    bool cached = false;
    for (const std::string& name : doc.SectionNames())
        cached |= EqualsIgnoreAsciiCase(name, kSection);
    if (!cached) return std::nullopt;
    Announcement values;
    for (size_t i = 0; i < Announcement::kCount; ++i) {
        const char* key = Announcement::kKeys[i];
        values[i] = IsText(i) ? doc.Read(kSection, key).value_or(std::string())
                              : doc.ReadGbk(kSection, key).value_or(GbkText()).bytes();
    }
    return values;
}

std::string ReadAnnouncementEndpoint(const std::string& path) {
    auto endpoint = IniFile(path).Load().Read(kServerSection, kEndpointKey);
    return endpoint ? Trimmed(*endpoint) : std::string();
}

}  // namespace nuvaro
