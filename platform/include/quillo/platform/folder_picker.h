#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillo::platform {

// The system's panel for choosing folders. Folders can be chosen, files cannot, and no new
// folder can be created from it. Called on the main thread; the answer arrives there too.
class FolderPicker {
 public:
  // The refusal message for a folder that may not be chosen, none to accept it. The panel asks
  // before it lets a choice be confirmed.
  using Validator = std::function<std::optional<std::string>(const std::string& path)>;
  // The chosen folders' absolute paths, or none when the user cancelled.
  using Done = std::function<void(std::optional<std::vector<std::string>> paths)>;

  struct Request {
    std::string title;
    std::string prompt;   // the confirming button
    std::string message;  // shown above the folder list
    std::string startFolder;
    bool allowsMultipleSelection = true;
    Validator validate;
  };

  virtual ~FolderPicker() = default;

  // Shows the panel (over the key window when there is one) and returns at once.
  virtual void show(const Request& request, Done done) = 0;
};

}  // namespace quillo::platform
