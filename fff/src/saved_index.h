#pragma once

#include <sys/types.h>

#include <cstdint>
#include <span>
#include <string>

#include "index.h"

namespace fff {

// What a saved index must match to be used: the same tree, read with the same options.
struct SavedIndexKey {
  std::string root;
  dev_t device = 0;
  ino_t inode = 0;
  bool skipHidden = false;
  bool crossFileSystems = false;
};

// Writes the index's live entries and its folders' stamps to `path`, atomically (a temporary
// file renamed over it): `stamps`, by directory slot, when given, else the index's own. Returns
// false when it could not be written.
bool saveIndex(const Index& index, const SavedIndexKey& key, const std::string& path,
               std::span<const std::int64_t> stamps = {});

// Reads `out` (a fresh index) from `path`, where it lies: the index keeps the file mapped and
// reads its arrays in place until a change copies the one it changes. Returns false, leaving
// `out` to be discarded, when the file is missing, was written by another format or for another
// key, or is damaged: its checksum is read unless the file is known whole in this boot (see
// CheckedMark), and every id in it is checked before it is used, as a saved index is a cache,
// never trusted. Loaded entries are not `detailed`: their saved sizes and times
// stand until they are read again.
bool loadIndex(const std::string& path, const SavedIndexKey& key, Index& out);

}  // namespace fff
