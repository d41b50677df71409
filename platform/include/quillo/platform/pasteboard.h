#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::platform {

// The bytes of one type of one pasteboard item, as far as a capped read got.
struct PasteboardRead {
  enum class Outcome : std::uint8_t {
    data,       // `bytes` holds the whole representation
    absent,     // the item does not offer the type, or the owner did not answer
    overLimit,  // the representation is larger than the cap; the transfer was abandoned
  };
  Outcome outcome = Outcome::absent;
  std::vector<std::uint8_t> bytes{};

  bool operator==(const PasteboardRead&) const = default;
};

// One item to put on the pasteboard: its representations under their type identifiers.
struct PasteboardItem {
  struct Representation {
    std::string type{};
    std::vector<std::uint8_t> data{};
    bool operator==(const Representation&) const = default;
  };
  std::vector<Representation> representations{};

  bool operator==(const PasteboardItem&) const = default;
};

// The system's general pasteboard, in uniform type identifiers ("public.utf8-plain-text",
// "public.png", "public.file-url"); an implementation maps them to its own (MIME types on Linux,
// where a file list of N files is N items). Listing types reads no data, so a copy can be judged
// by its types before any of its bytes move, and every read is capped so that a size limit holds
// during the transfer. Used on the main thread only.
class Pasteboard {
 public:
  virtual ~Pasteboard() = default;

  // A number that changes whenever the content changes, ours included. Cheap: an idle poll
  // reads only this.
  virtual std::int64_t changeCount() = 0;
  // The types each current item offers, in the owner's order; no data is read.
  virtual std::vector<std::vector<std::string>> itemTypes() = 0;
  // The data of one type of one item, read until `limit` bytes; more than that is overLimit.
  virtual PasteboardRead read(std::size_t item, std::string_view type, std::size_t limit) = 0;
  // Replaces the content with these items.
  virtual void write(const std::vector<PasteboardItem>& items) = 0;
  virtual void clear() = 0;
};

}  // namespace quillo::platform
