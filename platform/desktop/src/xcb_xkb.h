#pragma once

// xcb's XKB header names a structure field `explicit`, a C++ keyword.
#define explicit xkb_explicit  // NOLINT(clang-diagnostic-keyword-macro)
#include <xcb/xkb.h>
#undef explicit
