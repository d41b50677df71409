#include <gtest/gtest.h>

#include "quillo/core/capabilities/apple_event_sender.h"
#include "quillo/testing/fake_apple_events.h"

namespace quillo::core {
namespace {

using platform::AppleEvent;
using platform::AppleEventDescriptor;
using platform::AppleEventError;
using platform::fourCharCode;

const Capability::App kSenderHost{"System", "com.apple.systemevents",
                                  base::Url::file("/Hosts/System Events.app")};
const AppleEventCall kFlip{kSenderHost, Capability::PropertyOperation{{"aprp", "thme"}},
                           AppleEventCall::Flipped{}};
const AppleEventCall kPlay{kSenderHost, Capability::CommandOperation{"hostplay", std::nullopt}, std::nullopt};

AppleEvent replyWith(AppleEventDescriptor direct) {
  AppleEvent reply;
  reply.setParameter(fourCharCode("----"), std::move(direct));
  return reply;
}

struct Sending : ::testing::Test {
  testing::FakeWorkspace workspace;
  testing::FakeAppleEvents events;
  AppleEventSender sender{workspace, events, {.replyTimeout = std::chrono::seconds(2)}};
};

TEST_F(Sending, DeliversToTheRunningCopyOfTheSameBundle) {
  workspace.links = {{"/Hosts/System Events.app", "/Real/System Events.app"}};
  workspace.running = {
      {.pid = 10, .bundleID = "com.apple.systemevents", .bundlePath = "/Elsewhere/System Events.app"},
      {.pid = 11, .bundleID = "org.example.other", .bundlePath = "/Real/System Events.app"},
      {.pid = 12, .bundleID = "com.apple.systemevents", .bundlePath = "/Real/System Events.app"}};
  EXPECT_EQ(sender.send(kPlay), std::nullopt);
  ASSERT_EQ(events.sent.size(), 1u);
  EXPECT_EQ(events.sent[0].targetProcess, 12);
  EXPECT_EQ(events.timeouts[0], std::chrono::seconds(2));
  EXPECT_TRUE(workspace.opened.empty());
}

TEST_F(Sending, OpensAnApplicationThatDoesNotRunOrSaysWhyNot) {
  workspace.openedProcess = 77;
  EXPECT_EQ(sender.send(kPlay), std::nullopt);
  EXPECT_EQ(workspace.opened, std::vector<std::string>{"/Hosts/System Events.app"});
  EXPECT_EQ(events.sent.at(0).targetProcess, 77);

  workspace.openedProcess.reset();
  EXPECT_EQ(sender.send(kPlay),
            AppleEventSender::Failure(send_failure::DidNotOpen{"The application could not be found."}));
  EXPECT_EQ(events.sent.size(), 1u);
}

TEST_F(Sending, FlipReadsFirstThenSetsTheOppositeOrStopsWhenTheStateCannotBeRead) {
  workspace.openedProcess = 5;
  events.answers.push_back(replyWith(AppleEventDescriptor::boolean(true)));
  EXPECT_EQ(sender.send(kFlip), std::nullopt);
  ASSERT_EQ(events.sent.size(), 2u);
  EXPECT_EQ(events.sent[0].eventID, fourCharCode("getd"));
  EXPECT_EQ(events.sent[1].eventID, fourCharCode("setd"));
  EXPECT_EQ(*events.sent[1].parameter(fourCharCode("data")), AppleEventDescriptor::boolean(false));

  events.sent.clear();
  events.answers.push_back(replyWith(AppleEventDescriptor::text("dark")));
  EXPECT_EQ(sender.send(kFlip), AppleEventSender::Failure(send_failure::NotRead{}));
  EXPECT_EQ(events.sent.size(), 1u);

  AppleEvent refusal;
  refusal.setParameter(fourCharCode("errn"), AppleEventDescriptor::int32(-10000));
  refusal.setParameter(fourCharCode("errs"), AppleEventDescriptor::text("No access."));
  events.answers.push_back(refusal);
  EXPECT_EQ(sender.send(kFlip), AppleEventSender::Failure(send_failure::Refused{-10000, "No access."}));
  EXPECT_EQ(events.sent.size(), 2u);
}

TEST_F(Sending, ErrorsMapToFailures) {
  workspace.openedProcess = 5;
  AppleEvent refusal;
  refusal.setParameter(fourCharCode("errn"), AppleEventDescriptor::int32(-1708));
  events.answers = {refusal, AppleEventError(-1743, "Not authorised."), AppleEventError(-1712, "Timed out."),
                    AppleEventError(-600, "No such process.")};
  EXPECT_EQ(sender.send(kPlay), AppleEventSender::Failure(send_failure::Refused{-1708, ""}));
  EXPECT_EQ(sender.send(kPlay), AppleEventSender::Failure(send_failure::NotPermitted{}));
  EXPECT_EQ(sender.send(kPlay), AppleEventSender::Failure(send_failure::NoAnswer{}));
  EXPECT_EQ(sender.send(kPlay), AppleEventSender::Failure(send_failure::NotSent{"No such process."}));
  // A property without a value has nothing to send.
  const AppleEventCall empty{kSenderHost, Capability::PropertyOperation{{"aprp", "thme"}}, std::nullopt};
  EXPECT_EQ(sender.send(empty), AppleEventSender::Failure(send_failure::NoEvent{}));
  EXPECT_EQ(events.sent.size(), 4u);
}

TEST(AppleEventSender, LogLinesNameTheCommandAndKeepAppTextPrivate) {
  const auto line = [](const AppleEventSender::Failure& failure) {
    return AppleEventSender::logLine(failure, "System: Dark Mode", "System");
  };
  EXPECT_EQ(line(send_failure::DidNotOpen{"gone"}), "System: Dark Mode: System did not open: gone");
  EXPECT_EQ(line(send_failure::Refused{-10000, "secret"}),
            "System: Dark Mode: the app refused with -10000: <private>");
  EXPECT_EQ(line(send_failure::NotSent{"no way"}), "System: Dark Mode was not sent: no way");
  EXPECT_EQ(line(send_failure::NotRead{}),
            "System: Dark Mode was not switched: the app did not say whether it is on");
  EXPECT_EQ(line(send_failure::NoEvent{}), "System: Dark Mode has no event");
  EXPECT_EQ(line(send_failure::NotPermitted{}),
            "System: Dark Mode: Quillo may not control System. Allow it in Privacy & Security, Automation");
  EXPECT_EQ(line(send_failure::NoAnswer{}), "System: Dark Mode: System did not answer in time");
}

}  // namespace
}  // namespace quillo::core
