#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::platform::desktop {

// The one table between the clipboard's type identifiers ("public.utf8-plain-text") and the
// MIME types and X targets Linux programs offer. Types the table does not know pass through under
// their own names (the password-manager hints are read under the names their writers use).

// The targets to ask for a type, best first.
std::vector<std::string> targetsForType(std::string_view type);
// The type a target stands for; none for the X protocol's own targets (TARGETS, TIMESTAMP, …),
// which no program copies.
std::optional<std::string> typeForTarget(std::string_view target);
// The types an owner's target list offers, each once, in the owner's order.
std::vector<std::string> typesForTargets(const std::vector<std::string>& targets);

// File lists: a `text/uri-list` (RFC 2483: CRLF lines, "#" comments) or the file managers'
// copied-files list ("copy" or "cut", then one URI per line) to the URIs.
std::vector<std::string> urisOfList(std::string_view list);
std::string uriList(const std::vector<std::string>& uris);
std::string copiedFilesList(const std::vector<std::string>& uris);

}  // namespace quillo::platform::desktop
