#include "quillo/core/service/backend_client.h"

#include <openssl/evp.h>

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "../json/json_fields.h"
#include "quillo/base/digest.h"
#include "quillo/base/uuid.h"
#include "quillo/core/files/file_command.h"
#include "quillo/core/files/file_format.h"

namespace quillo::core {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kCommandsPath = "/v1/rank/commands";
constexpr std::string_view kFileTypesPath = "/v1/files/types";
constexpr std::string_view kFilesPath = "/v1/rank/files";
constexpr std::string_view kWarmUpPath = "/v1/warmup";

std::int64_t systemMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string compact(const Json& json) {
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

Json scopeRecord(const RavoQuestions::Scope& scope, bool includeWebSearch) {
  return std::visit(
      [&](const auto& s) -> Json {
        using S = std::decay_t<decltype(s)>;
        if constexpr (std::is_same_v<S, RavoQuestions::scope::Menu>) {
          return {{"kind", "menu"}, {"app", s.app}};
        } else if constexpr (std::is_same_v<S, RavoQuestions::scope::Sections>) {
          return {{"kind", "sections"}, {"app", s.app}};
        } else if constexpr (std::is_same_v<S, RavoQuestions::scope::Pane>) {
          return {{"kind", "pane"}, {"name", s.name}};
        } else if constexpr (std::is_same_v<S, RavoQuestions::scope::Commands>) {
          return {{"kind", "commands"}, {"includeWebSearch", includeWebSearch}};
        } else {
          throw BackendError(std::string(BackendError::invalidRequest));
        }
      },
      scope);
}

Json fileRecord(const FileEntry& entry, const std::string& home) {
  return {{"name", fileName(entry.url)},
          {"folder", FileFormat::folder(entry.url, home)},
          {"kind", rawValue(entry.kind)}};
}

std::string errorCode(const std::string& body) {
  const Json json = Json::parse(body, nullptr, false);
  if (json.is_object()) {
    const auto error = json.find("error");
    if (error != json.end() && error->is_string()) return error->get<std::string>();
  }
  return std::string(BackendError::unavailable);
}

BackendAnswer decodedAnswer(const std::string& body) {
  const nlohmann::json json = nlohmann::json::parse(body, nullptr, false);
  if (json.is_discarded()) throw DecodingError("The service's answer is not JSON");
  return json::decode<BackendAnswer>(json, "the answer");
}

}  // namespace

// The OpenSSL key is made with the first signature, not with the client: making it starts
// OpenSSL's providers, whose tables and code stay resident (some 2 MB) in a program that may
// never ask the service. Every 32 bytes are an Ed25519 private key. Used under keyMutex_.
struct BackendClient::Key {
  SigningKeyBytes bytes{};
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pkey{nullptr, EVP_PKEY_free};

  std::string sign(std::string_view message) {
    if (!pkey)
      pkey.reset(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, bytes.data(), bytes.size()));
    if (!pkey) throw std::runtime_error("The request could not be signed.");
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    std::string signature(64, '\0');
    std::size_t length = signature.size();
    if (!context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, pkey.get()) != 1 ||
        EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &length,
                       reinterpret_cast<const unsigned char*>(message.data()), message.size()) != 1) {
      throw std::runtime_error("The request could not be signed.");
    }
    signature.resize(length);
    return signature;
  }
};

BackendClient::BackendClient(std::string_view baseUrl, const SigningKeyBytes& privateKey,
                             std::shared_ptr<CredentialSource> credentials,
                             std::shared_ptr<HttpTransport> http, Options options)
    : baseUrl_(baseUrl),
      key_(std::make_unique<Key>(Key{.bytes = privateKey})),
      credentials_(std::move(credentials)),
      http_(std::move(http)),
      options_(std::move(options)) {
  if (!isAcceptedBaseUrl(baseUrl)) throw BackendError(std::string(BackendError::notConfigured));
  if (!http_) throw std::invalid_argument("The service client needs an HTTP transport.");
  if (!credentials_) credentials_ = std::make_shared<FixedCredential>("");
  if (!options_.now) options_.now = systemMilliseconds;
}

BackendClient::~BackendClient() = default;

bool BackendClient::isAcceptedBaseUrl(std::string_view url) {
  constexpr std::string_view scheme = "https://";
  if (!url.starts_with(scheme)) return false;
  const std::string_view rest = url.substr(scheme.size());
  // Blanks and control characters make no URL; "?" and "#" start a query and a fragment.
  for (const char c : rest) {
    if (static_cast<unsigned char>(c) <= ' ' || c == '?' || c == '#' || c == 0x7F) return false;
  }
  const std::string_view authority = rest.substr(0, rest.find('/'));
  const std::string_view path = rest.substr(authority.size());
  // A user name or password comes before "@"; a host is needed before any port.
  if (authority.empty() || authority.front() == ':' || authority.find('@') != std::string_view::npos)
    return false;
  return path.empty() || path == "/";
}

std::optional<std::string> BackendClient::configuredBaseUrl(const std::optional<std::string>& bundleValue) {
  if (!bundleValue || bundleValue->empty() || bundleValue->find("$(") != std::string::npos)
    return std::nullopt;
  return bundleValue;
}

std::string BackendClient::credentialFor(std::stop_token stop) {
  std::string credential = credentials_->credential(stop);
  base::throwIfCancelled(stop);
  return credential;
}

BackendAnswer BackendClient::commands(std::string_view query, const RavoQuestions::Scope& scope,
                                      std::span<const Command> candidates, bool includeWebSearch,
                                      std::stop_token stop) {
  // Refused before the credential is even asked for: nothing leaves for a question it cannot take.
  Json scopeJson = scopeRecord(scope, includeWebSearch);
  const std::string credential = credentialFor(stop);
  Json list = Json::array();
  for (const Command& command : candidates) {
    list.push_back({{"kind", displayName(command.kind)}, {"title", command.title}, {"hint", command.hint}});
  }
  const Json body{{"query", query}, {"scope", std::move(scopeJson)}, {"candidates", std::move(list)}};
  return decodedAnswer(send(kCommandsPath, compact(body), credential, options_.commandsTimeout, stop));
}

BackendAnswer BackendClient::fileTypes(std::string_view query, std::stop_token stop) {
  const std::string credential = credentialFor(stop);
  const Json body{{"query", query}, {"includeFolders", true}};
  return decodedAnswer(send(kFileTypesPath, compact(body), credential, options_.fileTypesTimeout, stop));
}

BackendAnswer BackendClient::files(std::string_view query, std::span<const FileEntry> entries,
                                   bool classifyIntent, FileSearchInterpretation::RankingMode rankingMode,
                                   std::stop_token stop) {
  const std::string credential = credentialFor(stop);
  Json list = Json::array();
  for (const FileEntry& entry : entries)
    list.push_back(fileRecord(entry, options_.homeFolder));
  Json body{{"query", query}, {"files", std::move(list)}, {"classifyIntent", classifyIntent}};
  if (rankingMode == FileSearchInterpretation::RankingMode::compact)
    body["rankingMode"] = rawValue(rankingMode);
  return decodedAnswer(send(kFilesPath, compact(body), credential, options_.filesTimeout, stop));
}

void BackendClient::warmUp(std::stop_token stop) noexcept {
  try {
    const std::string credential = credentialFor(stop);
    if (credential.empty()) return;
    send(kWarmUpPath, "{}", credential, options_.warmUpTimeout, stop);
  } catch (...) {
    // Warming up is a courtesy to the service; a failure here changes nothing for the user.
  }
}

HttpRequest BackendClient::signedRequest(std::string_view path, const std::string& body,
                                         const std::string& credential, std::chrono::milliseconds timeout) {
  const std::string timestamp = std::to_string(options_.now());
  const std::string nonce = base::Uuid::random().text();
  const std::string toSign = "POST\n" + std::string(path) + "\n" + timestamp + "\n" + nonce + "\n" +
                             base::sha256Hex(body) + "\n" + base::sha256Hex(credential);
  std::string signature;
  {
    const std::lock_guard lock(keyMutex_);
    signature = key_->sign(toSign);
  }
  HttpRequest request;
  request.url =
      (baseUrl_.ends_with('/') ? baseUrl_.substr(0, baseUrl_.size() - 1) : baseUrl_) + std::string(path);
  request.body = body;
  request.timeout = timeout;
  request.headers.emplace_back("Content-Type", "application/json");
  if (!credential.empty()) request.headers.emplace_back("Authorization", "Bearer " + credential);
  request.headers.emplace_back("x-quillo-timestamp", timestamp);
  request.headers.emplace_back("x-quillo-nonce", nonce);
  request.headers.emplace_back("x-quillo-signature", base::base64Encoded(signature));
  return request;
}

std::string BackendClient::send(std::string_view path, const std::string& body, const std::string& credential,
                                std::chrono::milliseconds timeout, std::stop_token stop) {
  const HttpRequest request = signedRequest(path, body, credential, timeout);
  // The wait holds nothing of the client's: other calls sign and send meanwhile.
  HttpResponse response = http_->send(request, stop);
  if (response.status >= 200 && response.status <= 299) return std::move(response.body);
  throw BackendError(errorCode(response.body),
                     BackendError::retryAfterSeconds(response.header("Retry-After")));
}

}  // namespace quillo::core
