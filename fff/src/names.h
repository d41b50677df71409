#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "stored.h"
#include "text.h"

namespace fff {

struct SavedIndexAccess;

// Every distinct name in the index, stored once with its case-folded form and its letter mask.
// Real trees repeat names by the thousand (README.md, __init__.py, index.js; half the names of a
// system's root), so a search tests each distinct name once and then only looks up the verdict
// for each entry. A name is never dropped: when its last entry goes it keeps its id with counts
// of zero, so that ids held by entries always stay valid. Not synchronised: the owner guards it.
class NameTable {
 public:
  NameTable();

  // The 64 bytes from the start of any name on can always be read (ShortText reads them whole);
  // what lies past the name's end is unspecified.
  static constexpr std::size_t kReadable = 64;

  // The id of `name`, stored first if it is new. Throws std::length_error when full.
  std::uint32_t intern(std::string_view name);
  // The ids of `names`, in order, as intern gives them. The records the lookups will read are
  // fetched for the whole batch first (a folder's children at once), so that their cache misses
  // overlap instead of coming one after the other.
  void internAll(std::span<const std::string_view> names, std::vector<std::uint32_t>& ids);

  std::size_t size() const { return texts_.size(); }
  std::string_view text(std::uint32_t id) const {
    const Text& t = texts_[id];
    return {bytes_.data() + t.offset, t.length};
  }
  // The name case-folded; the name itself when folding changes nothing (every ASCII name).
  std::string_view folded(std::uint32_t id) const {
    const Text& t = texts_[id];
    return {bytes_.data() + t.foldOffset, t.foldLength};
  }
  // Hints that the name's record, then its text (folded when `folded`), or its counts will be
  // read soon.
  void prefetchRecord(std::uint32_t id) const { __builtin_prefetch(texts_.data() + id); }
  void prefetchCounts(std::uint32_t id) const { __builtin_prefetch(counts_.data() + id); }
  void prefetchText(std::uint32_t id, bool folded) const {
    const Text& t = texts_[id];
    __builtin_prefetch(bytes_.data() + (folded ? t.foldOffset : t.offset));
  }

  // One charMask per name, of the name and its folded form together, so that a query matched
  // against either form can only be contained when its bits are all there; with
  // kFolderNameBit while a live folder carries the name.
  std::span<const CharMask> masks() const { return masks_.span(); }

  // Per name, a key of its extension (the bytes after its last ".", ASCII letters lower-cased),
  // or 0 for a name without a ".": a glob whose names must end in ".pdf" looks at only the
  // names with the key of "pdf". Names of one key may still have other extensions.
  std::span<const std::uint32_t> extensions() const { return extensions_.span(); }
  static std::uint32_t extensionKey(std::string_view extension);

  // How many live entries carry the name, and how many of those are folders.
  std::uint32_t entries(std::uint32_t id) const { return counts_[id].entries; }
  std::uint32_t folders(std::uint32_t id) const { return counts_[id].folders; }
  void counted(std::uint32_t id, bool folder);
  void uncounted(std::uint32_t id, bool folder);

  // Room for this many names of this many bytes in all, ahead of interning them.
  void reserve(std::size_t names, std::size_t bytes);

  // Returns memory held for growth once a scan has finished.
  void shrink();

  // Copies every array out of where it lies (a saved index); true while none has been.
  void ownEverything();
  bool readInPlace() const;

 private:
  // The saved index writes and maps these arrays as they are.
  friend struct SavedIndexAccess;

  struct Text {
    std::uint32_t offset;
    std::uint32_t foldOffset;
    std::uint16_t length;
    std::uint16_t foldLength;
  };
  struct Counts {
    std::uint32_t entries = 0;
    std::uint32_t folders = 0;
  };

  std::uint32_t store(std::string_view bytes);
  std::size_t slotOf(std::string_view name) const;
  std::size_t slotOf(std::string_view name, std::size_t hash) const;
  std::uint32_t intern(std::string_view name, std::size_t hash);
  void grow();
  void rehash(std::size_t slots);
  void checkSlots();

  Stored<char> bytes_;  // every name and folded name, then kReadable bytes of slack
  Stored<Text> texts_;
  Stored<CharMask> masks_;
  Stored<std::uint32_t> extensions_;
  Stored<Counts> counts_;
  // Open addressing with linear probing: name ids, kEmpty where free; a power of two long.
  Stored<std::uint32_t> slots_;
  // False while the slots read from a saved index are unchecked: only adding a name reads them,
  // and a search of an index that nothing changed adds none, so they are checked then.
  bool slotsChecked_ = true;
};

}  // namespace fff
