// Fills 64 MB of memory, then ends with the status given as its argument through endProcessNow.
// Usage: quillo-ending-helper STATUS
#include <cstdlib>
#include <cstring>
#include <memory>

#include "quillo/platform/posix/process_end.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  constexpr std::size_t kBytes = 64 << 20;
  const auto memory = std::make_unique<char[]>(kBytes);
  std::memset(memory.get(), 1, kBytes);
  asm volatile("" : : "r"(memory.get()) : "memory");  // the pages are written, not optimised away
  quillo::platform::posix::endProcessNow(std::atoi(argv[1]));
}
