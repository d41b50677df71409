#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fuzz_target.h"

// quillo-fuzz-replay TARGET FOLDER...: feeds every file of the folders, in name order, through
// the target's entry function, as libFuzzer would. A crash or a broken property ends the run;
// exit status 0 means every input passed. No input at all is a failure, never a silent pass.
namespace quillo::fuzz {
namespace {

std::map<std::string, Entry>& entries() {
  static std::map<std::string, Entry> table;
  return table;
}

}  // namespace

bool registerEntry(const char* name, Entry entry) {
  entries().emplace(name, entry);
  return true;
}

}  // namespace quillo::fuzz

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const auto& table = quillo::fuzz::entries();
  if (argc < 3 || !table.contains(argv[1])) {
    std::fprintf(stderr, "usage: quillo-fuzz-replay TARGET FOLDER...\ntargets:");
    for (const auto& [name, entry] : table)
      std::fprintf(stderr, " %s", name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
  }
  const quillo::fuzz::Entry entry = table.at(argv[1]);
  std::vector<fs::path> inputs;
  for (int index = 2; index < argc; ++index) {
    for (const auto& file : fs::directory_iterator(argv[index]))
      if (file.is_regular_file()) inputs.push_back(file.path());
  }
  std::sort(inputs.begin(), inputs.end());
  if (inputs.empty()) {
    std::fprintf(stderr, "quillo-fuzz-replay: no inputs for %s\n", argv[1]);
    return 1;
  }
  for (const auto& input : inputs) {
    std::fprintf(stderr, "%s\n", input.c_str());
    std::ifstream file(input, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::fprintf(stderr, "%zu inputs passed\n", inputs.size());
  return 0;
}
