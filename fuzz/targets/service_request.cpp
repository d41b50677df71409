#include <nlohmann/json.hpp>

#include "../fuzz_target.h"
#include "quillo/service/operations.h"

// A request body that passed the service's checks (a signed client may still send anything):
// the first line is the operation's path, the rest its body. Every body is answered, 200 or
// 400, and nothing else escapes.
QUILLO_FUZZ_TARGET(service_request) {
  using namespace quillo::service;
  static const WordNet wordNet(WordNet::kDefaultFolder);
  static const RavoOperations operations(Vocabulary::builtIn(), &wordNet);
  const std::string_view input = quillo::fuzz::text(data, size);
  const std::size_t newline = input.find('\n');
  if (newline == std::string_view::npos) return 0;
  CheckedRequest request{.json = nlohmann::json::parse(input.substr(newline + 1), nullptr, false),
                         .credential = {},
                         .nonce = {}};
  if (request.json.is_discarded()) return 0;
  const std::optional<Reply> reply = operations.answer(std::string(input.substr(0, newline)), request);
  quillo::fuzz::require(!reply || reply->status == 200 || reply->status == 400, "an answer is 200 or 400");
  return 0;
}
