#include "quillo/clipboard/clipboard_text_cleaner.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>
#include <fmt/format.h>

#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include "quillo/base/unicode.h"

namespace quillo::clipboard {
namespace {

struct ParserFree {
  void operator()(cmark_parser* parser) const noexcept { cmark_parser_free(parser); }
};
struct NodeFree {
  void operator()(cmark_node* node) const noexcept { cmark_node_free(node); }
};
using Parser = std::unique_ptr<cmark_parser, ParserFree>;
using Node = std::unique_ptr<cmark_node, NodeFree>;

constexpr std::array<const char*, 4> kExtensions{"table", "strikethrough", "tasklist", "autolink"};

Node parse(std::string_view text) {
  static std::once_flag registered;
  std::call_once(registered, cmark_gfm_core_extensions_ensure_registered);
  const Parser parser(cmark_parser_new(CMARK_OPT_DEFAULT));
  for (const char* name : kExtensions) {
    if (cmark_syntax_extension* extension = cmark_find_syntax_extension(name))
      cmark_parser_attach_syntax_extension(parser.get(), extension);
  }
  cmark_parser_feed(parser.get(), text.data(), text.size());
  return Node(cmark_parser_finish(parser.get()));
}

std::string_view literal(cmark_node* node) {
  const char* text = cmark_node_get_literal(node);
  return text ? std::string_view(text) : std::string_view();
}

std::string_view url(cmark_node* node) {
  const char* text = cmark_node_get_url(node);
  return text ? std::string_view(text) : std::string_view();
}

std::string render(cmark_node* node);

std::vector<std::string> renderedChildren(cmark_node* node) {
  std::vector<std::string> children;
  for (cmark_node* child = cmark_node_first_child(node); child; child = cmark_node_next(child)) {
    // A thematic break only separates blocks, which the blank line between them already does.
    if (cmark_node_get_type(child) == CMARK_NODE_THEMATIC_BREAK) continue;
    children.push_back(render(child));
  }
  return children;
}

// A bare address or e-mail address that the autolinker made a link of: it reads as written.
bool isAutolinked(std::string_view text, std::string_view destination) {
  for (const std::string_view scheme : {"http://", "mailto:"}) {
    if (destination.size() == scheme.size() + text.size() && destination.starts_with(scheme) &&
        destination.ends_with(text))
      return true;
  }
  return false;
}

// The text of a link or image with its address: "text (address)", the address alone when there
// is no text, the text alone when there is no address or it is the text itself.
std::string withDestination(std::string text, std::string_view destination) {
  if (destination.empty() || destination == text || isAutolinked(text, destination)) return text;
  if (text.empty()) return std::string(destination);
  return text + " (" + std::string(destination) + ")";
}

std::string render(cmark_node* node) {
  switch (cmark_node_get_type(node)) {
    case CMARK_NODE_TEXT:
    case CMARK_NODE_CODE:
    case CMARK_NODE_HTML_INLINE:
      return std::string(literal(node));
    case CMARK_NODE_CODE_BLOCK: {
      // The literal ends with its last line's line feed; the block adds exactly one.
      std::string_view code = literal(node);
      if (code.ends_with('\n')) code.remove_suffix(1);
      return std::string(code) + "\n";
    }
    case CMARK_NODE_HTML_BLOCK: {
      std::string_view html = literal(node);
      while (html.ends_with('\n'))
        html.remove_suffix(1);
      return std::string(html);
    }
    case CMARK_NODE_SOFTBREAK:
    case CMARK_NODE_LINEBREAK:
      return "\n";
    case CMARK_NODE_LINK:
    case CMARK_NODE_IMAGE:
      return withDestination(fmt::format("{}", fmt::join(renderedChildren(node), "")), url(node));
    case CMARK_NODE_DOCUMENT:
    case CMARK_NODE_BLOCK_QUOTE:
      return fmt::format("{}", fmt::join(renderedChildren(node), "\n\n"));
    case CMARK_NODE_LIST:
    case CMARK_NODE_ITEM:
      return fmt::format("{}", fmt::join(renderedChildren(node), "\n"));
    default:
      break;
  }
  const std::string_view type = cmark_node_get_type_string(node);
  if (type == "table" || type == "table_header" || type == "table_row") {
    // Every row and every cell of a row on a line of its own.
    return fmt::format("{}", fmt::join(renderedChildren(node), "\n"));
  }
  return fmt::format("{}", fmt::join(renderedChildren(node), ""));
}

}  // namespace

std::string ClipboardTextCleaner::clean(std::string_view text) {
  const Node document = parse(text);
  if (!document) return std::string(base::trimmedWhiteSpace(text));
  return std::string(base::trimmedWhiteSpace(render(document.get())));
}

}  // namespace quillo::clipboard
