// One widget application for the whole test program, made once the tests run on their desktop.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

class WidgetApplication : public ::testing::Environment {
 public:
  void SetUp() override { application_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[8] = "tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new WidgetApplication);

}  // namespace
