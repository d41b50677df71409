#include "quillo/core/commands/app_launch.h"

namespace quillo::core {
namespace {

// Percent-decodes a fragment; none when an escape is broken.
std::optional<std::string> decoded(std::string_view text) {
  const auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string result;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '%') {
      result += text[at];
      continue;
    }
    if (at + 2 >= text.size() || hex(text[at + 1]) < 0 || hex(text[at + 2]) < 0) return std::nullopt;
    result += static_cast<char>(hex(text[at + 1]) * 16 + hex(text[at + 2]));
    at += 2;
  }
  return result;
}

}  // namespace

target::App appTarget(std::string_view path, std::optional<std::string_view> action) {
  base::Url url = base::Url::file(path);
  if (action) url.text += "#" + base::percentEncoded(*action);
  return target::App{std::move(url)};
}

std::optional<AppLaunch> appLaunch(const target::App& app) {
  auto path = app.bundle.filePath();
  if (!path) return std::nullopt;
  AppLaunch launch{std::move(*path), std::nullopt};
  const auto hash = app.bundle.text.find('#');
  if (hash != std::string::npos) {
    auto action = decoded(std::string_view(app.bundle.text).substr(hash + 1));
    if (!action || action->empty()) return std::nullopt;
    launch.action = std::move(*action);
  }
  return launch;
}

}  // namespace quillo::core
