#include "results.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace fff {

void fillResults(const Index& index, const std::string& root, const Matches& matches, OwnedResults& results) {
  std::size_t bytes = 0;
  for (const Match& match : matches.items)
    bytes += index.entries()[match.entry].pathLength + 1u;
  results.paths.reserve(bytes);
  results.items.reserve(matches.items.size());
  std::vector<std::size_t> offsets;
  offsets.reserve(matches.items.size());
  for (const Match& match : matches.items) {
    const Entry& entry = index.entries()[match.entry];
    offsets.push_back(results.paths.size());
    index.appendPath(results.paths, match.entry);
    const std::size_t length = results.paths.size() - offsets.back();
    results.paths.push_back('\0');
    FffItem item{};
    item.kind = entry.kind == Kind::directory ? FFF_KIND_DIRECTORY : FFF_KIND_FILE;
    item.flags = index.details(match.entry).symlink ? FFF_ITEM_SYMLINK : 0;
    item.score = match.score;
    item.path_length = static_cast<std::uint32_t>(length);
    item.name_offset =
        static_cast<std::uint32_t>(length - std::min<std::size_t>(length, index.name(match.entry).size()));
    item.depth = entry.depth;
    item.size = index.details(match.entry).size;
    item.modified = index.modified(match.entry);
    if (!index.details(match.entry).detailed) {
      const std::string path = root + "/" + results.paths.substr(offsets.back(), length);
      struct stat info;
      if (::fstatat(AT_FDCWD, path.c_str(), &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0) {
        item.size = entry.kind == Kind::directory ? 0 : static_cast<std::uint64_t>(info.st_size);
        item.modified = info.st_mtim.tv_sec;
      }
    }
    results.items.push_back(item);
  }
  // Pointers are set once the buffer has stopped growing.
  for (std::size_t k = 0; k < results.items.size(); ++k)
    results.items[k].path = results.paths.data() + offsets[k];
}

}  // namespace fff
