#include "quillo/net/curl_transport.h"

#include <curl/curl.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace quillo::net {
namespace {

using base::TransportError;

// How long one wait for the connection may sleep before curl gets to run its own timers.
constexpr int kPollMilliseconds = 1000;

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Multi handles kept between requests: each holds its connections and the parsed certificate
// store, so a later request skips loading the system's certificates and, to the same service,
// the TLS handshake. One request uses a handle at a time.
class MultiPool {
 public:
  std::unique_ptr<CURLM, MultiDeleter> take() {
    {
      const std::lock_guard lock(mutex_);
      if (!idle_.empty()) {
        auto multi = std::move(idle_.back());
        idle_.pop_back();
        return multi;
      }
    }
    return std::unique_ptr<CURLM, MultiDeleter>(curl_multi_init());
  }
  void giveBack(std::unique_ptr<CURLM, MultiDeleter> multi) {
    const std::lock_guard lock(mutex_);
    idle_.push_back(std::move(multi));
  }

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<CURLM, MultiDeleter>> idle_;
};

// The easy handle registered with a pooled multi handle for one request; removed before the
// multi handle goes back.
class Exchange {
 public:
  explicit Exchange(MultiPool& pool) : pool_(pool), easy_(curl_easy_init()), multi_(pool.take()) {
    if (!easy_ || !multi_)
      throw TransportError(TransportError::Kind::other, "The network request could not start.");
  }
  ~Exchange() {
    if (added_) curl_multi_remove_handle(multi_.get(), easy_.get());
    if (multi_) pool_.giveBack(std::move(multi_));
  }
  Exchange(const Exchange&) = delete;
  Exchange& operator=(const Exchange&) = delete;

  CURL* easy() const { return easy_.get(); }
  CURLM* multi() const { return multi_.get(); }
  void start() {
    curl_multi_add_handle(multi_.get(), easy_.get());
    added_ = true;
  }

 private:
  MultiPool& pool_;
  std::unique_ptr<CURL, EasyDeleter> easy_;
  std::unique_ptr<CURLM, MultiDeleter> multi_;
  bool added_ = false;
};

// The answer body, refused past its limit.
struct BodySink {
  std::string& body;
  std::size_t limit;
  bool tooLarge = false;
};

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& sink = *static_cast<BodySink*>(user);
  if (size * count > sink.limit - sink.body.size()) {
    sink.tooLarge = true;
    return 0;  // curl ends the transfer with a write error
  }
  sink.body.append(data, size * count);
  return size * count;
}

std::string megabytes(std::size_t bytes) {
  return bytes % (1 << 20) == 0 ? std::to_string(bytes >> 20) + " MB" : std::to_string(bytes) + " bytes";
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Header lines of the last answer: an interim answer ("100 Continue") starts a new block.
std::size_t appendHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto& headers = *static_cast<core::HttpHeaders*>(user);
  const std::string_view line(data, size * count);
  if (line.starts_with("HTTP/")) {
    headers.clear();
  } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
    headers.emplace_back(std::string(trimmed(line.substr(0, colon))),
                         std::string(trimmed(line.substr(colon + 1))));
  }
  return size * count;
}

// Adds the extra certificates to the store that already holds the system's.
CURLcode trustExtraCertificates(CURL*, void* sslContext, void* user) {
  const auto& pem = *static_cast<const std::string*>(user);
  X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())),
                                                BIO_free);
  while (X509* certificate = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)) {
    X509_STORE_add_cert(store, certificate);
    X509_free(certificate);
  }
  ERR_clear_error();  // the end of the file reads as an error
  return CURLE_OK;
}

std::size_t certificateCount(const std::string& pem) {
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())),
                                                BIO_free);
  std::size_t count = 0;
  while (X509* certificate = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)) {
    X509_free(certificate);
    ++count;
  }
  ERR_clear_error();
  return count;
}

TransportError failure(CURLcode code, const char* detail) {
  const std::string reason = detail[0] != '\0' ? detail : curl_easy_strerror(code);
  switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
      return {TransportError::Kind::timedOut, "The request timed out."};
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
      return {TransportError::Kind::cannotConnect, "Could not connect to the server (" + reason + ")."};
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
      return {TransportError::Kind::insecure,
              "A secure connection to the server could not be made (" + reason + ")."};
    default:
      return {TransportError::Kind::other, "The network request failed (" + reason + ")."};
  }
}

class CurlTransport final : public core::HttpTransport {
 public:
  CurlTransport(std::string extraCertificates, std::size_t maxBodyBytes)
      : extraCertificates_(std::move(extraCertificates)), maxBodyBytes_(maxBodyBytes) {}

  core::HttpResponse send(const core::HttpRequest& request, std::stop_token stop) override {
    base::throwIfCancelled(stop);
    Exchange exchange(pool_);
    core::HttpResponse response;
    std::unique_ptr<curl_slist, ListDeleter> headers;
    // Without this curl waits for a "100 Continue" before sending larger bodies.
    headers.reset(curl_slist_append(headers.release(), "Expect:"));
    for (const auto& [name, value] : request.headers) {
      headers.reset(curl_slist_append(headers.release(), (name + ": " + value).c_str()));
    }
    char error[CURL_ERROR_SIZE] = {};
    CURL* easy = exchange.easy();
    curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeout.count()));
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    if (request.method == "POST" || !request.body.empty()) {
      curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
      curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendBody);
    BodySink body{response.body, maxBodyBytes_};
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, appendHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &response.headers);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, error);
    if (!extraCertificates_.empty()) {
      curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, trustExtraCertificates);
      curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, &extraCertificates_);
    }
    exchange.start();

    // A stop request wakes the wait below at once instead of after the server's answer.
    const std::stop_callback wake(stop, [&exchange] { curl_multi_wakeup(exchange.multi()); });
    for (int running = 1; running > 0;) {
      if (curl_multi_perform(exchange.multi(), &running) != CURLM_OK) {
        throw TransportError(TransportError::Kind::other, "The network request failed.");
      }
      base::throwIfCancelled(stop);
      if (running > 0) curl_multi_poll(exchange.multi(), nullptr, 0, kPollMilliseconds, nullptr);
      base::throwIfCancelled(stop);
    }
    int queued = 0;
    const CURLMsg* message = curl_multi_info_read(exchange.multi(), &queued);
    const CURLcode result = message != nullptr ? message->data.result : CURLE_RECV_ERROR;
    if (body.tooLarge) {
      throw TransportError(TransportError::Kind::other,
                           "The server's answer was larger than " + megabytes(maxBodyBytes_) + ".");
    }
    if (result != CURLE_OK) throw failure(result, error);
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    response.status = static_cast<int>(status);
    return response;
  }

 private:
  std::string extraCertificates_;
  std::size_t maxBodyBytes_;
  // Declared last: destroyed first, before anything a pooled connection could refer to.
  MultiPool pool_;
};

// Far more than any bundle of certificates; reading stops just past it.
constexpr std::size_t kMaxCertificateFileBytes = std::size_t{4} << 20;

std::string fileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string text(kMaxCertificateFileBytes + 1, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (file.bad() || (!file && !file.eof()) || !file.is_open())
    throw TransportError(TransportError::Kind::insecure,
                         "The certificate file " + path + " could not be read.");
  text.resize(static_cast<std::size_t>(file.gcount()));
  if (text.size() > kMaxCertificateFileBytes)
    throw TransportError(TransportError::Kind::insecure,
                         "The certificate file " + path + " is larger than 4 MB.");
  return text;
}

}  // namespace

std::unique_ptr<core::HttpTransport> makeCurlTransport(const TransportOptions& options) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  std::string extra;
  if (options.extraCaFile) {
    extra = fileText(*options.extraCaFile);
    if (certificateCount(extra) == 0) {
      throw TransportError(TransportError::Kind::insecure,
                           "The certificate file " + *options.extraCaFile + " holds no PEM certificate.");
    }
  }
  return std::make_unique<CurlTransport>(std::move(extra), options.maxBodyBytes);
}

}  // namespace quillo::net
