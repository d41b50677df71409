#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "quillo/core/files/file_index.h"

namespace quillo::ui {

// The program's live file index for `quillo-cli search --scope files`: the method SearchFiles
// (query, limit; the answer's JSON as a string) of "dev.tarnwick.Quillo.Files" at
// "/dev/tarnwick/Quillo/Files". The searches run off the main thread and answer when done; while
// the index is being made, or not yet asked for, the call fails with "…Files.NotReady" and the
// caller searches by itself. Main thread only.
class FileSearchService final : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "dev.tarnwick.Quillo.Files")

 public:
  static constexpr const char* objectPath = "/dev/tarnwick/Quillo/Files";
  static constexpr const char* notReady = "dev.tarnwick.Quillo.Files.NotReady";

  // `index` gives the live index, none while there is none (it may start making one);
  // `runAside` runs work off the main thread.
  FileSearchService(std::function<std::shared_ptr<core::FileIndex>()> index,
                    std::function<void(std::function<void()>)> runAside)
      : index_(std::move(index)), runAside_(std::move(runAside)) {}
  ~FileSearchService() override;

  // Exports the object on the session bus; false when there is no bus or the path is taken.
  bool publish();

 public slots:
  Q_SCRIPTABLE QString SearchFiles(const QString& query, int limit);

 private:
  std::function<std::shared_ptr<core::FileIndex>()> index_;
  std::function<void(std::function<void()>)> runAside_;
  bool published_ = false;
};

}  // namespace quillo::ui
