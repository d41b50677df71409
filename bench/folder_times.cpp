// The least a check of every folder's modification time can cost on this host: one `statx` per
// folder below a root, each looked up by its name in its parent, the parents opened beforehand
// and untimed, on every core. A warm command-line file search makes the same calls (and opens
// the parents itself): this is its floor. Prints one Markdown line.
//
// usage: quillo-bench-folder-times ROOT [ROUNDS]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

struct Folder {
  int parent;
  std::string name;
};

// The folders' parents, each open for lookups only, closed together.
class OpenParents {
 public:
  OpenParents() = default;
  OpenParents(const OpenParents&) = delete;
  OpenParents& operator=(const OpenParents&) = delete;
  ~OpenParents() {
    for (const auto& [path, fd] : fds_)
      ::close(fd);
  }
  // The descriptor of `path`, opened on its first call; -1 when it cannot be opened.
  int of(const std::string& path) {
    auto [found, added] = fds_.try_emplace(path, -1);
    if (added) found->second = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return found->second;
  }

 private:
  std::unordered_map<std::string, int> fds_;
};

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "quillo-bench-folder-times: %s\n", what.c_str());
  std::exit(1);
}

// Every parent stays open at once: as many descriptors as folders that hold folders.
void raiseOpenFileLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  limit.rlim_cur = limit.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

std::vector<Folder> foldersBelow(const std::filesystem::path& root, OpenParents& parents) {
  std::vector<Folder> folders;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(
           root, std::filesystem::directory_options::skip_permission_denied, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_directory(error) || it->is_symlink(error)) continue;
    const std::string parent = it->path().parent_path().string();
    const int fd = parents.of(parent);
    if (fd < 0) fail("cannot open " + parent + " (more folders than the open file limit?)");
    folders.push_back({fd, it->path().filename().string()});
  }
  if (error) fail(root.string() + ": " + error.message());
  return folders;
}

double statEvery(const std::vector<Folder>& folders, unsigned threads) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::jthread> workers;
  for (unsigned share = 0; share < threads; ++share)
    workers.emplace_back([&folders, share, threads] {
      struct statx info;
      const std::size_t begin = folders.size() * share / threads;
      const std::size_t end = folders.size() * (share + 1) / threads;
      for (std::size_t k = begin; k < end; ++k)
        ::statx(folders[k].parent, folders[k].name.c_str(), AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC,
                STATX_TYPE | STATX_MTIME | STATX_INO, &info);
    });
  workers.clear();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) fail("usage: quillo-bench-folder-times ROOT [ROUNDS]");
  const int rounds = argc == 3 ? std::atoi(argv[2]) : 11;
  if (rounds <= 0) fail("ROUNDS must be a positive number");
  raiseOpenFileLimit();
  OpenParents parents;
  const std::vector<Folder> folders = foldersBelow(argv[1], parents);
  if (folders.empty()) fail(std::string(argv[1]) + " holds no folder");
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  statEvery(folders, threads);  // untimed: the dentries and inodes as a warm search meets them
  std::vector<double> times;
  for (int round = 0; round < rounds; ++round)
    times.push_back(statEvery(folders, threads));
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf(
      "Every folder's time alone (`statx` of each of the %zu folders by name, parents opened "
      "beforehand and untimed, %u threads), median of %d rounds: %.1f ms (fastest %.1f; %.2f µs a "
      "folder on each thread).\n",
      folders.size(), threads, rounds, median, times.front(),
      median * 1000.0 * threads / static_cast<double>(folders.size()));
  return 0;
}
