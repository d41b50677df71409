#pragma once

#include <optional>
#include <string>
#include <vector>

#include "quillo/platform/folder_picker.h"

namespace quillo::testing {

// A folder panel that the test answers: it keeps the request and plays the user's part.
class FakeFolderPicker final : public platform::FolderPicker {
 public:
  void show(const Request& request, Done done) override;

  bool isShown() const { return done_ != nullptr; }
  int shownCount() const { return shownCount_; }
  const Request& lastRequest() const { return request_; }

  // Confirms `paths` as the user would: the panel's validator sees each first, and a refused
  // choice cannot be confirmed. Returns the refusal message, none when the choice went through.
  std::optional<std::string> choose(const std::vector<std::string>& paths);
  void cancel();

 private:
  Request request_;
  Done done_;
  int shownCount_ = 0;
};

}  // namespace quillo::testing
