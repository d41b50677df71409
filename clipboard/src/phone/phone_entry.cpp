#include <phonenumbers/phonenumbermatch.h>
#include <phonenumbers/phonenumbermatcher.h>
#include <phonenumbers/phonenumberutil.h>

#include "../phone_library.h"

namespace quillo::clipboard::phone {
namespace {

class LoadedLibrary final : public Library {
 public:
  std::vector<Found> find(const std::string& text, const std::string& region) const override {
    using i18n::phonenumbers::PhoneNumberMatch;
    using i18n::phonenumbers::PhoneNumberMatcher;
    using i18n::phonenumbers::PhoneNumberUtil;
    PhoneNumberMatcher matcher(*PhoneNumberUtil::GetInstance(), text, region, PhoneNumberMatcher::VALID,
                               /*max_tries=*/64);
    std::vector<Found> found;
    PhoneNumberMatch match;
    while (matcher.HasNext() && matcher.Next(&match)) {
      const auto start = static_cast<std::size_t>(match.start());
      const auto length = static_cast<std::size_t>(match.length());
      if (start + length > text.size()) break;
      found.push_back({.start = start, .length = length});
    }
    return found;
  }
};

}  // namespace
}  // namespace quillo::clipboard::phone

extern "C" const quillo::clipboard::phone::Library* quillo_phone_entry(int abiVersion) noexcept {
  using namespace quillo::clipboard::phone;
  if (abiVersion != kAbiVersion) return nullptr;
  static const LoadedLibrary library;
  return &library;
}
