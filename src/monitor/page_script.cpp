#include "monitor/page_script.h"

#include "core/gbk.h"

namespace nuvaro {

const char* const kReadPageScript =
    "(function(){var t=(document.title||'').replace(/\\u0001/g,'');"
    "var b=document.body;return b?('B'+t+'\\u0001'+b.innerHTML):('N'+t);})()";

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
    const GbkText gbk = ToGbk(utf8);
    const std::string& text = gbk.bytes();
    if (text.empty() || (text[0] != 'B' && text[0] != 'N')) {
        page.error = "unexpected page read result";
        return page;
    }
    page.ok = true;
    page.hasBody = text[0] == 'B';
    size_t sep = page.hasBody ? text.find('\x01') : std::string::npos;
    page.title =
        GbkText::FromBytes(text.substr(1, sep == std::string::npos ? std::string::npos : sep - 1));
    if (sep != std::string::npos) page.body = GbkText::FromBytes(text.substr(sep + 1));
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
