#include "quillo/testing/widget_test_application.h"

#include <gtest/gtest.h>

#include <memory>

#include "quillo/testing/qt_test_loop.h"

namespace quillo::testing {
namespace {

class WidgetApplication : public ::testing::Environment {
 public:
  QApplication& application() {
    if (!application_) application_ = std::make_unique<QApplication>(arguments_.argc, arguments_.argv);
    return *application_;
  }
  void SetUp() override { application(); }
  void TearDown() override { application_.reset(); }

 private:
  QtTestArguments arguments_;
  std::unique_ptr<QApplication> application_;
};

// Google Test takes ownership of the environments it is given.
WidgetApplication* const environment = static_cast<WidgetApplication*>(
    ::testing::AddGlobalTestEnvironment(std::make_unique<WidgetApplication>().release()));

}  // namespace

QApplication& widgetTestApplication() {
  return environment->application();
}

}  // namespace quillo::testing
