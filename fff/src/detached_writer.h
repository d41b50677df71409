#pragma once

#include <functional>
#include <string>

namespace fff {

// Runs `write` in a process of its own that outlives the caller's, so that a short-lived
// program (a command-line search) ends as soon as its answer is out instead of waiting for a
// cache file to be written. The process is a copy of this one holding only the calling thread:
// `write` may read what this thread could read, and must not wait for anything another
// thread holds. It runs at the lowest priority, with standard input, output and error on
// /dev/null and no other descriptor of its parent's (a reader of the parent's pipes sees their
// end when the parent ends), and only while it holds `lockPath` (created when missing): a writer
// that finds another still at work leaves the file to it. Returns false when no process could
// be started (the caller then writes in place); the write's own outcome is not reported.
// A caller that lives on is left no child to reap; one that ends right after (`endsNow`) gets
// the writer as its own child, which saves a second copy of its page tables.
enum class Caller { livesOn, endsNow };
bool writeDetached(const std::string& lockPath, const std::function<void()>& write,
                   Caller caller = Caller::livesOn);

}  // namespace fff
