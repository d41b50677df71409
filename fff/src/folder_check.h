#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "index.h"

namespace fff {

// Which of the index's folders may hold other names than when they were listed: per directory
// slot, true when the folder's modification time, device or inode differs from what the index
// recorded, when it cannot be read, or when it was never listed. Only folders `wanted` returns
// true for are looked at, and nothing below one it refuses; the others read false. Each folder
// is looked up relative to its parent's open descriptor, one name at a time, on `threads`
// threads. `wanted` is called from all of them.
std::vector<char> changedFolders(const Index& index, const std::string& root, unsigned threads,
                                 const std::function<bool(std::uint32_t)>& wanted);

// The folders' stamps to save, by directory slot. A folder's time tells whether it changed
// only if it is older than the scan that listed the folder (`scanStarted`): a change made in the
// same tick of the clock, after the listing, would leave it as it was. Such a folder is saved
// unread (`kStampUnread`), to be listed again; so is one listed before its time was read, unless
// its time, read now, is older and it is still the folder listed. Empty when every folder's
// stamp stands as the index holds it.
std::vector<std::int64_t> stampsToSave(const Index& index, const std::string& root, std::int64_t scanStarted);

}  // namespace fff
