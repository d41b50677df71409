#include "../fuzz_target.h"
#include "quillo/core/capabilities/sdef_reader.h"

// A scripting dictionary of an installed application.
QUILLO_FUZZ_TARGET(sdef) {
  using namespace quillo;
  static const core::Capability::App app{"Fuzzed", "dev.example.fuzzed",
                                         base::Url{"file:///Applications/Fuzzed.app"}};
  core::SdefReader::capabilities(fuzz::text(data, size), app);
  return 0;
}
