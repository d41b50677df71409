#include "headless_workspace.h"

#include <filesystem>
#include <system_error>

namespace quillo::cli {
void HeadlessWorkspace::refuse(const std::string& what) {
  ++refusals_;
  throw platform::WorkspaceError("quillo-cli cannot open " + what + ": this build has no desktop library");
}

std::string HeadlessWorkspace::resolvedPath(const std::string& path) {
  std::error_code error;
  const auto resolved = std::filesystem::canonical(path, error);
  return error ? path : resolved.string();
}

platform::ProcessID HeadlessWorkspace::openInBackground(const std::string& path) {
  refuse(path);
}
void HeadlessWorkspace::openApplication(const std::string& application) {
  refuse(application);
}
void HeadlessWorkspace::openURL(const std::string& url) {
  refuse(url);
}
void HeadlessWorkspace::openFile(const std::string& path) {
  refuse(path);
}
void HeadlessWorkspace::revealFile(const std::string& path) {
  refuse(path);
}

}  // namespace quillo::cli
