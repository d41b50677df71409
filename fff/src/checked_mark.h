#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace fff {

// Whether a saved index is known whole, since the machine started, as it stands now: written by
// this library or checked against its checksum. The mark is a small file beside the index naming
// the boot and the file (device, inode, size, modification and change times). Every write of
// the library replaces the file, and so its inode; a write torn by a crash can only show after
// a restart, in another boot, where no mark stands; and within a boot the page cache hands every
// reader what was written (a bit a disk flips under pages the cache let go of shows from the
// next boot, as the checksum is read then). What no mark can tell is a change written into the
// file in place within the tick of the clock that stamped it: a file is marked as checked only
// once its times are two seconds old (a second is the tick of some file systems), and one the
// library wrote, as it writes it.
class CheckedMark {
 public:
  CheckedMark(const std::string& indexPath, const struct stat& file);

  // The mark beside the file names this boot and the file as it is.
  bool stands() const;

  // Marks the file checked against its checksum at `now` (seconds since the epoch), unless it
  // changed too recently for a later change to show in its times.
  void recordChecked(std::int64_t now) const;
  // Marks the file as just written whole.
  void recordWritten() const;

  // Where the mark of the saved index at `indexPath` lies.
  static std::string markPath(const std::string& indexPath);

 private:
  // Best effort: a mark that cannot be written costs the next start a check. None is written
  // when the boot cannot be told.
  void write() const;

  std::string markPath_;
  std::string text_;  // empty when the boot cannot be told: nothing is marked then
  std::int64_t changed_ = 0;
};

// Seconds since the epoch, as file times count them.
std::int64_t secondsNow();

}  // namespace fff
