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

}  // namespace fff
