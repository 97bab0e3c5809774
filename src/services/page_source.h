#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/gbk_text.h"

namespace nuvaro {

// How a load of the page ended.
struct LoadOutcome {
    bool finished = false;  // false while it runs
    bool failed = false;
    bool committed = false;   // the server answered: a new document began
    bool superseded = false;  // cut short by a newer load, which tells
    bool reopened = false;    // the page's web process was ended; the page opens again (next load)
    bool ranAway = false;     // the page's scripts hung its web process, which was ended
    std::string error;        // the engine's message, or "HTTP <status>"
    int httpStatus = 0;       // the document's status, when the server answered
    std::string retryAfter;   // its Retry-After header (bounded)
};

// What a page read asks for: the body markup (the default) or the visible text as laid out,
// of the whole body or of the elements a CSS selector (UTF-8) selects, one per line.
struct PageQuery {
    bool visibleText = false;
    std::string selector;

    bool Plain() const { return !visibleText && selector.empty(); }
};

// What a page read returns: the body markup (or what the query asked for) and the title, GBK
// (what GBK cannot hold is "?"). Other texts here are UTF-8, limited to what GBK can hold.
struct PageContent {
    bool ok = false;
    bool hasBody = false;
    bool noElements = false;  // the selector selected nothing
    GbkText body;
    GbkText title;
    std::string error;          // when !ok
    std::string selectorError;  // the engine refused the selector (also !ok): its reason
    bool reopened = false;      // the read was cut short: the page opens again, read it once loaded
    bool ranAway = false;       // the page's scripts hung its web process, which was ended
};

// Takes a page read; the content is handed over, so the page text is not copied on its way.
using PageReadDone = std::function<void(PageContent)>;

// A window's embedded browser as the monitoring cycle sees it. Loads are counted, so a caller
// can wait for the load it started; reads are asynchronous.
class PageSource {
  public:
    virtual ~PageSource() = default;

    // Address of the loaded document (what GBK can hold of it); empty when nothing was ever
    // loaded. It stays while the page's web process is down.
    virtual std::string LocationURL() const = 0;
    // The same address as UTF-8, exactly as the engine reports it.
    virtual std::string LocationUtf8() const = 0;
    // Starts loading `url`; an address without a scheme is taken as http.
    virtual void Navigate(const std::string& url) = 0;
    // Starts reloading the current document; a load that has not received its document yet is
    // taken over instead and counted as a new load.
    virtual void Refresh() = 0;
    // A load is under way or about to start (the page is being opened again).
    virtual bool IsLoading() const = 0;

    // Number of loads started so far; the outcome of load k (1-based) while it is remembered.
    // Every load ends exactly once.
    virtual uint64_t LoadsStarted() const = 0;
    virtual LoadOutcome Outcome(uint64_t load) const = 0;

    // Reads what `query` asks for and the title of the live document; `done` runs later on the
    // UI thread, never after the source is gone, and never from inside this call.
    virtual void ReadPageAs(const PageQuery& query, PageReadDone done) = 0;
    // The body markup and the title.
    void ReadPage(PageReadDone done) { ReadPageAs(PageQuery{}, std::move(done)); }

    // How long the page has been quiet: none of the requests it started itself (scripts,
    // fetch, XHR, frames) still running, and its document unchanged. `done` runs later on the
    // UI thread, never from inside this call; 0 while the page is busy.
    virtual void AskQuiet(std::function<void(std::chrono::milliseconds)> done) = 0;

    // Why the page's web process ended unexpectedly since the last call (UTF-8), "" when it did
    // not. The browser opens the page again; each end is told once, to whoever takes it.
    virtual std::string TakeCrash() = 0;

    // The page did not answer a read in time: end what keeps it from answering. Pages that
    // only shared its process open again; a page found running away ends its pending read.
    virtual void Unstick() = 0;

    // Expires when the source is destroyed.
    virtual std::weak_ptr<bool> Liveness() const = 0;
};

}  // namespace nuvaro
