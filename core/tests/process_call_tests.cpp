#include <gtest/gtest.h>

#include "quillo/core/actions/process_call.h"

namespace quillo::core {
namespace {

using Arguments = std::vector<std::string>;
const base::Date kNow{1'764'946'800};

Arguments argumentsOf(const ActionInvocation& invocation) {
  return processCall(invocation, kNow).value().arguments;
}

TEST(ProcessCall, VolumeUnmutesOnlyARaisedOutput) {
  const auto call = processCall(invocation::SetVolume{VolumeChannel::output, 50}, kNow);
  ASSERT_TRUE(call);
  EXPECT_EQ(call->executable, "/usr/bin/osascript");
  EXPECT_EQ(call->arguments, (Arguments{"-e", "set volume output volume 50 without output muted"}));
  EXPECT_EQ(argumentsOf(invocation::SetVolume{VolumeChannel::output, 1}),
            (Arguments{"-e", "set volume output volume 1 without output muted"}));
  EXPECT_EQ(argumentsOf(invocation::SetVolume{VolumeChannel::output, 0}),
            (Arguments{"-e", "set volume output volume 0"}));
  EXPECT_EQ(argumentsOf(invocation::SetVolume{VolumeChannel::alert, 0}),
            (Arguments{"-e", "set volume alert volume 0"}));
  EXPECT_EQ(argumentsOf(invocation::SetVolume{VolumeChannel::input, 70}),
            (Arguments{"-e", "set volume input volume 70"}));
  EXPECT_FALSE(processCall(invocation::SetVolume{VolumeChannel::output, 101}, kNow));
  EXPECT_FALSE(processCall(invocation::SetVolume{VolumeChannel::output, -1}, kNow));
}

TEST(ProcessCall, KeepAwakeCountsSecondsToTheEnd) {
  const auto call =
      processCall(invocation::KeepAwake{AwakeScope::macAndDisplay, invocation::After{3600}}, kNow);
  ASSERT_TRUE(call);
  EXPECT_EQ(call->executable, "/usr/bin/caffeinate");
  EXPECT_EQ(call->arguments, (Arguments{"-d", "-i", "-t", "3600"}));
  EXPECT_EQ(argumentsOf(invocation::KeepAwake{AwakeScope::mac, invocation::After{60}}),
            (Arguments{"-i", "-t", "60"}));
  // An end given as a date is rounded up to the next whole second.
  const base::Date end{kNow.secondsSince1970 + 90.2};
  EXPECT_EQ(argumentsOf(invocation::KeepAwake{AwakeScope::mac, invocation::At{end}}),
            (Arguments{"-i", "-t", "91"}));
  EXPECT_FALSE(processCall(
      invocation::KeepAwake{AwakeScope::mac, invocation::At{base::Date{kNow.secondsSince1970 - 5}}}, kNow));
  EXPECT_FALSE(processCall(invocation::KeepAwake{AwakeScope::mac, invocation::After{86401}}, kNow));
  EXPECT_TRUE(processCall(invocation::KeepAwake{AwakeScope::mac, invocation::After{86400}}, kNow));
}

TEST(ProcessCall, ScreenshotFlagsByModeDestinationAndDelay) {
  using Mode = ScreenshotMode;
  using Destination = ScreenshotDestination;
  const auto call = processCall(invocation::Screenshot{Mode::window, Destination::file, 5}, kNow);
  ASSERT_TRUE(call);
  EXPECT_EQ(call->executable, "/usr/sbin/screencapture");
  EXPECT_EQ(call->arguments, (Arguments{"-T", "5", "-i", "-w", "-p"}));
  EXPECT_EQ(argumentsOf(invocation::Screenshot{Mode::selection, Destination::clipboard, 0}),
            (Arguments{"-i", "-c"}));
  EXPECT_EQ(argumentsOf(invocation::Screenshot{Mode::screen, Destination::clipboard, 60}),
            (Arguments{"-T", "60", "-m", "-c"}));
  EXPECT_FALSE(processCall(invocation::Screenshot{Mode::screen, Destination::file, 61}, kNow));
}

TEST(ProcessCall, AppleEventsAreNotProcesses) {
  const AppleEventCall event{{"System", "com.apple.systemevents", base::Url::file("/System/Events.app")},
                             Capability::CommandOperation{"aevtquit", std::nullopt},
                             std::nullopt};
  EXPECT_FALSE(processCall(invocation::AppleEvent{event}, kNow));
}

}  // namespace
}  // namespace quillo::core
