#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "index.h"

namespace fff {

struct ListingOptions {
  bool skipHidden = false;
};

struct Listing {
  std::vector<Listed> children;
  int error = 0;  // errno of opening the folder; 0 when it was read
  // The folder's modification time (ns), read before its children; 0 from listNames, where the
  // parent's listing read it (also before the children).
  std::int64_t stamp = 0;
};

// A modification time in nanoseconds, as folders are compared by it.
inline std::int64_t stampOf(const struct timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// The fixed part of the kernel's record of one child, as getdents64 fills the buffer; the
// NUL-terminated name follows the type byte.
struct LinuxDirent64 {
  ino64_t d_ino;
  off64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
};
inline constexpr std::size_t kNameOffset = offsetof(LinuxDirent64, d_type) + 1;

// Big blocks: one system call reads a few hundred children.
inline constexpr std::size_t kDirentBuffer = 32 * 1024;

bool isDotOrDotDot(const char* name);

// Reads one child of an open folder in full, without following a link or triggering an
// automount; false when it has vanished.
bool readInFull(int folder, const char* name, Listed& listed);
// Reads an open folder itself in full, as readInFull does a child; false when it cannot.
bool readOpenFolder(int fd, Listed& listed);

// Reads one folder's children with their kind, size and modification time, without following
// symbolic links. A child that vanishes between listing and reading is left out.
Listing listDirectory(const std::string& path, const ListingOptions& options);

// Reads one folder's children by name and kind alone, as the folder itself records them, in
// large blocks: only folders (whose device decides whether they are entered) and children of
// a kind the file system does not record are read in full; the others are not `detailed`.
Listing listNames(const std::string& path, const ListingOptions& options);

}  // namespace fff
