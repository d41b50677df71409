#pragma once

#include <QApplication>

namespace quillo::testing {

// The one widget application of a test program that links quillo-widget-test-application: made
// when the tests start on their desktop and destroyed when they end, before the exit handlers
// take down Qt's own globals that its destructor still uses.
QApplication& widgetTestApplication();

}  // namespace quillo::testing
