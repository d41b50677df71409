// Writes the benchmark tree: a deterministic folder tree of a given number of entries with the
// names, extensions, depths and dates of a person's documents, projects and photos. File
// contents are sparse: only sizes are set.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

// splitmix64: the same sequence on every machine.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
  template <std::size_t N>
  const char* pick(const std::array<const char*, N>& words) {
    return words[below(N)];
  }

 private:
  std::uint64_t state_;
};

constexpr std::array<const char*, 48> kWords = {
    "report",  "budget",   "invoice", "notes",   "draft",  "final",    "summary",   "meeting",
    "project", "design",   "config",  "main",    "utils",  "helper",   "test",      "index",
    "server",  "client",   "parser",  "render",  "photo",  "holiday",  "family",    "scan",
    "receipt", "contract", "resume",  "letter",  "backup", "archive",  "data",      "model",
    "layout",  "widget",   "session", "cache",   "logger", "schema",   "migration", "player",
    "mixdown", "chapter",  "thesis",  "lecture", "slides", "proposal", "travel",    "tax"};
constexpr std::array<const char*, 24> kFileExtensions = {
    "txt", "pdf", "docx", "xlsx", "md", "jpg",  "jpeg", "png",  "heic", "mp3", "wav", "mov",
    "cpp", "h",   "py",   "js",   "ts", "json", "yaml", "html", "css",  "go",  "rs",  "zip"};
constexpr std::array<const char*, 16> kFolderWords = {
    "src",  "lib",  "docs", "assets", "tests", "build", "include", "scripts",
    "2019", "2020", "2021", "2022",   "2023",  "2024",  "Archive", "Shared"};
constexpr std::array<const char*, 8> kTop = {"Documents", "Projects", "Pictures", "Music",
                                             "Downloads", "Desktop",  "Movies",   "Library"};
constexpr std::array<const char*, 4> kSeparators = {"_", "-", " ", ""};

struct Folder {
  std::string path;
  int depth;
};

std::string fileName(Random& random) {
  std::string name = random.pick(kWords);
  if (random.below(3) != 0) {
    name += random.pick(kSeparators);
    name += random.pick(kWords);
  }
  if (random.below(2) == 0) name += "_" + std::to_string(random.below(400));
  if (random.below(8) == 0) name[0] = static_cast<char>(name[0] - 32);
  return name + "." + random.pick(kFileExtensions);
}

std::string folderName(Random& random) {
  if (random.below(2) == 0) return random.pick(kFolderWords);
  std::string name = random.pick(kWords);
  if (random.below(2) == 0) name += std::string(random.pick(kSeparators)) + random.pick(kWords);
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FOLDER ENTRIES\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  const std::size_t entries = std::strtoull(argv[2], nullptr, 10);
  if (::mkdir(root.c_str(), 0755) != 0) {
    std::perror(root.c_str());
    return 1;
  }
  Random random(0x51f15eed);
  std::vector<Folder> folders;
  std::unordered_set<std::string> taken;
  std::size_t made = 0;
  for (const char* top : kTop) {
    folders.push_back({root + "/" + top, 1});
    ::mkdir(folders.back().path.c_str(), 0755);
    ++made;
  }
  // Deeper folders are picked as often as shallow ones, which gives the long tail of depths
  // real trees have; one entry in nine is a folder.
  while (made < entries) {
    const Folder parent = folders[random.below(folders.size())];
    const bool folder = parent.depth < 12 && random.below(9) == 0;
    std::string path = parent.path + "/" + (folder ? folderName(random) : fileName(random));
    if (!taken.insert(path).second) continue;
    if (folder) {
      if (::mkdir(path.c_str(), 0755) != 0) continue;
      folders.push_back({path, parent.depth + 1});
    } else {
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0) continue;
      if (::ftruncate(fd, static_cast<off_t>(random.below(1 << 20))) != 0) std::perror(path.c_str());
      ::close(fd);
      const std::int64_t when = 1500000000 + static_cast<std::int64_t>(random.below(250000000));
      const timespec times[2] = {{when, 0}, {when, 0}};
      ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    ++made;
  }
  std::printf("%zu entries in %s\n", made, root.c_str());
  return 0;
}
