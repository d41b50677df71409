// The main function of every test program that needs a desktop: unless it already runs on one
// of its own, it runs itself again under scripts/with-test-desktop (Xvfb, openbox and a session
// bus of its own), so that a test never touches the developer's display or bus and never skips
// for want of one. Listing the tests needs no desktop.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  bool listing = false;
  for (int i = 1; i < argc; ++i)
    listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
  if (!listing && std::getenv("QUILLO_ON_TEST_DESKTOP") == nullptr) {
    setenv("QUILLO_ON_TEST_DESKTOP", "1", 1);
    // libxkbcommon-x11, under our hot keys and Qt's X11 platform, hands strndup atom names that
    // are not NUL-terminated, which strndup allows but AddressSanitizer's strict string checks
    // report: keep every other check.
    if (const char* options = std::getenv("ASAN_OPTIONS")) {
      std::string relaxed = options;
      for (std::size_t at; (at = relaxed.find("strict_string_checks=1")) != std::string::npos;)
        relaxed.replace(at, std::strlen("strict_string_checks=1"), "strict_string_checks=0");
      setenv("ASAN_OPTIONS", relaxed.c_str(), 1);
    }
    std::vector<char*> command{const_cast<char*>(QUILLO_WITH_TEST_DESKTOP)};
    for (int i = 0; i < argc; ++i)
      command.push_back(argv[i]);
    command.push_back(nullptr);
    execv(command[0], command.data());
    std::perror(QUILLO_WITH_TEST_DESKTOP);
    return 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
