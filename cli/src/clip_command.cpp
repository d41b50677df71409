#include <fmt/format.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

#include "arguments.h"
#include "clip_content.h"
#include "clip_json.h"
#include "commands.h"
#include "quillo/base/bounded_read.h"
#include "quillo/base/unicode.h"
#include "quillo/clipboard/clipboard_error.h"
#include "quillo/clipboard/clipboard_store.h"
#include "quillo/clipboard/copy_preparation.h"
#include "quillo/core/preferences/clipboard_preferences.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/posix_system.h"

namespace quillo::cli {

const std::string_view kClipHelp = R"(usage: quillo-cli clip add [--title T] [--pinned] [SOURCE] TEXT | -
       quillo-cli clip add --file PATH|- --type TYPE [--title T] [--pinned] [SOURCE]
       quillo-cli clip list [--filter F] [--limit N] [--json]
       quillo-cli clip search QUERY [--filter F] [--limit N] [--json]
       quillo-cli clip strong QUERY [--json]
       quillo-cli clip show ID
       quillo-cli clip pin ID | unpin ID | rename ID TITLE | delete ID...
       quillo-cli clip clear [--include-pinned]
       quillo-cli clip prune
       quillo-cli clip stats [--json]
       quillo-cli clip clean ID
       quillo-cli clip ocr IMAGE... | --store ID
       quillo-cli clip join ID... [--separator S] [--style original|plain|clean]

Reads and changes the clipboard history ($XDG_DATA_HOME/quillo/Clipboard/history.sqlite, or
~/.local/share/quillo/Clipboard/history.sqlite). "add" records a copy as the app does: TEXT
(or standard input with -), or one representation of type TYPE read from a file (public.png,
public.tiff, public.jpeg and public.heic are images, public.file-url a file); it prints the
entry's id. Limits come from the clipboard preferences (clipboard.days, clipboard.megabytes,
clipboard.forgetTokens). "add" tags what it records as the app does (categories such as
link, email, date, code or token, and the source), SOURCE being --app NAME, --bundle-id ID and
--source URL (the page copied from). "strong" prints the entry the launcher would offer for
QUERY. "clean" prints an entry's text with its Markdown turned into plain text; "ocr" prints
the text in image files, or with --store the text in an image entry, which it also stores so
that searches find it ("add" of an image does this too), read in the language of the locale
and English; "join" prints entries combined as the history window pastes them
together, in the order given, with the separator of the preferences (clipboard.separator, one
line feed by default) unless --separator says otherwise, in style original by default.

options:
  --database FILE     use another history file
  --filter F          all, text, images, files, links or pinned
  --limit N           at most N entries
  --json              entries as JSON
  --include-pinned    clear pinned entries too
  --app NAME          the application copied from (add)
  --bundle-id ID      its bundle identifier (add)
  --source URL        the page copied from (add)
  --store ID          read and store the text of this image entry (ocr)
  --separator S       what joins entries (join)
  --style STYLE       original, plain or clean (join)
  -h, --help          show this help
)";

namespace {

using clipboard::ClipboardEntry;
using clipboard::ClipboardFilter;
using clipboard::ClipboardKind;
using clipboard::ClipboardPayload;

struct ClipArguments {
  bool help = false;
  bool json = false;
  bool pinned = false;
  bool includePinned = false;
  std::optional<std::string> database;
  std::optional<std::string> title;
  std::optional<std::string> file;
  std::optional<std::string> type;
  std::optional<std::string> app;
  std::optional<std::string> bundleID;
  std::optional<std::string> source;
  std::optional<std::string> separator;
  std::optional<std::string> store;
  clipboard::ClipboardComposition::TextStyle style = clipboard::ClipboardComposition::TextStyle::original;
  ClipboardFilter filter = ClipboardFilter::all;
  std::size_t limit = std::numeric_limits<std::size_t>::max();
  std::vector<std::string> operands;
};

ClipboardFilter parseFilter(std::string_view text) {
  for (ClipboardFilter filter : clipboard::kAllClipboardFilters) {
    const std::string_view label = rawValue(filter);
    if (base::equalsIgnoringAsciiCase(text, label)) return filter;
  }
  throw UsageError("--filter takes all, text, images, files, links or pinned, not '" + std::string(text) +
                   "'");
}

ClipArguments parseClipArguments(std::span<const std::string> words) {
  ClipArguments arguments;
  walkCommandLine(
      words, [&](const std::string& word) { arguments.operands.push_back(word); },
      [&](const std::string& name, const std::function<std::string()>& value) {
        if (name == "-h" || name == "--help") {
          arguments.help = true;
        } else if (name == "--json") {
          arguments.json = true;
        } else if (name == "--pinned") {
          arguments.pinned = true;
        } else if (name == "--include-pinned") {
          arguments.includePinned = true;
        } else if (name == "--database") {
          arguments.database = value();
          if (arguments.database->empty()) throw UsageError("--database needs a file");
        } else if (name == "--title") {
          arguments.title = value();
        } else if (name == "--file") {
          arguments.file = value();
        } else if (name == "--type") {
          arguments.type = value();
        } else if (name == "--app") {
          arguments.app = value();
        } else if (name == "--bundle-id") {
          arguments.bundleID = value();
        } else if (name == "--source") {
          arguments.source = value();
        } else if (name == "--store") {
          arguments.store = value();
        } else if (name == "--separator") {
          arguments.separator = value();
        } else if (name == "--style") {
          const std::string text = value();
          const auto style = clipboard::textStyleFromRaw(text);
          if (!style) throw UsageError("--style takes original, plain or clean, not '" + text + "'");
          arguments.style = *style;
        } else if (name == "--filter") {
          arguments.filter = parseFilter(value());
        } else if (name == "--limit") {
          arguments.limit = parseLimit(value());
        } else {
          throw UsageError("unknown option '" + name + "'");
        }
      });
  return arguments;
}

// One copy never needs more; reading stops just past it, so a source that never ends cannot
// take all memory.
constexpr std::size_t kMaxCopyBytes = std::size_t{64} << 20;

std::runtime_error tooLarge(const std::string& what) {
  return std::runtime_error("cannot add " + what + ": it is larger than 64 MB");
}

std::string readAll(std::FILE* stream) {
  std::string bytes;
  char buffer[65536];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0) {
    bytes.append(buffer, count);
    if (bytes.size() > kMaxCopyBytes) throw tooLarge("standard input");
  }
  return bytes;
}

std::string readFile(const std::string& path, std::FILE* input) {
  if (path == "-") return readAll(input);
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  std::optional<std::string> bytes = base::readAtMost(file, kMaxCopyBytes);
  if (file.bad()) throw std::runtime_error("cannot read " + path);
  if (!bytes) throw tooLarge(path);
  return std::move(*bytes);
}

base::Date now() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  return base::Date{std::chrono::duration<double>(since).count()};
}

base::Uuid parseID(const std::string& text) {
  const auto id = base::Uuid::parse(text);
  if (!id) throw UsageError("'" + text + "' is not an entry id");
  return *id;
}

// The copy `add` records, prepared as the app prepares what it records; --title and --pinned
// apply afterwards.
clipboard::PreparedCopy prepare(const ClipArguments& arguments, ClipboardPayload payload,
                                const clipboard::ClipboardTagger& tagger) {
  const std::optional<base::Url> page =
      arguments.source ? std::optional(base::Url{*arguments.source}) : std::nullopt;
  clipboard::PreparedCopy prepared = clipboard::prepareCopy(
      clipboard::capturedPayload(std::move(payload), arguments.app.value_or("quillo-cli"),
                                 arguments.bundleID.value_or(""), page, now()),
      tagger);
  if (arguments.title || arguments.pinned) {
    ClipboardEntry::Fields fields{.id = prepared.entry.id,
                                  .title = arguments.title.value_or(prepared.entry.title),
                                  .text = prepared.entry.text,
                                  .kind = prepared.entry.kind,
                                  .sourceAppID = prepared.entry.sourceAppID,
                                  .sourceAppName = prepared.entry.sourceAppName,
                                  .copiedAt = prepared.entry.copiedAt,
                                  .isPinned = arguments.pinned,
                                  .byteCount = prepared.entry.byteCount,
                                  .tags = prepared.entry.tags};
    prepared.entry = ClipboardEntry(std::move(fields));
  }
  return prepared;
}

ClipboardPayload payloadFor(const ClipArguments& arguments, std::FILE* input) {
  if (arguments.file) {
    if (!arguments.type || arguments.type->empty())
      throw UsageError("--file needs --type, such as public.png");
    if (!arguments.operands.empty() && arguments.operands.size() != 1)
      throw UsageError("add takes --file or TEXT");
    const std::string bytes = readFile(*arguments.file, input);
    return {{{{*arguments.type, clipboard::Bytes(bytes.begin(), bytes.end())}}}};
  }
  if (arguments.type) throw UsageError("--type goes with --file");
  if (arguments.operands.size() < 2)
    throw UsageError("usage: quillo-cli clip add [--title T] [--pinned] TEXT");
  std::string text;
  if (arguments.operands.size() == 2 && arguments.operands[1] == "-") {
    text = readAll(input);
  } else {
    for (std::size_t index = 1; index < arguments.operands.size(); ++index) {
      if (index > 1) text += ' ';
      text += arguments.operands[index];
    }
  }
  return ClipboardPayload::text(text);
}

void printEntries(std::FILE* output, const std::vector<ClipboardEntry>& entries, bool json) {
  if (json) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const ClipboardEntry& entry : entries)
      array.push_back(entryJson(entry));
    printJsonDocument(output, array);
    return;
  }
  for (const ClipboardEntry& entry : entries) {
    fmt::print(output, "{}\t{}\t{}\t{}\n", entry.id.text(), rawValue(entry.kind),
               entry.isPinned ? "pinned" : "-", oneLine(entry.title));
  }
}

}  // namespace

int runClip(std::span<const std::string> words, std::FILE* input, std::FILE* output) {
  const ClipArguments arguments = parseClipArguments(words);
  if (arguments.help) {
    fmt::print(output, "{}", kClipHelp);
    return 0;
  }
  const auto& operands = arguments.operands;
  const std::string action = operands.empty() ? "" : operands[0];
  const auto expect = [&](std::size_t count, std::string_view shape) {
    if (operands.size() != count) throw UsageError(fmt::format("usage: quillo-cli clip {}", shape));
  };
  const auto rest = [&] {
    std::string joined;
    for (std::size_t index = 1; index < operands.size(); ++index) {
      if (index > 1) joined += ' ';
      joined += operands[index];
    }
    return joined;
  };

  static constexpr std::array<std::string_view, 15> kActions{"add",   "list",  "search", "strong", "show",
                                                             "pin",   "unpin", "rename", "delete", "clear",
                                                             "prune", "stats", "clean",  "ocr",    "join"};
  if (std::find(kActions.begin(), kActions.end(), action) == kActions.end()) {
    throw UsageError(action.empty()
                         ? "clip needs add, list, search, strong, show, pin, unpin, rename, delete, clear, "
                           "prune, stats, clean, ocr or join"
                         : "unknown clip action '" + action + "'");
  }

  const platform::posix::PosixSystem system;
  const std::filesystem::path file =
      arguments.database
          ? std::filesystem::path(*arguments.database)
          : clipboard::ClipboardStore::standardPath(system.environment("XDG_DATA_HOME"), system.homeFolder());
  const auto limits = [&] {
    platform::posix::PosixFileSystem files;
    const core::FileDefaultsStore defaults(core::FileDefaultsStore::standardPath(system), files);
    const auto preferences = core::ClipboardPreferences::read(defaults);
    return clipboard::ClipboardLimits::fromSettings(preferences.retentionDays, preferences.storageMB,
                                                    preferences.forgetsTokens);
  };

  if (action == "add") {
    const clipboard::PreparedCopy prepared =
        prepare(arguments, payloadFor(arguments, input), taggerFor(system));
    clipboard::ClipboardStore store(file);
    const auto budget = limits();
    const ClipboardEntry saved =
        store.save(prepared.entry, prepared.payload, prepared.thumbnail, budget, now());
    fmt::print(output, "{}\n", saved.id.text());
    // The copy is kept whatever recognition does; its text makes the image searchable.
    if (saved.kind == ClipboardKind::image) {
      try {
        storeRecognised(store, saved.id, budget, system, nullptr);
      } catch (const std::exception& error) {
        fmt::print(stderr, "quillo-cli clip: the text in the image was not read: {}\n", error.what());
      }
    }
  } else if (action == "list") {
    expect(1, "list [--filter F] [--limit N] [--json]");
    clipboard::ClipboardStore store(file);
    printEntries(output, store.search("", arguments.filter, arguments.limit), arguments.json);
  } else if (action == "search") {
    if (operands.size() < 2) throw UsageError("usage: quillo-cli clip search QUERY");
    clipboard::ClipboardStore store(file);
    printEntries(output, store.search(rest(), arguments.filter, arguments.limit), arguments.json);
  } else if (action == "strong") {
    if (operands.size() < 2) throw UsageError("usage: quillo-cli clip strong QUERY");
    clipboard::ClipboardStore store(file);
    const auto match = store.strongMatch(rest());
    if (arguments.json) {
      printJsonDocument(output, match ? entryJson(*match) : nlohmann::ordered_json(nullptr));
    } else if (match) {
      printEntries(output, {*match}, false);
    }
    return match ? 0 : 1;
  } else if (action == "show") {
    expect(2, "show ID");
    const base::Uuid id = parseID(operands[1]);
    clipboard::ClipboardStore store(file);
    const auto text = store.payload(id).plainText();
    if (!text) throw clipboard::ClipboardError(clipboard::ClipboardError::Code::invalidContent);
    fmt::print(output, "{}", *text);
    if (!text->ends_with('\n')) fmt::print(output, "\n");
  } else if (action == "pin" || action == "unpin") {
    expect(2, action + " ID");
    const base::Uuid id = parseID(operands[1]);
    clipboard::ClipboardStore store(file);
    store.setPinned(id, action == "pin", now());
  } else if (action == "rename") {
    if (operands.size() < 3) throw UsageError("usage: quillo-cli clip rename ID TITLE");
    const base::Uuid id = parseID(operands[1]);
    std::string title;
    for (std::size_t index = 2; index < operands.size(); ++index) {
      if (index > 2) title += ' ';
      title += operands[index];
    }
    clipboard::ClipboardStore store(file);
    store.rename(id, title);
  } else if (action == "delete") {
    if (operands.size() < 2) throw UsageError("usage: quillo-cli clip delete ID...");
    std::vector<base::Uuid> ids;
    for (std::size_t index = 1; index < operands.size(); ++index)
      ids.push_back(parseID(operands[index]));
    clipboard::ClipboardStore store(file);
    for (const base::Uuid& id : ids) {
      if (!store.entry(id)) throw clipboard::ClipboardError(clipboard::ClipboardError::Code::missingItem);
    }
    store.remove(ids);
  } else if (action == "clear") {
    expect(1, "clear [--include-pinned]");
    clipboard::ClipboardStore store(file);
    store.clear(arguments.includePinned);
  } else if (action == "prune") {
    expect(1, "prune");
    clipboard::ClipboardStore store(file);
    store.prune(limits(), now());
  } else if (action == "clean") {
    expect(2, "clean ID");
    const base::Uuid id = parseID(operands[1]);
    const clipboard::ClipboardStore store(file);
    printCleaned(store, id, output);
  } else if (action == "ocr") {
    if (arguments.store) {
      if (operands.size() != 1) throw UsageError("usage: quillo-cli clip ocr --store ID");
      clipboard::ClipboardStore store(file);
      storeRecognised(store, parseID(*arguments.store), limits(), system, output);
      return 0;
    }
    if (operands.size() < 2) throw UsageError("usage: quillo-cli clip ocr IMAGE... | --store ID");
    printRecognised(std::span(operands).subspan(1), system, output);
  } else if (action == "join") {
    if (operands.size() < 2)
      throw UsageError("usage: quillo-cli clip join ID... [--separator S] [--style STYLE]");
    std::vector<base::Uuid> ids;
    for (std::size_t index = 1; index < operands.size(); ++index)
      ids.push_back(parseID(operands[index]));
    const std::string separator = arguments.separator.value_or([&] {
      platform::posix::PosixFileSystem files;
      const core::FileDefaultsStore defaults(core::FileDefaultsStore::standardPath(system), files);
      return core::ClipboardPreferences::read(defaults).separator;
    }());
    const clipboard::ClipboardStore store(file);
    printJoined(store, ids, separator, arguments.style, output, stderr);
  } else if (action == "stats") {
    expect(1, "stats [--json]");
    clipboard::ClipboardStore store(file);
    if (arguments.json) {
      printJsonDocument(output, {{"count", store.count()}, {"bytes", store.byteCount()}});
    } else {
      fmt::print(output, "count {}\nbytes {}\n", store.count(), store.byteCount());
    }
  }
  return 0;
}

}  // namespace quillo::cli
