#include "quillo/base/url.h"

#include <curl/curl.h>

#include <memory>
#include <stdexcept>

namespace quillo::base {
namespace {

struct UrlHandleDeleter {
  void operator()(CURLU* handle) const noexcept { curl_url_cleanup(handle); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlHandleDeleter>;

struct CurlStringDeleter {
  void operator()(char* text) const noexcept { curl_free(text); }
};
using CurlString = std::unique_ptr<char, CurlStringDeleter>;

UrlHandle newHandle() {
  UrlHandle handle(curl_url());
  if (!handle) throw std::bad_alloc();
  return handle;
}

}  // namespace

Url Url::file(std::string_view path) {
  UrlHandle handle = newHandle();
  const std::string pathText(path);
  if (curl_url_set(handle.get(), CURLUPART_URL, "file:///", 0) != CURLUE_OK ||
      curl_url_set(handle.get(), CURLUPART_PATH, pathText.c_str(), CURLU_URLENCODE) != CURLUE_OK) {
    throw std::invalid_argument("not a file path: " + pathText);
  }
  char* text = nullptr;
  if (curl_url_get(handle.get(), CURLUPART_URL, &text, 0) != CURLUE_OK) {
    throw std::invalid_argument("not a file path: " + pathText);
  }
  return Url{CurlString(text).get()};
}

std::optional<std::string> Url::filePath() const {
  UrlHandle handle = newHandle();
  if (curl_url_set(handle.get(), CURLUPART_URL, text.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
    return std::nullopt;
  }
  char* scheme = nullptr;
  if (curl_url_get(handle.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) return std::nullopt;
  if (std::string_view(CurlString(scheme).get()) != "file") return std::nullopt;
  char* path = nullptr;
  if (curl_url_get(handle.get(), CURLUPART_PATH, &path, CURLU_URLDECODE) != CURLUE_OK) return std::nullopt;
  return std::string(CurlString(path).get());
}

}  // namespace quillo::base
