#include "quillo/platform/desktop/key_names.h"

#include <map>

namespace quillo::platform::desktop {

std::optional<std::string> keysymNameForMacKey(std::uint32_t keyCode) {
  static const std::map<std::uint32_t, std::string> names{
      {0, "a"},      {11, "b"},     {8, "c"},       {2, "d"},     {14, "e"},     {3, "f"},       {5, "g"},
      {4, "h"},      {34, "i"},     {38, "j"},      {40, "k"},    {37, "l"},     {46, "m"},      {45, "n"},
      {31, "o"},     {35, "p"},     {12, "q"},      {15, "r"},    {1, "s"},      {17, "t"},      {32, "u"},
      {9, "v"},      {13, "w"},     {7, "x"},       {16, "y"},    {6, "z"},      {29, "0"},      {18, "1"},
      {19, "2"},     {20, "3"},     {21, "4"},      {23, "5"},    {22, "6"},     {26, "7"},      {28, "8"},
      {25, "9"},     {49, "space"}, {36, "Return"}, {48, "Tab"},  {123, "Left"}, {124, "Right"}, {126, "Up"},
      {125, "Down"}, {122, "F1"},   {120, "F2"},    {99, "F3"},   {118, "F4"},   {96, "F5"},     {97, "F6"},
      {98, "F7"},    {100, "F8"},   {101, "F9"},    {109, "F10"}, {103, "F11"},  {111, "F12"}};
  const auto found = names.find(keyCode);
  if (found == names.end()) return std::nullopt;
  return found->second;
}

}  // namespace quillo::platform::desktop
