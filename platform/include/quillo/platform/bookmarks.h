#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillo::platform {

// A bookmark could not be made or resolved; what() says why, for the user.
class BookmarkError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where a bookmark leads now.
struct ResolvedBookmark {
  std::string path;      // absolute
  bool isStale = false;  // still leads somewhere, but should be made again
};

// Lasting references to folders the user chose, which keep them reachable across launches
// even where a sandbox would otherwise forbid it. Implementations are safe for concurrent use.
class Bookmarks {
 public:
  virtual ~Bookmarks() = default;

  // A read-only bookmark of a folder the user has just chosen. Throws BookmarkError.
  virtual std::vector<std::uint8_t> create(const std::string& path) = 0;
  // Throws BookmarkError when the bytes are not a bookmark or lead nowhere.
  virtual ResolvedBookmark resolve(const std::vector<std::uint8_t>& bookmark) = 0;
  // Opens the folder's access scope where the system has one; false where it has none.
  virtual bool startAccessing(const std::string& path) = 0;
  virtual void stopAccessing(const std::string& path) = 0;
};

}  // namespace quillo::platform
