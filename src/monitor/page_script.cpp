#include "monitor/page_script.h"

#include <cctype>
#include <cstdio>

#include "core/condition_texts.h"
#include "core/gbk.h"
#include "core/text_cut.h"

namespace nuvaro {

const char* const kReadPageScript =
    "(function(){var t=(document.title||'').replace(/\\u0001/g,'');"
    "var b=document.body;return b?('B'+t+'\\u0001'+b.innerHTML):('N'+t);})()";

namespace {

// `utf8` as a script's string literal: every character but letters and digits escaped, so
// nothing in it can end the literal or the script.
std::string ScriptString(std::string_view utf8) {
    std::string out = "'";
    auto unit = [&out](unsigned code) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", code);
        out += escaped;
    };
    for (size_t i = 0; i < utf8.size();) {
        const size_t n = Utf8CharLength(utf8, i);
        uint32_t code = static_cast<unsigned char>(utf8[i]);
        if (n > 1) {
            code &= 0xFFu >> (n + 1);
            for (size_t k = 1; k < n; ++k) code = (code << 6) | (utf8[i + k] & 0x3F);
        }
        i += n;
        if (std::isalnum(static_cast<unsigned char>(code)) && code < 0x80) {
            out += static_cast<char>(code);
        } else if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    return out + "'";
}

}  // namespace

std::string ReadPageScript(const PageQuery& query) {
    if (query.Plain()) return kReadPageScript;
    const std::string get = query.visibleText ? "innerText" : "outerHTML";
    const std::string body = query.visibleText ? "innerText" : "innerHTML";
    std::string script =
        "(function(){var t=(document.title||'').replace(/\\u0001/g,'');var b=document.body;";
    if (!query.selector.empty()) {
        script += "var l;try{l=document.querySelectorAll(" + ScriptString(query.selector) +
                  ");}catch(e){return 'E'+((e&&e.message)||String(e));}"
                  "if(!b)return 'N'+t;if(!l.length)return 'Z'+t;var o=[];"
                  "for(var i=0;i<l.length;i++)o.push(l[i]." +
                  get + ");return 'B'+t+'\\u0001'+o.join('\\n');})()";
        return script;
    }
    return script + "return b?('B'+t+'\\u0001'+b." + body + "):('N'+t);})()";
}

// The watcher's statements; `q` is the watcher after them.
#define NUVARO_SETTLE_WATCH                                                                      \
    "var w=window,q=w.__nuvaroQuiet,now=function(){return new Date().getTime();};"               \
    "if(!q){q=w.__nuvaroQuiet={t:now(),n:0};"                                                    \
    "try{new MutationObserver(function(){q.t=now();}).observe(document,"                         \
    "{childList:true,subtree:true,attributes:true,characterData:true});}catch(e){}"              \
    "try{var p=XMLHttpRequest.prototype,send=p.send;p.send=function(){var x=this,d=false;q.n++;" \
    "x.addEventListener('loadend',function(){if(!d){d=true;q.n--;q.t=now();}});"                 \
    "return send.apply(x,arguments);};}catch(e){}}"

const char* const kSettleWatchScript = "(function(){" NUVARO_SETTLE_WATCH "})();";

const char* const kSettleSinceChangeScript =
    "window.__nuvaroQuiet?new Date().getTime()-window.__nuvaroQuiet.t:-1";

const char* const kSettleScript =
    "(function(){" NUVARO_SETTLE_WATCH
    "if(document.readyState!='complete'||q.n>0)return '0';return String(now()-q.t);})()";

#undef NUVARO_SETTLE_WATCH

PageContent ParsePageRead(std::string_view utf8) {
    PageContent page;
    if (!utf8.empty() && utf8[0] == 'E') {
        page.selectorError = ToUtf8(CutText(ToGbk(utf8.substr(1))));
        page.error = text::kBadSelector + page.selectorError;
        return page;
    }
    std::string text = ToGbk(utf8).TakeBytes();
    if (text.empty() || (text[0] != 'B' && text[0] != 'N' && text[0] != 'Z')) {
        page.error = "unexpected page read result";
        return page;
    }
    page.ok = true;
    page.noElements = text[0] == 'Z';
    page.hasBody = text[0] != 'N';
    size_t sep = page.hasBody ? text.find('\x01') : std::string::npos;
    page.title =
        GbkText::FromBytes(text.substr(1, sep == std::string::npos ? std::string::npos : sep - 1));
    if (sep != std::string::npos) page.body = GbkText::FromBytes(std::move(text.erase(0, sep + 1)));
    return page;
}

bool HasScheme(const std::string& url) {
    if (url.find("://") != std::string::npos) return true;
    for (const char* prefix : {"about:", "data:", "file:", "javascript:"}) {
        if (url.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

}  // namespace nuvaro
