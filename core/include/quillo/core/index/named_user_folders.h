#pragma once

#include <filesystem>
#include <optional>

namespace quillo::core {

// The user's Desktop, Documents and Downloads folders as the XDG user-dirs file names them; none
// where it names none.
struct NamedUserFolders {
  std::optional<std::filesystem::path> desktop{};
  std::optional<std::filesystem::path> documents{};
  std::optional<std::filesystem::path> downloads{};
};

}  // namespace quillo::core
