#include "banners/announcement.h"

#include <algorithm>

namespace nuvaro {

std::string& Announcement::operator[](size_t i) {
    return const_cast<std::string&>(static_cast<const Announcement&>(*this)[i]);
}

const std::string& Announcement::operator[](size_t i) const {
    const std::array<const std::string*, kCount> fields = {&AD1,    &AD2,    &AD3,    &Regurl, &Ver,
                                                           &ADurl1, &ADurl2, &ADurl3, &OutUrl};
    return *fields.at(i);
}

Announcement SplitReply(std::string_view reply) {
    Announcement values;
    for (size_t i = 0; i + 1 < Announcement::kCount; ++i) {
        size_t found = reply.find("||");
        // 1-based position of the separator, 0 when there is none.
        size_t p = found == std::string_view::npos ? 0 : found + 1;
        if (p > 1) values[i] = std::string(reply.substr(0, p - 1));
        reply.remove_prefix(std::min(p + 1, reply.size()));
    }
    values.OutUrl = std::string(reply);
    return values;
}

}  // namespace nuvaro
