#include "quillo/core/system/bundle_info.h"

#include <plist/plist.h>

#include <limits>

namespace quillo::core {
namespace {

// Information dictionaries are a few kilobytes; anything this large is not one.
constexpr std::size_t kLargestInfo = 4 * 1024 * 1024;

}  // namespace

// Owns the parsed property list.
struct BundleInfo::Node {
  plist_t plist;
  explicit Node(plist_t p) : plist(p) {}
  ~Node() { plist_free(plist); }
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;
};

BundleInfo::BundleInfo(std::shared_ptr<Node> root) : root_(std::move(root)) {}

std::optional<BundleInfo> BundleInfo::read(const platform::FileSystem& files,
                                           const std::filesystem::path& bundle) {
  std::optional<std::string> data;
  try {
    data = files.readFile(bundle / "Contents" / "Info.plist", kLargestInfo);
  } catch (const platform::FileSystemError&) {
    return std::nullopt;
  }
  if (!data) return std::nullopt;
  return parse(*data);
}

std::optional<BundleInfo> BundleInfo::parse(std::string_view data) {
  if (data.empty() || data.size() > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  plist_t plist = nullptr;
  plist_from_memory(data.data(), static_cast<uint32_t>(data.size()), &plist);
  if (plist == nullptr) return std::nullopt;
  auto root = std::make_shared<Node>(plist);
  if (plist_get_node_type(plist) != PLIST_DICT) return std::nullopt;
  return BundleInfo(std::move(root));
}

std::optional<std::string> BundleInfo::string(std::string_view key) const {
  const std::string name(key);
  plist_t item = plist_dict_get_item(root_->plist, name.c_str());
  if (item == nullptr || plist_get_node_type(item) != PLIST_STRING) return std::nullopt;
  uint64_t length = 0;
  const char* text = plist_get_string_ptr(item, &length);
  if (text == nullptr) return std::nullopt;
  return std::string(text, static_cast<std::size_t>(length));
}

}  // namespace quillo::core
