#include <gtest/gtest.h>

#include "quillo/core/capabilities/apple_event_call.h"

namespace quillo::core {
namespace {

using platform::AppleEvent;
using platform::AppleEventDescriptor;
using platform::fourCharCode;

const Capability::App kCallHost{"System", "com.apple.systemevents",
                                base::Url::file("/Hosts/System Events.app")};

AppleEventDescriptor propertySpecifier(std::string_view code, AppleEventDescriptor from) {
  return AppleEventDescriptor::record(
      fourCharCode("obj "), {{fourCharCode("want"), AppleEventDescriptor::typeCode(fourCharCode("prop"))},
                             {fourCharCode("form"), AppleEventDescriptor::enumerated(fourCharCode("prop"))},
                             {fourCharCode("seld"), AppleEventDescriptor::typeCode(fourCharCode(code))},
                             {fourCharCode("from"), std::move(from)}});
}

TEST(FourCharCode, BytesFirstMostSignificant) {
  EXPECT_EQ(fourCharCode("core"), 0x636F7265u);
  EXPECT_EQ(fourCharCode("----"), 0x2D2D2D2Du);
  EXPECT_EQ(platform::fourCharText(0x73657464u), "setd");
  EXPECT_THROW(fourCharCode("abc"), std::invalid_argument);
}

TEST(AppleEventCall, PropertySetCarriesTheSpecifierAndTheValue) {
  const AppleEventCall call{kCallHost, Capability::PropertyOperation{{"aprp", "thme"}},
                            AppleEventCall::Boolean{true}};
  const auto event = call.event(412);
  ASSERT_TRUE(event);
  EXPECT_EQ(event->eventClass, fourCharCode("core"));
  EXPECT_EQ(event->eventID, fourCharCode("setd"));
  EXPECT_EQ(event->targetProcess, 412);
  EXPECT_EQ(event->returnID, AppleEvent::kAutoGenerateReturnID);
  EXPECT_EQ(event->transactionID, AppleEvent::kAnyTransactionID);
  const auto expected = propertySpecifier("thme", propertySpecifier("aprp", AppleEventDescriptor::null()));
  ASSERT_NE(event->parameter(fourCharCode("----")), nullptr);
  EXPECT_EQ(*event->parameter(fourCharCode("----")), expected);
  EXPECT_EQ(*event->parameter(fourCharCode("data")), AppleEventDescriptor::boolean(true));

  // Without a value, or with a flip, there is nothing to set yet.
  EXPECT_EQ(call.with(AppleEventCall::Flipped{}).event(412), std::nullopt);
  const AppleEventCall empty{kCallHost, call.operation, std::nullopt};
  EXPECT_EQ(empty.event(412), std::nullopt);
}

TEST(AppleEventCall, GetReadsTheSameSpecifier) {
  const AppleEventCall call{kCallHost, Capability::PropertyOperation{{"aprp", "thme"}},
                            AppleEventCall::Flipped{}};
  const auto get = call.reading(7);
  ASSERT_TRUE(get);
  EXPECT_EQ(get->eventID, fourCharCode("getd"));
  EXPECT_EQ(get->parameters.size(), 1u);
  EXPECT_EQ(*get->parameter(fourCharCode("----")),
            propertySpecifier("thme", propertySpecifier("aprp", AppleEventDescriptor::null())));
  // An empty path addresses the application itself.
  const AppleEventCall application{kCallHost, Capability::PropertyOperation{{}}, std::nullopt};
  EXPECT_EQ(*application.reading(7)->parameter(fourCharCode("----")), AppleEventDescriptor::null());
  const AppleEventCall command{kCallHost, Capability::CommandOperation{"hostmute", std::nullopt},
                               std::nullopt};
  EXPECT_EQ(command.reading(7), std::nullopt);
}

TEST(AppleEventCall, CommandsSplitTheirCodeAndPassTheValueUnderTheKeyword) {
  const AppleEventCall restart{kCallHost, Capability::CommandOperation{"aevtrest", std::nullopt},
                               std::nullopt};
  const auto bare = restart.event(3);
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->eventClass, fourCharCode("aevt"));
  EXPECT_EQ(bare->eventID, fourCharCode("rest"));
  EXPECT_TRUE(bare->parameters.empty());

  const AppleEventCall volume{kCallHost, Capability::CommandOperation{"hostsvol", "----"},
                              AppleEventCall::Integer{-20}};
  const auto withValue = volume.event(3);
  ASSERT_TRUE(withValue);
  EXPECT_EQ(withValue->parameters.size(), 1u);
  EXPECT_EQ(withValue->parameter(fourCharCode("----"))->asInt32(), -20);

  const AppleEventCall accent{kCallHost, Capability::CommandOperation{"hostacnt", "tone"},
                              AppleEventCall::Enumerator{"grph"}};
  EXPECT_EQ(*accent.event(3)->parameter(fourCharCode("tone")),
            AppleEventDescriptor::enumerated(fourCharCode("grph")));
  // A value without a keyword is not sent.
  const AppleEventCall noKeyword{kCallHost, Capability::CommandOperation{"hostmute", std::nullopt},
                                 AppleEventCall::Boolean{true}};
  EXPECT_TRUE(noKeyword.event(3)->parameters.empty());
}

TEST(AppleEventCall, RepliesCarryBooleansAndErrors) {
  AppleEvent reply;
  EXPECT_EQ(AppleEventCall::boolean(reply), std::nullopt);
  EXPECT_EQ(AppleEventCall::failure(reply), std::nullopt);
  reply.setParameter(fourCharCode("----"), AppleEventDescriptor::boolean(true));
  EXPECT_EQ(AppleEventCall::boolean(reply), true);
  reply.setParameter(fourCharCode("----"), {fourCharCode("fals"), AppleEventDescriptor::Bytes{}});
  EXPECT_EQ(AppleEventCall::boolean(reply), false);
  reply.setParameter(fourCharCode("----"), {fourCharCode("true"), AppleEventDescriptor::Bytes{}});
  EXPECT_EQ(AppleEventCall::boolean(reply), true);
  reply.setParameter(fourCharCode("----"), AppleEventDescriptor::int32(1));
  EXPECT_EQ(AppleEventCall::boolean(reply), std::nullopt);

  reply.setParameter(fourCharCode("errn"), AppleEventDescriptor::int32(-10000));
  EXPECT_EQ(AppleEventCall::failure(reply), (AppleEventCall::ReplyError{-10000, ""}));
  reply.setParameter(fourCharCode("errs"), AppleEventDescriptor::text("Can't set that."));
  EXPECT_EQ(AppleEventCall::failure(reply), (AppleEventCall::ReplyError{-10000, "Can't set that."}));
}

}  // namespace
}  // namespace quillo::core
