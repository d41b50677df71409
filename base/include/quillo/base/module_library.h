#pragma once

#include <memory>
#include <string>

namespace quillo::base {

// A library of the program's own loaded with dlopen on first use, so that what it links (libcurl
// and TLS, GLib) costs the programs and commands that never use it nothing at start-up.
// Looked for next to the executable, in ../lib beside it, then in the build folder it was built
// in. Stays loaded until the process ends: exceptions it threw may point into its code.
class ModuleLibrary {
 public:
  // Throws std::runtime_error naming the library and why it could not be loaded.
  static const ModuleLibrary& load(const std::string& fileName, const std::string& buildFolder,
                                   const std::string& description);

  // The symbol, or null when the library lacks it.
  void* symbol(const char* name) const;
  const std::string& description() const { return description_; }

 private:
  struct Closer {
    void operator()(void* handle) const;
  };
  std::unique_ptr<void, Closer> handle_;
  std::string description_;
};

}  // namespace quillo::base
