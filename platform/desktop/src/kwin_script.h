#pragma once

// The text of the script the compositor runs for the KWin front application. Private to it.
namespace quillo::platform::desktop::kwin {

extern const char* const kScript;

}  // namespace quillo::platform::desktop::kwin
