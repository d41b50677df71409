#include "quillo/base/collator.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/stringpiece.h>

#include <stdexcept>

namespace quillo::base {

struct CaseInsensitiveCollator::Impl {
  std::unique_ptr<icu::Collator> collator;
};

CaseInsensitiveCollator::CaseInsensitiveCollator(const std::string& locale)
    : impl_(std::make_unique<Impl>()) {
  auto& collator_ = impl_->collator;
  // POSIX names carry an encoding and modifier ICU does not want ("de_DE.UTF-8@euro").
  const std::string name = locale.substr(0, locale.find_first_of(".@"));
  UErrorCode status = U_ZERO_ERROR;
  collator_.reset(icu::Collator::createInstance(icu::Locale::createCanonical(name.c_str()), status));
  if (U_FAILURE(status) || !collator_) {
    status = U_ZERO_ERROR;
    collator_.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
  }
  if (U_FAILURE(status) || !collator_) throw std::runtime_error("no collation is available");
  collator_->setStrength(icu::Collator::SECONDARY);
}

CaseInsensitiveCollator::~CaseInsensitiveCollator() = default;
CaseInsensitiveCollator::CaseInsensitiveCollator(CaseInsensitiveCollator&&) noexcept = default;
CaseInsensitiveCollator& CaseInsensitiveCollator::operator=(CaseInsensitiveCollator&&) noexcept = default;

int CaseInsensitiveCollator::compare(std::string_view a, std::string_view b) const {
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult result =
      impl_->collator->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                                   icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
  if (U_FAILURE(status)) return a.compare(b);
  return static_cast<int>(result);
}

}  // namespace quillo::base
