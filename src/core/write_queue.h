#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace nuvaro {

// The program's file writes, handed off so the UI thread never waits for the disk: while the
// queue runs, one thread of its own does them one at a time, in the order they were handed
// off, whatever file and whatever thread they come from. Before it runs and after it has
// stopped, a write is done at once by the caller.
namespace write_queue {

// Starts the writer thread (again); nothing when it runs.
void Start();
// Does every write handed off so far, then ends the thread. Writes handed off meanwhile are
// done before it returns; later ones by their callers.
void Stop();

// Does `write` in turn (or at once, see above). It reports its own failures. `replaces` names
// the file it replaces whole: a newer replacement of the same file handed off while this one
// is still the last one waiting takes its place, so a burst of changes is written once.
void Hand(std::function<void()> write, const std::string& replaces = {});

// Waits until every write handed off so far is done (at once on the writer thread itself).
void Flush();

// Hands off the replacement of `path` with `content` (ReplaceFileAtomically). A refused write
// goes to the error log once, until a write of the file works again (`failing` remembers it).
void Replace(const std::string& path, std::string content, mode_t newFileMode,
             std::shared_ptr<std::atomic<bool>> failing);

// Runs the queue for as long as it lives (the program's run).
class Running {
  public:
    Running() { Start(); }
    ~Running() { Stop(); }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
};

}  // namespace write_queue
}  // namespace nuvaro
