#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

struct ProgramRun {
  int status = -1;
  std::string output;
};

ProgramRun ravo(const std::string& arguments) {
  const std::string command = std::string(QUILLO_RAVO_PATH) + " " + arguments + " 2>&1";
  std::unique_ptr<FILE, decltype(&pclose)> pipe(popen(command.c_str(), "r"), pclose);
  ProgramRun run;
  char buffer[4096];
  while (const std::size_t got = fread(buffer, 1, sizeof buffer, pipe.get()))
    run.output.append(buffer, got);
  const int status = pclose(pipe.release());
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(RavoProgram, HelpDescribesRunningAsASharedService) {
  const ProgramRun run = ravo("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("--nonce-store"), std::string::npos);
  EXPECT_NE(run.output.find("several machines"), std::string::npos);
}

TEST(RavoProgram, UnknownOptionIsAUsageError) {
  const ProgramRun run = ravo("--frobnicate");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.output.find("unknown option '--frobnicate'"), std::string::npos) << run.output;
}

TEST(RavoProgram, MissingKeyListIsNamed) {
  const ProgramRun run =
      ravo("--key-list /nonexistent/clients.keys --nonce-store /nonexistent-folder-x/nonces");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("/nonexistent/clients.keys"), std::string::npos) << run.output;
}

}  // namespace
