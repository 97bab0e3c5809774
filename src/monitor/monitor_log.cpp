#include "monitor/monitor_log.h"

#include "core/condition_texts.h"
#include "core/gbk.h"
#include "core/log_escape.h"
#include "core/site_texts.h"
#include "core/text_cut.h"
#include "core/text_util.h"
#include "core/texts.h"

namespace nuvaro {

namespace loglines {
namespace {

// The fixed texts, converted once.
std::string_view NothingText() {
    static const GbkText s = ToGbk(text::kLogNothingFound);
    return s.view();
}
std::string_view RepeatText() {
    static const GbkText s = ToGbk(text::kLogRepeat);
    return s.view();
}
std::string_view ChangeText() {
    static const GbkText s = ToGbk(text::kLogChange);
    return s.view();
}

// A text of the page, a server or the user, as one piece of one line.
std::string Field(std::string_view utf8) { return EscapeLogText(ToGbk(utf8).view()); }
std::string Field(const GbkText& gbk) { return EscapeLogText(gbk.view()); }
std::string Found(const GbkText& found) { return EscapeLogText(CutText(found).view()); }

GbkText Line(std::initializer_list<std::string_view> pieces) {
    return GbkText::FromBytes(Join(pieces));
}

}  // namespace

GbkText RegexMatch(std::string_view d, std::string_view s, std::string_view w, const GbkText& f,
                   const GbkText& e) {
    return Line({d, "=", s, "=", Field(w), "=", Found(f), "==", Field(e)});
}

GbkText KeywordMatch(std::string_view d, std::string_view s, std::string_view w, const GbkText& e) {
    return Line({d, "=", s, "=", Field(w), "=", text::kKeywordOk, "==", Field(e)});
}

GbkText NothingFound(std::string_view d, std::string_view w) {
    return Line({d, "[0][]", NothingText(), "[", Field(w), "]"});
}

GbkText RepeatSkipped(std::string_view d, std::string_view x, const GbkText& f,
                      std::string_view w) {
    return Line({d, "[", x, "][", Found(f), "]", RepeatText(), "[", Field(w), "]"});
}

GbkText ChangeNotified(std::string_view d, std::string_view x, const GbkText& f,
                       std::string_view w) {
    return Line({d, "[", x, "][", Found(f), "]", ChangeText(), "[", Field(w), "]"});
}

GbkText Unjudged(std::string_view d, std::string_view x, bool noElement, bool notDue,
                 const GbkText& f, std::string_view w) {
    const char* what = noElement ? text::kNoElement : notDue ? text::kLogNotDue : text::kNoNumber;
    return Line({d, "[", x, "][", Found(f), "]", ToGbk(what).view(), "[", Field(w), "]"});
}

GbkText SiteWait(std::string_view d, std::string_view s, std::string_view u, std::string_view t,
                 std::string_view w) {
    return Line({d, "[", s, "][", Field(t), "]", ToGbk(text::kSiteWait).view(),
                 ToGbk(text::kSiteWaitUntil).view(), u, "[", Field(w), "]"});
}

GbkText EndRequested(std::string_view d, std::string_view r) {
    return Line({d, "[0][]", ToGbk(text::kEndRequested).view(), Field(r), "[]"});
}

}  // namespace loglines
}  // namespace nuvaro
