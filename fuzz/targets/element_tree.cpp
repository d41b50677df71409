#include "quillo/platform/posix/element_tree.h"

#include "../fuzz_target.h"

// A saved accessibility tree (`quillo-cli menus --tree`): read, or refused with ElementTreeError.
QUILLO_FUZZ_TARGET(element_tree) {
  using namespace quillo::platform::posix;
  try {
    const ElementTree tree = ElementTree::parse(quillo::fuzz::text(data, size));
    for (ElementTree::NodeID node = 0; node < tree.size(); ++node)
      tree.read(node, "AXChildren");
  } catch (const ElementTreeError&) {
  }
  return 0;
}
