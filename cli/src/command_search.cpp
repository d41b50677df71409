#include "command_search.h"

#include <chrono>
#include <stdexcept>
#include <string>

#include "defaults_json.h"
#include "quillo/core/index/command_index.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/core/results/command_results.h"
#include "quillo/core/results/usage_store.h"
#include "quillo/core/search/service_questions.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "service_settings.h"

namespace quillo::cli {
namespace {

// The service's outcome for the query: off without a usable --service.
core::ServiceOutcome askService(const Arguments& arguments, const core::CommandIndex& index,
                                const core::UsageCounts& usage, const platform::System& system) {
  core::ServiceOutcome off;
  const auto settings = serviceSettings(arguments, off);
  if (!settings) return off;
  return core::askServiceAboutCommands(arguments.query, index, usage,
                                       [&] { return connect(*settings, system); });
}

}  // namespace

core::ResolverContext resolverContext(const Arguments& arguments, const platform::System& system) {
  double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  if (arguments.now) {
    try {
      now = parseIsoDate(*arguments.now).secondsSince1970;
    } catch (const std::invalid_argument& error) {
      throw UsageError(std::string("--now: ") + error.what());
    }
  }
  core::ResolverContext context = core::currentResolverContext(system, base::Date{now});
  if (arguments.timeZone) {
    if (!core::isKnownTimeZone(*arguments.timeZone)) {
      throw UsageError("--time-zone: unknown time zone '" + *arguments.timeZone +
                       "'; use an IANA name such as Europe/Zurich");
    }
    context.timeZone = *arguments.timeZone;
  }
  if (arguments.locale) {
    if (!core::isKnownLocale(*arguments.locale)) {
      throw UsageError("--locale: unknown locale '" + *arguments.locale +
                       "'; use an ICU locale such as en_US or de_CH");
    }
    context.locale = *arguments.locale;
  }
  return context;
}

CommandSearch searchCommands(const Arguments& arguments, const platform::System& system,
                             const core::ResolverContext& context, std::size_t limit) {
  core::ApplicationRoots roots = core::ApplicationRoots::standard(system);
  if (!arguments.applications.empty()) {
    roots = core::ApplicationRoots{.folders = {arguments.applications.begin(), arguments.applications.end()},
                                   .bundles = {}};
  }
  platform::posix::PosixFileSystem files;
  core::FileDefaultsStore defaults(core::FileDefaultsStore::standardPath(system), files);
  const core::QuilloPreferences preferences(defaults);
  const core::UsageStore usage(defaults);
  const core::CommandIndex index = core::CommandIndex::system(system, files, roots);
  const core::UsageCounts& counts = usage.rankingCounts(preferences.learnFromUsage());
  core::ServiceOutcome service = askService(arguments, index, counts, system);
  auto rows = core::commandResults(index, arguments.query, counts, context, limit,
                                   service.result ? &*service.result : nullptr);
  return {std::move(service), std::move(rows)};
}

}  // namespace quillo::cli
