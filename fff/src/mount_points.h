#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fff {

// The mount points strictly below `root` (absolute and canonical) in a mount table written as
// /proc/self/mountinfo writes it (the fifth field, with space, tab, newline and backslash as
// octal escapes). A walk reads these by name, without triggering an automount, before it decides
// whether to open them: opening a folder that is one mounts it.
std::vector<std::string> mountPointsBelow(std::string_view mountTable, const std::string& root);

// This process's mount table; empty when it cannot be read.
std::string readMountTable();

}  // namespace fff
