#include "quillo/testing/fake_folder_picker.h"

#include <stdexcept>
#include <utility>

namespace quillo::testing {

void FakeFolderPicker::show(const Request& request, Done done) {
  if (done_) throw std::logic_error("a second folder panel was shown while one is open");
  request_ = request;
  done_ = std::move(done);
  ++shownCount_;
}

std::optional<std::string> FakeFolderPicker::choose(const std::vector<std::string>& paths) {
  if (!done_) throw std::logic_error("no folder panel is shown");
  for (const std::string& path : paths) {
    if (request_.validate) {
      if (auto refusal = request_.validate(path)) return refusal;
    }
  }
  std::exchange(done_, nullptr)(paths);
  return std::nullopt;
}

void FakeFolderPicker::cancel() {
  if (!done_) throw std::logic_error("no folder panel is shown");
  std::exchange(done_, nullptr)(std::nullopt);
}

}  // namespace quillo::testing
