#include "input_lines.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

#include "quillo/base/parallel.h"
#include "quillo/base/unicode.h"

namespace quillo::cli {

struct InputLines::Mapping {
  void* address;
  std::size_t size;
  Mapping(void* a, std::size_t s) : address(a), size(s) {}
  ~Mapping() { munmap(address, size); }
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  std::string_view text() const { return {static_cast<const char*>(address), size}; }
};

[[noreturn]] void failReading() {
  throw std::system_error(errno, std::generic_category(), "cannot read the input");
}

namespace {

std::string readAll(int fd) {
  std::string text;
  std::size_t used = 0;
  text.resize(1 << 20);
  while (true) {
    if (used == text.size()) text.resize(text.size() * 2);
    const ssize_t count = ::read(fd, text.data() + used, text.size() - used);
    if (count < 0) {
      if (errno == EINTR) continue;
      failReading();
    }
    if (count == 0) break;
    used += static_cast<std::size_t>(count);
  }
  text.resize(used);
  return text;
}

}  // namespace

InputLines InputLines::read(int fd) {
  struct stat status {};
  if (fstat(fd, &status) != 0) failReading();
  if (S_ISREG(status.st_mode) && status.st_size > 0 && lseek(fd, 0, SEEK_CUR) == 0) {
    const auto size = static_cast<std::size_t>(status.st_size);
    void* address = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (address != MAP_FAILED) return InputLines({}, std::make_unique<Mapping>(address, size));
  }
  return InputLines(readAll(fd), nullptr);
}

InputLines InputLines::fromText(std::string text) {
  return InputLines(std::move(text), nullptr);
}

InputLines::InputLines(std::string text, std::unique_ptr<Mapping> mapping)
    : text_(std::move(text)), mapping_(std::move(mapping)) {
  split(mapping_ ? mapping_->text() : std::string_view(text_));
}

InputLines InputLines::fromPieces(std::vector<Piece> pieces) {
  InputLines input({}, nullptr);
  std::size_t total = 0;
  for (const Piece& piece : pieces)
    total += piece.lines.size();
  input.lines_.reserve(total);
  for (const Piece& piece : pieces)
    input.lines_.insert(input.lines_.end(), piece.lines.begin(), piece.lines.end());
  input.pieces_ = std::move(pieces);
  return input;
}

InputLines::InputLines(InputLines&&) noexcept = default;
InputLines& InputLines::operator=(InputLines&&) noexcept = default;
InputLines::~InputLines() = default;

void splitLines(std::string_view piece, std::vector<std::string_view>& lines,
                std::deque<std::string>& repaired) {
  lines.reserve(piece.size() / 32);
  // Most inputs are plain ASCII: one check of the whole piece spares a check of every line.
  const bool ascii = base::isAscii(piece);
  std::size_t start = 0;
  while (start < piece.size()) {
    const void* newline = std::memchr(piece.data() + start, '\n', piece.size() - start);
    const std::size_t end =
        newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - piece.data()) : piece.size();
    std::string_view line = piece.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!ascii && !base::isAscii(line)) {
      std::string fixed = base::sanitizedUtf8(line);
      if (fixed != line) line = repaired.emplace_back(std::move(fixed));
    }
    lines.push_back(line);
    start = end + 1;
  }
}

void InputLines::split(std::string_view all) {
  // Large inputs are split in pieces on every core, each piece cut after a line ending.
  constexpr std::size_t kBytesPerWorker = 1 << 20;
  const std::size_t workers = std::clamp<std::size_t>(all.size() / kBytesPerWorker, 1,
                                                      std::max(1u, std::thread::hardware_concurrency()));
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t worker = 1; worker < workers && start < all.size(); ++worker) {
    std::size_t cut = std::max(start, worker * all.size() / workers);
    const auto newline = all.find('\n', cut);
    cut = newline == std::string_view::npos ? all.size() : newline + 1;
    pieces.push_back(all.substr(start, cut - start));
    start = cut;
  }
  if (start < all.size()) pieces.push_back(all.substr(start));

  std::vector<std::vector<std::string_view>> lines(pieces.size());
  repaired_.resize(pieces.size());
  base::runInParallel(pieces.size(),
                      [&](std::size_t piece) { splitLines(pieces[piece], lines[piece], repaired_[piece]); });
  std::size_t total = 0;
  for (const auto& piece : lines)
    total += piece.size();
  lines_.reserve(total);
  for (const auto& piece : lines)
    lines_.insert(lines_.end(), piece.begin(), piece.end());
}

}  // namespace quillo::cli
