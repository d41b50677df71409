#include "mount_points.h"

#include <fstream>
#include <sstream>

namespace fff {
namespace {

std::string unescaped(std::string_view field) {
  std::string text;
  for (std::size_t at = 0; at < field.size(); ++at) {
    const auto octal = [&](std::size_t k) { return field[k] >= '0' && field[k] <= '7'; };
    if (field[at] == '\\' && at + 3 < field.size() && octal(at + 1) && octal(at + 2) && octal(at + 3)) {
      text +=
          static_cast<char>((field[at + 1] - '0') * 64 + (field[at + 2] - '0') * 8 + (field[at + 3] - '0'));
      at += 3;
    } else {
      text += field[at];
    }
  }
  return text;
}

}  // namespace

std::vector<std::string> mountPointsBelow(std::string_view mountTable, const std::string& root) {
  const std::string prefix = root.ends_with('/') ? root : root + "/";
  std::vector<std::string> below;
  while (!mountTable.empty()) {
    const std::size_t end = mountTable.find('\n');
    std::string_view line = mountTable.substr(0, end);
    mountTable.remove_prefix(end == std::string_view::npos ? mountTable.size() : end + 1);
    for (int field = 0; field < 4 && !line.empty(); ++field) {
      const std::size_t space = line.find(' ');
      line.remove_prefix(space == std::string_view::npos ? line.size() : space + 1);
    }
    std::string point = unescaped(line.substr(0, line.find(' ')));
    if (point.size() > prefix.size() && point.starts_with(prefix)) below.push_back(std::move(point));
  }
  return below;
}

std::string readMountTable() {
  std::ifstream file("/proc/self/mountinfo");
  std::ostringstream text;
  text << file.rdbuf();
  return file ? text.str() : std::string();
}

}  // namespace fff
