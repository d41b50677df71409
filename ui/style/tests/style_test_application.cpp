#include "style_test_application.h"

#include <gtest/gtest.h>

#include <memory>

namespace quillo::ui::test {
namespace {

// Destroys the application object when the tests end, before the exit handlers take down Qt's
// own globals that its destructor still uses.
class QtApplicationEnvironment : public ::testing::Environment {
 public:
  QApplication& application() {
    if (!application_) application_ = std::make_unique<QApplication>(argc_, argv_);
    return *application_;
  }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[24] = "quillo-ui-style-tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

// Google Test takes ownership of the environments it is given.
QtApplicationEnvironment* const environment = static_cast<QtApplicationEnvironment*>(
    ::testing::AddGlobalTestEnvironment(std::make_unique<QtApplicationEnvironment>().release()));

}  // namespace

QApplication& styleTestApplication() {
  return environment->application();
}

}  // namespace quillo::ui::test
