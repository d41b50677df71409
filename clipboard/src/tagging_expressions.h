#pragma once

#include <string_view>

// The tagger's regular expressions (ICU syntax) and line markers.
namespace quillo::clipboard::expressions {

// The published prefixes of common access tokens and signed web tokens, then at least 16 token
// characters. Case-sensitive.
inline constexpr std::u16string_view kKeyFormat =
    u"^(gh[pousr]_|github_pat_|sk-|sk_(live|test)_|rk_(live|test)_|xox[abpr]-|AKIA|ASIA|AIza|eyJ)"
    u"[A-Za-z0-9_.=-]{16,}$";
// Case-insensitive.
inline constexpr std::u16string_view kEmail = u"^[A-Z0-9._%+-]+@[A-Z0-9.-]+\\.[A-Z]{2,}$";
// Case-insensitive.
inline constexpr std::u16string_view kColor =
    u"^#([0-9a-f]{3,4}|[0-9a-f]{6}|[0-9a-f]{8})$|^(rgba?|hsla?)\\([^)]*\\)$";
// Case-insensitive.
inline constexpr std::u16string_view kNumber = u"^[+-]?[0-9][0-9.,]*$";
// Case-insensitive.
inline constexpr std::u16string_view kPath = u"^~?/[^/\\s]";
// Case-sensitive, over the lower-cased page path and query.
inline constexpr std::u16string_view kKeysPage = u"token|api[-_]?keys?|secret|credential|password";
// Bold text or a link. Case-sensitive.
inline constexpr std::u16string_view kMarkdownInline = u"\\*\\*[^*]+\\*\\*|\\[[^\\]]+\\]\\([^)]+\\)";

inline constexpr std::string_view kCodePrefixes[] = {"func ",  "let ",    "var ",    "const ",   "def ",
                                                     "class ", "import ", "return ", "#include", "fn "};
inline constexpr std::string_view kMarkdownPrefixes[] = {"# ", "## ", "### ", "- ", "* ", "> ", "```", "1. "};

}  // namespace quillo::clipboard::expressions
