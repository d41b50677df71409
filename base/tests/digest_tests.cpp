#include <gtest/gtest.h>

#include "quillo/base/digest.h"

namespace quillo::base {
namespace {

TEST(Digest, Sha256HexOfKnownInputs) {
  EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(Digest, Base64PadsToWholeQuads) {
  EXPECT_EQ(base64Encoded(""), "");
  EXPECT_EQ(base64Encoded("f"), "Zg==");
  EXPECT_EQ(base64Encoded("fo"), "Zm8=");
  EXPECT_EQ(base64Encoded("foo"), "Zm9v");
  EXPECT_EQ(base64Encoded(std::string("\xff\xfe", 2)), "//4=");
}

TEST(Digest, HexBytesInEitherCaseOnly) {
  EXPECT_EQ(bytesOfHex("00ff0A"), (std::vector<std::uint8_t>{0x00, 0xff, 0x0a}));
  EXPECT_EQ(bytesOfHex(""), std::vector<std::uint8_t>{});
  for (const std::string_view bad : {"0", "0g", "+1", "-1", "0x", " 1"})
    EXPECT_EQ(bytesOfHex(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace quillo::base
