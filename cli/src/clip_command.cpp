#include <fmt/format.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

#include "arguments.h"
#include "clip_arguments.h"
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
using clipboard::ClipboardKind;
using clipboard::ClipboardPayload;

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

// What every action is given: its command line, where the history is, and the streams.
struct ClipContext {
  const ClipArguments& arguments;
  const platform::System& system;
  std::filesystem::path database;
  std::FILE* input;
  std::FILE* output;

  const std::vector<std::string>& operands() const { return arguments.operands; }
  // The operands after the action, joined by single spaces.
  std::string joinedOperands(std::size_t from = 1) const {
    std::string joined;
    for (std::size_t index = from; index < operands().size(); ++index) {
      if (index > from) joined += ' ';
      joined += operands()[index];
    }
    return joined;
  }
  std::vector<base::Uuid> ids() const {
    std::vector<base::Uuid> ids;
    for (std::size_t index = 1; index < operands().size(); ++index)
      ids.push_back(parseID(operands()[index]));
    return ids;
  }
  core::ClipboardPreferences preferences() const {
    platform::posix::PosixFileSystem files;
    const core::FileDefaultsStore defaults(core::FileDefaultsStore::standardPath(system), files);
    return core::ClipboardPreferences::read(defaults);
  }
  clipboard::ClipboardLimits limits() const {
    const auto settings = preferences();
    return clipboard::ClipboardLimits::fromSettings(settings.retentionDays, settings.storageMB,
                                                    settings.forgetsTokens);
  }
};

int addEntry(const ClipContext& context) {
  const clipboard::PreparedCopy prepared =
      prepare(context.arguments, payloadFor(context.arguments, context.input), taggerFor(context.system));
  clipboard::ClipboardStore store(context.database);
  const auto budget = context.limits();
  const ClipboardEntry saved =
      store.save(prepared.entry, prepared.payload, prepared.thumbnail, budget, now());
  fmt::print(context.output, "{}\n", saved.id.text());
  // The copy is kept whatever recognition does; its text makes the image searchable.
  if (saved.kind == ClipboardKind::image) {
    try {
      storeRecognised(store, saved.id, budget, context.system, nullptr);
    } catch (const std::exception& error) {
      fmt::print(stderr, "quillo-cli clip: the text in the image was not read: {}\n", error.what());
    }
  }
  return 0;
}

int listEntries(const ClipContext& context) {
  clipboard::ClipboardStore store(context.database);
  printEntries(context.output, store.search("", context.arguments.filter, context.arguments.limit),
               context.arguments.json);
  return 0;
}

int searchEntries(const ClipContext& context) {
  clipboard::ClipboardStore store(context.database);
  printEntries(context.output,
               store.search(context.joinedOperands(), context.arguments.filter, context.arguments.limit),
               context.arguments.json);
  return 0;
}

int printStrongMatch(const ClipContext& context) {
  clipboard::ClipboardStore store(context.database);
  const auto match = store.strongMatch(context.joinedOperands());
  if (context.arguments.json) {
    printJsonDocument(context.output, match ? entryJson(*match) : nlohmann::ordered_json(nullptr));
  } else if (match) {
    printEntries(context.output, {*match}, false);
  }
  return match ? 0 : 1;
}

int showEntry(const ClipContext& context) {
  const base::Uuid id = parseID(context.operands()[1]);
  clipboard::ClipboardStore store(context.database);
  const auto text = store.payload(id).plainText();
  if (!text) throw clipboard::ClipboardError(clipboard::ClipboardError::Code::invalidContent);
  fmt::print(context.output, "{}", *text);
  if (!text->ends_with('\n')) fmt::print(context.output, "\n");
  return 0;
}

int setPinned(const ClipContext& context, bool pinned) {
  const base::Uuid id = parseID(context.operands()[1]);
  clipboard::ClipboardStore store(context.database);
  store.setPinned(id, pinned, now());
  return 0;
}

int renameEntry(const ClipContext& context) {
  const base::Uuid id = parseID(context.operands()[1]);
  clipboard::ClipboardStore store(context.database);
  store.rename(id, context.joinedOperands(2));
  return 0;
}

int deleteEntries(const ClipContext& context) {
  const std::vector<base::Uuid> ids = context.ids();
  clipboard::ClipboardStore store(context.database);
  for (const base::Uuid& id : ids) {
    if (!store.entry(id)) throw clipboard::ClipboardError(clipboard::ClipboardError::Code::missingItem);
  }
  store.remove(ids);
  return 0;
}

int clearHistory(const ClipContext& context) {
  clipboard::ClipboardStore store(context.database);
  store.clear(context.arguments.includePinned);
  return 0;
}

int pruneHistory(const ClipContext& context) {
  clipboard::ClipboardStore store(context.database);
  store.prune(context.limits(), now());
  return 0;
}

int printStats(const ClipContext& context) {
  clipboard::ClipboardStore store(context.database);
  if (context.arguments.json) {
    printJsonDocument(context.output, {{"count", store.count()}, {"bytes", store.byteCount()}});
  } else {
    fmt::print(context.output, "count {}\nbytes {}\n", store.count(), store.byteCount());
  }
  return 0;
}

int cleanEntry(const ClipContext& context) {
  const base::Uuid id = parseID(context.operands()[1]);
  const clipboard::ClipboardStore store(context.database);
  printCleaned(store, id, context.output);
  return 0;
}

int recogniseImages(const ClipContext& context) {
  const std::size_t images = context.operands().size() - 1;
  if (context.arguments.store) {
    if (images != 0) throw UsageError("usage: quillo-cli clip ocr IMAGE... | --store ID");
    clipboard::ClipboardStore store(context.database);
    storeRecognised(store, parseID(*context.arguments.store), context.limits(), context.system,
                    context.output);
    return 0;
  }
  if (images == 0) throw UsageError("usage: quillo-cli clip ocr IMAGE... | --store ID");
  printRecognised(std::span(context.operands()).subspan(1), context.system, context.output);
  return 0;
}

int joinEntries(const ClipContext& context) {
  const std::vector<base::Uuid> ids = context.ids();
  // The preferences are read only when no separator is given.
  const std::string separator =
      context.arguments.separator ? *context.arguments.separator : context.preferences().separator;
  const clipboard::ClipboardStore store(context.database);
  printJoined(store, ids, separator, context.arguments.style, context.output, stderr);
  return 0;
}

// One clip action: its name, its usage line, the operands it takes after its name and the
// options it takes. Anything else on its command line is a usage error found before it runs.
struct ClipAction {
  std::string_view name;
  std::string_view usage;
  std::size_t minOperands;
  std::size_t maxOperands;
  ClipOptions options;
  int (*run)(const ClipContext&);
};

constexpr std::size_t kAny = std::numeric_limits<std::size_t>::max();
using enum ClipOption;

// "add" judges its own operands, as TEXT and --file exclude each other.
const std::array<ClipAction, 15> kActions{{
    {"add",
     "add [--title T] [--pinned] [SOURCE] TEXT | -",
     0,
     kAny,
     {database, title, pinned, file, type, app, bundleID, source},
     addEntry},
    {"list", "list [--filter F] [--limit N] [--json]", 0, 0, {database, filter, limit, json}, listEntries},
    {"search",
     "search QUERY [--filter F] [--limit N] [--json]",
     1,
     kAny,
     {database, filter, limit, json},
     searchEntries},
    {"strong", "strong QUERY [--json]", 1, kAny, {database, json}, printStrongMatch},
    {"show", "show ID", 1, 1, {database}, showEntry},
    {"pin", "pin ID", 1, 1, {database}, [](const ClipContext& context) { return setPinned(context, true); }},
    {"unpin",
     "unpin ID",
     1,
     1,
     {database},
     [](const ClipContext& context) { return setPinned(context, false); }},
    {"rename", "rename ID TITLE", 2, kAny, {database}, renameEntry},
    {"delete", "delete ID...", 1, kAny, {database}, deleteEntries},
    {"clear", "clear [--include-pinned]", 0, 0, {database, includePinned}, clearHistory},
    {"prune", "prune", 0, 0, {database}, pruneHistory},
    {"stats", "stats [--json]", 0, 0, {database, json}, printStats},
    {"clean", "clean ID", 1, 1, {database}, cleanEntry},
    // "ocr" judges its own operands, as IMAGE... and --store exclude each other.
    {"ocr", "ocr IMAGE... | --store ID", 0, kAny, {database, store}, recogniseImages},
    {"join",
     "join ID... [--separator S] [--style original|plain|clean]",
     1,
     kAny,
     {database, separator, style},
     joinEntries},
}};

const ClipAction& findAction(const std::vector<std::string>& operands) {
  if (operands.empty()) {
    throw UsageError(
        "clip needs add, list, search, strong, show, pin, unpin, rename, delete, clear, prune, stats, clean, "
        "ocr or join");
  }
  for (const ClipAction& action : kActions) {
    if (action.name == operands[0]) return action;
  }
  throw UsageError("unknown clip action '" + operands[0] + "'");
}

// Refuses options the action does not take and a wrong number of operands, before anything
// is read or changed.
void checkCommandLine(const ClipAction& action, const ClipArguments& arguments) {
  for (ClipOption option : arguments.given) {
    if (!action.options.contains(option)) {
      throw UsageError(fmt::format("{} does not take {}", action.name, optionName(option)));
    }
  }
  const std::size_t count = arguments.operands.size() - 1;
  if (count < action.minOperands || count > action.maxOperands) {
    throw UsageError(fmt::format("usage: quillo-cli clip {}", action.usage));
  }
}

}  // namespace

int runClip(std::span<const std::string> words, std::FILE* input, std::FILE* output) {
  const ClipArguments arguments = parseClipArguments(words);
  if (arguments.help) {
    fmt::print(output, "{}", kClipHelp);
    return 0;
  }
  const ClipAction& action = findAction(arguments.operands);
  checkCommandLine(action, arguments);

  const platform::posix::PosixSystem system;
  const std::filesystem::path database =
      arguments.database
          ? std::filesystem::path(*arguments.database)
          : clipboard::ClipboardStore::standardPath(system.environment("XDG_DATA_HOME"), system.homeFolder());
  return action.run({arguments, system, database, input, output});
}

}  // namespace quillo::cli
