#include <algorithm>
#include <array>
#include <string>

#include "recognizers.h"

namespace quillo::clipboard::recognizers {
namespace {

// Parts of an address follow each other after a comma, spaces or a line break.
const std::u16string kGap = uR"((?:\s*,\s*|\s+))";

// US: 1600 Pennsylvania Avenue NW, Washington, DC 20500.
const std::u16string kUsStreet =
    uR"(\d{1,6}[A-Za-z]?\s+(?:(?i:north|south|east|west|[NSEW]\.?)\s+)?(?:[\p{L}\d][\p{L}\d'.-]*\s+){1,4}?)"
    uR"((?i:street|st|avenue|ave|road|rd|boulevard|blvd|lane|ln|drive|dr|court|ct|place|pl|way|terrace|ter|)"
    uR"(parkway|pkwy|highway|hwy|circle|cir|loop|square|sq|trail|trl)\.?)"
    uR"((?:\s+(?:NE|NW|SE|SW|N|S|E|W)\.?)?)";
const std::u16string kUsUnit =
    uR"((?:\s*,?\s*(?:(?i:apartment|apt|suite|ste|unit|floor|fl|room|rm)\.?\s*#?\s*|#\s*)[\p{L}\d-]+)?)";
const std::u16string kUsCity = uR"((\p{Lu}[\p{L}.'-]*(?:\s+\p{Lu}[\p{L}.'-]*){0,3}))";
const std::u16string kUs = kBefore + kUsStreet + kUsUnit + kGap + kUsCity + kGap + uR"((?<state>[A-Z]{2}))" +
                           uR"(\s+\d{5}(?:-\d{4})?)" + kAfter;

// Europe: Hauptstraße 5, 10115 Berlin; 12 Rue de Rivoli, 75001 Paris; Damstraat 3, 1012 AB Amsterdam.
const std::u16string kStreetWord = uR"([\p{L}][\p{L}.'-]*)";
// Streets whose name ends with one of these words or suffixes.
const std::u16string kEndingStreet =
    uR"((?:[\p{L}][\p{L}.'-]*\s+){0,3}?[\p{L}'-]*)"
    uR"((?i:straße|strasse|str\.|weg|gasse|platz|allee|ring|damm|ufer|chaussee|steig|pfad|markt|)"
    uR"(straat|laan|plein|gracht|kade|singel|dijk|gatan|vägen|gränd|gade|vej|gata|veien|vegen|gate|katu|tie))";
// Streets whose name starts with one of these words.
const std::u16string kLeadingWord =
    uR"((?i:rue|avenue|av\.|boulevard|bd\.?|place|chemin|allée|impasse|quai|cours|via|viale|piazza|corso|)"
    uR"(largo|calle|avenida|plaza|paseo|carrer|rua|praça|travessa|ulica|ul\.))";
const std::u16string kLeadingStreet = kLeadingWord + uR"((?:\s+[\p{L}][\p{L}.'-]*){1,4}?)";
const std::u16string kHouseNumber = uR"(\d{1,5}[a-zA-Z]?(?:\s?[-/]\s?\d{1,5}[a-zA-Z]?)?)";
const std::u16string kPostalCode = uR"((?:(?:[A-Z]{1,2}-)?\d{4,5}|\d{4}\s?[A-Z]{2}))";
const std::u16string kEuCity =
    uR"(\p{Lu}[\p{L}'-]*(?:(?:\s+|-)(?:\p{Lu}[\p{L}'-]*|am|an|der|de|la|le|sur|sous|upon|on))*)";
const std::u16string kCountry = uR"((?:\s*,\s*\p{Lu}\p{L}+)?)";
const std::u16string kEuTail = kGap + kPostalCode + uR"(\s+)" + kEuCity + kCountry + kAfter;
const std::u16string kEuNameFirst =
    kBefore + u"(?:" + kEndingStreet + u"|" + kLeadingStreet + uR"()\s+)" + kHouseNumber + kEuTail;
const std::u16string kEuNumberFirst =
    kBefore + kHouseNumber + uR"(,?\s+)" + u"(?:" + kLeadingStreet + u"|" + kEndingStreet + u")" + kEuTail;

constexpr std::array<std::u16string_view, 56> kStates{
    u"AL", u"AK", u"AZ", u"AR", u"CA", u"CO", u"CT", u"DE", u"FL", u"GA", u"HI", u"ID", u"IL", u"IN",
    u"IA", u"KS", u"KY", u"LA", u"ME", u"MD", u"MA", u"MI", u"MN", u"MS", u"MO", u"MT", u"NE", u"NV",
    u"NH", u"NJ", u"NM", u"NY", u"NC", u"ND", u"OH", u"OK", u"OR", u"PA", u"RI", u"SC", u"SD", u"TN",
    u"TX", u"UT", u"VT", u"VA", u"WA", u"WV", u"WI", u"WY", u"DC", u"PR", u"GU", u"VI", u"AS", u"MP"};

bool isState(const icu::UnicodeString& code) {
  return std::any_of(kStates.begin(), kStates.end(), [&](std::u16string_view state) {
    return code == icu::UnicodeString(state.data(), static_cast<int32_t>(state.size()));
  });
}

}  // namespace

std::vector<DetectedMatch> addresses(const icu::UnicodeString& text) {
  static const auto us = compile(kUs);
  static const auto euNameFirst = compile(kEuNameFirst);
  static const auto euNumberFirst = compile(kEuNumberFirst);
  std::vector<DetectedMatch> found;
  const auto add = [&](const icu::RegexMatcher& matcher) {
    UErrorCode status = U_ZERO_ERROR;
    const int32_t start = matcher.start(status);
    const int32_t end = matcher.end(status);
    found.push_back({.type = DetectedType::address,
                     .start = static_cast<std::size_t>(start),
                     .length = static_cast<std::size_t>(end - start)});
    return true;
  };
  forEachMatch(*us, text, [&](const icu::RegexMatcher& matcher) {
    UErrorCode status = U_ZERO_ERROR;
    const int32_t state = matcher.pattern().groupNumberFromName(icu::UnicodeString(u"state"), status);
    return U_SUCCESS(status) && isState(group(matcher, state)) && add(matcher);
  });
  forEachMatch(*euNameFirst, text, add);
  forEachMatch(*euNumberFirst, text, add);
  return found;
}

}  // namespace quillo::clipboard::recognizers
