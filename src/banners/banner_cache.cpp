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

}  // namespace

BannerTexts FetchedBannerTexts(const Announcement& fetched) {
    return {ToGbk(fetched.AD1).bytes(), ToGbk(fetched.AD2).bytes(),
            Trimmed(ToGbk(fetched.AD3).bytes())};
}

void WriteAnnouncementCache(const std::string& path, const Announcement& fetched) {
    Announcement stored = fetched;
    stored.AD1 = Trimmed(ToGbk(fetched.AD1).bytes());
    stored.AD2 = ToGbk(fetched.AD2).bytes();
    stored.AD3 = ToGbk(fetched.AD3).bytes();
    IniFile(path).Update([&](IniDocument& doc) {
        for (size_t i = 0; i < Announcement::kCount; ++i) {
            doc.WriteGbk(kSection, Announcement::kKeys[i], GbkText::FromBytes(stored[i]));
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
        values[i] = doc.ReadGbk(kSection, Announcement::kKeys[i]).value_or(GbkText()).bytes();
    }
    return values;
}

std::string ReadAnnouncementEndpoint(const std::string& path) {
    auto endpoint = IniFile(path).Load().ReadGbk(kServerSection, kEndpointKey);
    return endpoint ? Trimmed(endpoint->view()) : std::string();
}

}  // namespace nuvaro
