#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "quillo/platform/desktop/dbus_instance_channel.h"
#include "quillo/platform/desktop/qt_main_queue.h"
#include "quillo/testing/qt_test_loop.h"

namespace quillo::platform::desktop {
namespace {

struct QtSeams : ::testing::Test {
  testing::TestCoreApplication application;
};

TEST_F(QtSeams, TheMainQueueRunsTasksFromAnyThreadOnTheLoopInOrderAndSkipsCancelledOnes) {
  QtMainQueue queue;
  std::string order;
  bool onMain = true;
  const auto cancelled = queue.postAfter(std::chrono::milliseconds(5), [&] { order += "x"; });
  queue.postAfter(std::chrono::milliseconds(20), [&] { order += "c"; });
  std::thread([&] {
    queue.post([&] {
      onMain = onMain && queue.isMainThread();
      order += "a";
    });
    queue.post([&] { order += "b"; });
  }).join();
  cancelled.cancel();
  bool workerIsMain = true;
  std::thread([&] { workerIsMain = queue.isMainThread(); }).join();
  EXPECT_FALSE(workerIsMain);
  ASSERT_TRUE(testing::runQtUntil([&] { return order.size() >= 3; }));
  EXPECT_EQ(order, "abc");
  EXPECT_TRUE(onMain);
}

TEST_F(QtSeams, ALaterStartForwardsItsRequestToTheRunningInstance) {
  DBusInstanceChannel running;
  std::vector<InstanceRequest> received;
  ASSERT_TRUE(running.claim([&](const InstanceRequest& request) { received.push_back(request); }));
  DBusInstanceChannel second;
  EXPECT_FALSE(second.claim([](const InstanceRequest&) {}));

  // A later start forwards from a thread of its own while the running one's loop answers.
  auto forwarded = std::async(std::launch::async, [] {
    return forwardToRunningInstance({InstanceRequest::Kind::query, "wifi", "token-1"}) &&
           forwardToRunningInstance({InstanceRequest::Kind::toggle, std::nullopt, std::nullopt});
  });
  ASSERT_TRUE(testing::runQtUntil([&] { return received.size() == 2; }));
  EXPECT_TRUE(forwarded.get());
  EXPECT_EQ(received[0], (InstanceRequest{InstanceRequest::Kind::query, "wifi", "token-1"}));
  EXPECT_EQ(received[1], (InstanceRequest{InstanceRequest::Kind::toggle, std::nullopt, std::nullopt}));
}

TEST_F(QtSeams, ASettingsRequestReachesTheRunningInstanceWithItsToken) {
  DBusInstanceChannel running;
  std::vector<InstanceRequest> received;
  ASSERT_TRUE(running.claim([&](const InstanceRequest& request) { received.push_back(request); }));
  auto forwarded = std::async(std::launch::async, [] {
    return forwardToRunningInstance({InstanceRequest::Kind::settings, std::nullopt, "token-2"});
  });
  ASSERT_TRUE(testing::runQtUntil([&] { return received.size() == 1; }));
  EXPECT_TRUE(forwarded.get());
  EXPECT_EQ(received[0], (InstanceRequest{InstanceRequest::Kind::settings, std::nullopt, "token-2"}));
}

TEST_F(QtSeams, NoRunningInstanceMeansNothingIsForwarded) {
  EXPECT_FALSE(forwardToRunningInstance({InstanceRequest::Kind::show, std::nullopt, std::nullopt}));
}

}  // namespace
}  // namespace quillo::platform::desktop
