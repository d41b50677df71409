#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <fstream>
#include <sstream>

#include "program_process.h"

namespace quillo::ui::testing {
namespace {

using nlohmann::json;

struct CliRun {
  int status = -1;
  std::string output;
  std::string errors;
};

std::string contents(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// quillo-cli in the test home's environment (and this session's bus), its output collected.
CliRun runCli(const TestHome& home, const std::vector<std::string>& arguments) {
  const auto output = home.folder / "cli-output";
  const auto errors = home.folder / "cli-errors";
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    for (const auto& [name, value] : home.environment())
      setenv(name.c_str(), value.c_str(), 1);
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(QUILLO_CLI)};
    for (const auto& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, contents(output), contents(errors)};
}

// `quillo-cli search --scope files` while the program runs with the same search folders.
struct FileSearchEndToEndTest : ::testing::Test {
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "quillo-program-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
  }

  TestHome home;
  std::filesystem::path documents = home.folder / "home/Documents";

  void SetUp() override {
    std::filesystem::create_directories(documents / "2026");
    std::ofstream(documents / "2026/quarterly-report.pdf") << "pdf";
    ASSERT_EQ(runCli(home, {"folders", "add", documents.string()}).status, 0);
  }
};

// The command line indexes nothing itself: the program's live index answers, and says nothing
// about indexing on standard error.
TEST_F(FileSearchEndToEndTest, TheRunningProgramAnswersFileSearches) {
  // The program is not beside its file index library in the build tree.
  ProgramProcess program(home, {}, std::nullopt, {{"QUILLO_FFF_LIBRARY", QUILLO_FFF}});
  ASSERT_TRUE(stateWhen([](const json& state) { return state["search"]["query"].is_string(); }));
  // The first asks start the program's index; the command line searches by itself meanwhile.
  CliRun run;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  do {
    run = runCli(home, {"search", "--scope", "files", "quarterly"});
    ASSERT_EQ(run.status, 0) << run.errors;
  } while (run.errors.find("indexed") != std::string::npos && std::chrono::steady_clock::now() < end);
  EXPECT_EQ(run.errors, "");
  EXPECT_NE(run.output.find("quarterly-report.pdf"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace quillo::ui::testing
