#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace quillo::platform::desktop {

// Another application's copy: a real X client that owns CLIPBOARD until it is stopped.
class SelectionOwner {
 public:
  explicit SelectionOwner(const std::vector<std::string>& arguments) {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      std::vector<char*> argv{const_cast<char*>(QUILLO_SELECTION_OWNER)};
      for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    char buffer[16] = {};
    const auto n = ::read(out[0], buffer, sizeof buffer - 1);
    close(out[0]);
    if (n <= 0 || std::string(buffer).rfind("owned", 0) != 0)
      throw std::runtime_error("the owner did not start");
  }
  ~SelectionOwner() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace quillo::platform::desktop
