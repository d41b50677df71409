#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

namespace quillo::ui {

// What the running program shows, on the session bus for scripts and tests: the method `State`
// (no arguments, a JSON document as a string) of the interface "dev.tarnwick.Quillo.State" at
// "/dev/tarnwick/Quillo/State", beside the one-instance object under the program's bus name.
// Main thread only.
class StateService final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "dev.tarnwick.Quillo.State")

 public:
  static constexpr const char* objectPath = "/dev/tarnwick/Quillo/State";
  static constexpr const char* interfaceName = "dev.tarnwick.Quillo.State";

  explicit StateService(std::function<std::string()> state) : state_(std::move(state)) {}
  ~StateService() override;

  // Exports the object on the session bus; false when there is no bus or the path is taken.
  bool publish();

 public slots:
  Q_SCRIPTABLE QString State() const;

 private:
  std::function<std::string()> state_;
  bool published_ = false;
};

}  // namespace quillo::ui
