#include <gtest/gtest.h>

#include "quillo/app/run_plan.h"
#include "quillo/app/run_plan_json.h"

namespace quillo::app {
namespace {

constexpr base::Date kNow{1'800'000'000};

core::Command command(std::string id, core::Command::Target target) {
  return core::Command(std::move(id), "Title", core::Command::Kind::action, "", "", "", std::move(target));
}

core::ResultRow keepAwakeRow(core::invocation::End end) {
  core::ResultRow row{
      command("action.keepAwake",
              core::target::Definition{core::definition::KeepAwake{core::AwakeScope::macAndDisplay}}),
      std::nullopt, std::nullopt};
  row.action =
      core::ResolvedAction{core::invocation::KeepAwake{core::AwakeScope::macAndDisplay, end}, "", "k"};
  return row;
}

TEST(RunPlan, KeepAwakeForADurationEndsThatLongAfterNow) {
  const RunPlan plan = planRun(keepAwakeRow(core::invocation::After{3600}), kNow);
  const auto& awake = std::get<step::KeepAwake>(plan.step);
  EXPECT_EQ(awake.until, (base::Date{kNow.secondsSince1970 + 3600}));
  EXPECT_EQ(awake.call.arguments, (std::vector<std::string>{"-d", "-i", "-t", "3600"}));
  EXPECT_EQ(plan.id, "action.keepAwake#k");
}

TEST(RunPlan, AKeepAwakeEndingInThePastRunsNothing) {
  const RunPlan plan =
      planRun(keepAwakeRow(core::invocation::At{base::Date{kNow.secondsSince1970 - 5}}), kNow);
  EXPECT_EQ(plan.step, RunPlan::Step{step::Nothing{step::Idle::invalidValue}});
}

TEST(RunPlan, ARowWithoutAUsableValueRunsNothing) {
  core::ResultRow row{
      command("action.volume",
              core::target::Definition{core::definition::SetVolume{core::VolumeChannel::output}}),
      std::nullopt, core::ResolvedAction{std::nullopt, "", "bad"}};
  EXPECT_EQ(planRun(row, kNow).step, RunPlan::Step{step::Nothing{step::Idle::noValue}});
}

TEST(RunPlan, ProcessCallsComeFromTheGivenTable) {
  ActionTools tools{
      .processCall =
          [](const core::ActionInvocation&, base::Date) {
            return core::ProcessCall{"/usr/bin/pactl", {"set-sink-volume", "@DEFAULT_SINK@", "50%"}};
          },
      .lockScreen = std::nullopt,
      .keepAwakeWatchesLauncher = false};
  core::ResultRow row{
      command("action.volume",
              core::target::Definition{core::definition::SetVolume{core::VolumeChannel::output}}),
      std::nullopt,
      core::ResolvedAction{core::invocation::SetVolume{core::VolumeChannel::output, 50}, "", "50"}};
  const core::ProcessCall pactl{"/usr/bin/pactl", {"set-sink-volume", "@DEFAULT_SINK@", "50%"}};
  EXPECT_EQ(planRun(row, kNow, tools).step, RunPlan::Step{step::StartProcess{pactl}});
}

TEST(RunPlan, AShellLineRunsThroughBinShWithoutChange) {
  const RunPlan plan = planRun(command("action.mute", core::target::Shell{"echo 'a b' | wc"}));
  const core::ProcessCall shell{"/bin/sh", {"-c", "echo 'a b' | wc"}};
  EXPECT_EQ(plan.step, RunPlan::Step{step::StartProcess{shell}});
}

TEST(RunPlan, ADesktopEntryOpensByItsDesktopFileIdAndABundleByItsPath) {
  const auto entry = planRun(
      command("app.org.gnome.Calculator",
              core::target::App{base::Url::file("/usr/share/applications/org.gnome.Calculator.desktop")}));
  EXPECT_EQ(entry.step, RunPlan::Step{step::OpenApplication{"org.gnome.Calculator"}});
  const auto bundle = planRun(
      command("app.com.example.Notes", core::target::App{base::Url::file("/Applications/Notes.app")}));
  EXPECT_EQ(bundle.step, RunPlan::Step{step::OpenApplication{"/Applications/Notes.app"}});
}

TEST(RunPlanJson, HasEveryFieldWithNullWhereItDoesNotApply) {
  const auto json = toJson(planRun(keepAwakeRow(core::invocation::After{60}), kNow));
  EXPECT_EQ(json["does"], "keepAwake");
  EXPECT_EQ(json["processCall"]["executable"], "/usr/bin/caffeinate");
  EXPECT_EQ(json["keepAwake"]["scope"], "macAndDisplay");
  EXPECT_EQ(json["keepAwake"]["until"], kNow.secondsSince1970 + 60);
  EXPECT_TRUE(json["target"].is_null());
  EXPECT_TRUE(json["appleEvent"].is_null());
  EXPECT_TRUE(json["reason"].is_null());
}

TEST(RunPlanJson, SaysWhyNothingRuns) {
  const auto json = toJson(planRun(command("clipboard.1", core::target::Clipboard{})));
  EXPECT_EQ(json["does"], "nothing");
  EXPECT_EQ(json["reason"], "clipboard");
  EXPECT_TRUE(json["processCall"].is_null());
}

}  // namespace
}  // namespace quillo::app
