#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quillo::app {

// Remembers the texts of concealed copies for a while, as keyed hashes only, so that the same
// text published again without its marker (some desktops do, after a password manager clears
// its copy) is recognised and skipped. The key is random and made at creation, so a short
// password cannot be found from its hash by trying them all. Main thread only.
class ConcealedCopies {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  explicit ConcealedCopies(std::chrono::minutes lifetime = std::chrono::minutes(10));

  void remember(std::string_view text, TimePoint now);
  // Whether the text was remembered less than the lifetime ago.
  bool contains(std::string_view text, TimePoint now);

 private:
  using Digest = std::array<std::uint8_t, 32>;
  struct Remembered {
    Digest digest;
    TimePoint until;
  };

  Digest digest(std::string_view text) const;
  void forgetExpired(TimePoint now);

  std::chrono::minutes lifetime_;
  std::array<std::uint8_t, 32> key_{};
  std::vector<Remembered> remembered_;
};

}  // namespace quillo::app
