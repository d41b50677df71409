#pragma once

#include <exception>

#include "quillo/clipboard/clipboard_database.h"
#include "quillo/clipboard/clipboard_error.h"
#include "statements.h"

namespace quillo::clipboard {

// Runs `body` between "BEGIN IMMEDIATE" and "COMMIT"; on any failure rolls back and rethrows the
// first error, so that the caller changes memory only after this returns.
template <class Body>
void inTransaction(ClipboardDatabase& database, Body&& body) {
  database.execute(statements::kBegin);
  try {
    body();
    database.execute(statements::kCommit);
  } catch (...) {
    const std::exception_ptr failure = std::current_exception();
    try {
      database.execute(statements::kRollback);
    } catch (const ClipboardError&) {
      // Nothing to add: the first failure says what went wrong.
    }
    std::rethrow_exception(failure);
  }
}

}  // namespace quillo::clipboard
