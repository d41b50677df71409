#include "quillo/service/request_check.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstdlib>

#include "quillo/base/digest.h"
#include "quillo/base/unicode.h"
#include "quillo/base/uuid.h"

namespace quillo::service {
namespace {

// Only the shape of the standard alphabet with padding; anything else is no signature.
std::optional<std::string> base64Decoded(std::string_view text) {
  if (text.empty() || text.size() % 4 != 0 || text.size() > 1024) return std::nullopt;
  std::string bytes(text.size() / 4 * 3, '\0');
  const int length =
      EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                      reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  if (length < 0) return std::nullopt;
  std::size_t padding = 0;
  while (padding < 2 && text[text.size() - 1 - padding] == '=')
    ++padding;
  bytes.resize(static_cast<std::size_t>(length) - padding);
  return bytes;
}

Refusal unauthorized(std::string reason) {
  return {.status = 401, .code = "unauthorized", .reason = std::move(reason)};
}

}  // namespace

std::optional<std::string> IncomingRequest::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (base::equalsIgnoringAsciiCase(key, name)) return value;
  }
  return std::nullopt;
}

RequestChecker::RequestChecker(ClientKeys keys, std::vector<std::string> credentials, NonceStore& nonces,
                               Options options)
    : keys_(std::move(keys)),
      credentials_(std::move(credentials)),
      nonces_(nonces),
      options_(std::move(options)) {}

std::int64_t RequestChecker::nowMilliseconds() const {
  if (options_.now) return options_.now();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::optional<Refusal> RequestChecker::refusalBeforeNonce(const IncomingRequest& request,
                                                          CheckedRequest& checked) const {
  const auto header = [&](std::string_view name) { return request.header(name).value_or(""); };
  if (header("Content-Type") != "application/json")
    return Refusal{.status = 415, .code = "invalid_request", .reason = "content type is not JSON"};
  const std::string timestamp = header("x-quillo-timestamp");
  // Thirteen digits until the year 2286; a longer run is no timestamp and would overflow.
  if (timestamp.empty() || timestamp.size() > 15 ||
      timestamp.find_first_not_of("0123456789") != std::string::npos)
    return unauthorized("bad timestamp");
  if (std::llabs(nowMilliseconds() - std::stoll(timestamp)) > options_.allowedSkew.count())
    return Refusal{.status = 401, .code = "stale_request", .reason = "stale timestamp"};
  checked.nonce = header("x-quillo-nonce");
  const auto uuid = base::Uuid::parse(checked.nonce);
  if (!uuid || uuid->text() != checked.nonce) return unauthorized("nonce is not an upper-case UUID");
  if (const auto authorization = request.header("Authorization")) {
    if (!authorization->starts_with("Bearer ") || authorization->size() == 7)
      return unauthorized("malformed authorization");
    checked.credential = authorization->substr(7);
  }
  const bool credentialAccepted = credentials_.empty() ? checked.credential.empty()
                                                       : std::find(credentials_.begin(), credentials_.end(),
                                                                   checked.credential) != credentials_.end();
  if (!credentialAccepted) return unauthorized("wrong credential");
  const std::string toSign = "POST\n" + request.path + "\n" + timestamp + "\n" + checked.nonce + "\n" +
                             base::sha256Hex(request.body) + "\n" + base::sha256Hex(checked.credential);
  const std::optional<std::string> signature = base64Decoded(header("x-quillo-signature"));
  if (!signature || !keys_.verifies(toSign, *signature)) return unauthorized("bad signature");
  checked.json = nlohmann::json::parse(request.body, nullptr, false);
  if (checked.json.is_discarded() || !checked.json.is_object())
    return Refusal{.status = 400, .code = "invalid_request", .reason = "body is not JSON"};
  return std::nullopt;
}

std::variant<CheckedRequest, Refusal> RequestChecker::check(const IncomingRequest& request) const {
  CheckedRequest checked;
  if (auto refusal = refusalBeforeNonce(request, checked)) return std::move(*refusal);
  const std::int64_t now = nowMilliseconds();
  // A nonce is kept as long as its timestamp could still pass, measured from either clock.
  const std::int64_t expiry = now + 2 * options_.allowedSkew.count();
  try {
    if (!nonces_.remember(checked.nonce, now, expiry))
      return Refusal{.status = 409, .code = "replayed", .reason = "nonce seen before"};
  } catch (const NonceStoreError& error) {
    return Refusal{.status = 503, .code = "unavailable", .reason = error.what()};
  }
  return checked;
}

}  // namespace quillo::service
