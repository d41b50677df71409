#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// One fuzz target is one entry function over untrusted bytes. Built with libFuzzer (the fuzz
// preset) the entry is LLVMFuzzerTestOneInput; built normally it registers under its name, so
// that quillo-fuzz-replay feeds saved inputs through the very same function in `make test`.
// An entry returns 0; a broken property aborts the process with a message (see `require`).
namespace quillo::fuzz {

using Entry = int (*)(const std::uint8_t* data, std::size_t size);

bool registerEntry(const char* name, Entry entry);

// Ends the run as a crash when a property of the code under test does not hold.
void require(bool holds, const char* property);

inline std::string_view text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace quillo::fuzz

#ifdef QUILLO_LIBFUZZER
#define QUILLO_FUZZ_TARGET(name)                                                      \
  static int quilloFuzzEntry(const std::uint8_t* data, std::size_t size);             \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    return quilloFuzzEntry(data, size);                                               \
  }                                                                                   \
  static int quilloFuzzEntry(const std::uint8_t* data, std::size_t size)
#else
#define QUILLO_FUZZ_TARGET(name)                                          \
  static int quilloFuzzEntry(const std::uint8_t* data, std::size_t size); \
  [[maybe_unused]] static const bool quilloFuzzRegistered =               \
      ::quillo::fuzz::registerEntry(#name, quilloFuzzEntry);              \
  static int quilloFuzzEntry(const std::uint8_t* data, std::size_t size)
#endif
