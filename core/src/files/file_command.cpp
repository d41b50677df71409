#include "quillo/core/files/file_command.h"

#include "quillo/core/files/file_format.h"

namespace quillo::core {
namespace {

constexpr std::string_view kSeparator = " \u00b7 ";

}  // namespace

std::string fileName(const base::Url& url) {
  std::string path = url.filePath().value_or(std::string());
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  const auto slash = path.rfind('/');
  return slash == std::string::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

Command fileCommand(const FileEntry& entry, const FileDisplay& display) {
  const bool folder = entry.kind == FileEntry::Kind::folder;
  Command::FileDetail detail{FileFormat::folder(entry.url, display.homeFolder), "", ""};
  if (!folder) {
    detail.size = FileFormat::size(entry.size, display.locale);
    detail.day = FileFormat::day(entry.modified, display.timeZone);
  }
  std::string path = entry.url.filePath().value_or(entry.url.text);
  std::string text =
      folder ? detail.folder + std::string(kSeparator) + "Folder"
             : detail.folder + std::string(kSeparator) + detail.size + std::string(kSeparator) + detail.day;
  return Command((folder ? "folder." : "file.") + path, fileName(entry.url),
                 folder ? Command::Kind::folder : Command::Kind::file, "", std::move(text), "",
                 target::File{entry.url}, std::move(detail));
}

}  // namespace quillo::core
