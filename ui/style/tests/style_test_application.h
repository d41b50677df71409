#pragma once

#include <QApplication>

namespace quillo::ui::test {

// The one application object of the test program, destroyed when the tests end.
QApplication& styleTestApplication();

}  // namespace quillo::ui::test
