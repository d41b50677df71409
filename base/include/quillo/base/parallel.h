#pragma once

#include <cstddef>
#include <functional>
#include <stop_token>

namespace quillo::base {

// Runs work(part, stop) for every part in [0, parts) at once: part 0 on the calling thread and
// each other part on a thread of its own, so that the whole takes as long as its slowest part.
// Returns once every part has ended. The first failure is rethrown then (later ones are
// dropped), and it requests a stop of the parts still running, as a stop request on `stop` does.
void runInParallel(std::size_t parts, std::stop_token stop,
                   const std::function<void(std::size_t part, std::stop_token stop)>& work);

// The same for work that is never stopped: every part runs to its end.
void runInParallel(std::size_t parts, const std::function<void(std::size_t part)>& work);

}  // namespace quillo::base
