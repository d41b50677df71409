#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "application_components_fixture.h"

namespace quillo::app {
namespace {

TEST_F(ApplicationComponentsTest, TypingAfterTheLauncherShortcutListsTheSearchModelsRows) {
  start();
  const auto& rows = typed("calc");
  EXPECT_TRUE(panel.visible);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.front().command.title, "Calculator");
}

TEST_F(ApplicationComponentsTest, RunningARowOpensItThroughTheCommandRunner) {
  start();
  const auto rows = typed("calc");
  ASSERT_FALSE(rows.empty());
  components->searchModel().run(rows.front(), false);
  main.runUntil([&] { return !workspace.requests.empty(); });
  EXPECT_EQ(
      workspace.requests,
      (std::vector<std::string>{"openApplication /usr/share/applications/org.gnome.Calculator.desktop"}));
}

TEST_F(ApplicationComponentsTest, AKeepAwakeStoredAtQuitIsResumedAtStart) {
  stored("keepAwakeUntil", base::Date{clock.now().secondsSince1970 + 1800});
  stored("keepAwakeDisplay", false);
  start();
  EXPECT_EQ(processes.children().size(), 1u);
  EXPECT_TRUE(components->keepAwake().until().has_value());
}

TEST_F(ApplicationComponentsTest, TheClipboardShortcutOpensTheClipboardHistory) {
  start();
  press(kV, kClipboardModifiers);
  EXPECT_EQ(application->presentation().content(), LauncherPresentation::Content::clipboard);
  EXPECT_TRUE(components->clipboardModel().state().isOpen);
}

TEST_F(ApplicationComponentsTest, ACopyBecomesAnEntryAfterAPoll) {
  start();
  pasteboard.copyText("meeting notes");
  main.advance(std::chrono::milliseconds(250));
  ASSERT_TRUE(main.runUntil([&] { return !components->clipboardModel().state().entries.empty(); }));
  EXPECT_EQ(components->clipboardModel().state().entries.front().title, "meeting notes");
}

TEST_F(ApplicationComponentsTest, TerminationStopsTheMonitor) {
  start();
  ASSERT_TRUE(components->clipboardModel().isMonitoring());
  application->terminate();
  EXPECT_FALSE(components->clipboardModel().isMonitoring());
}

TEST_F(ApplicationComponentsTest, WithoutAServiceAddressTheLocalServiceIsStartedAndItsFailureLogged) {
  const testing::LogCapture log;
  start();
  pool.waitUntilIdle();
  main.drain();
  EXPECT_EQ(localServiceStarts, 1);
  EXPECT_EQ(components->backend(), nullptr);
  EXPECT_EQ(log.lines(),
            (std::vector<std::string>{
                "app: The local ranking service did not start: quillo-ravo is not started in tests"}));
}

TEST_F(ApplicationComponentsTest, ALaterStartsRequestShowsTheLauncher) {
  start();
  ASSERT_TRUE(instances.deliver({.kind = platform::InstanceRequest::Kind::show,
                                 .query = std::nullopt,
                                 .activationToken = std::nullopt}));
  EXPECT_TRUE(panel.visible);
  EXPECT_EQ(application->presentation().content(), LauncherPresentation::Content::launcher);
}

}  // namespace
}  // namespace quillo::app
