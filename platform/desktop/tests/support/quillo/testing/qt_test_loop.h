#pragma once

#include <QCoreApplication>
#include <functional>

namespace quillo::testing {

// Runs Qt's event loop until `done` holds or fifteen seconds pass; whether it holds. The bound
// is for a sanitizer build on a busy machine, where a test program and the accessibility bus
// took over five seconds to start; a test that passes ends as soon as `done` holds.
bool runQtUntil(const std::function<bool()>& done);

// The command line a test hands Qt: Qt keeps a reference to it, so it lives as long as the
// application object it was given to.
struct QtTestArguments {
  int argc = 1;
  char name[8] = "tests";
  char* argv[2] = {name, nullptr};
};

// A Qt core application for one test's lifetime (the arguments are made first, as Qt needs).
class TestCoreApplication : private QtTestArguments, public QCoreApplication {
 public:
  TestCoreApplication() : QCoreApplication(argc, argv) {}
};

}  // namespace quillo::testing
