#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "abbreviation.h"
#include "entry_splitter.h"
#include "index_state.h"
#include "quillo/base/parallel.h"
#include "quillo/clipboard/clipboard_search_index.h"
#include "word_edits.h"

namespace quillo::clipboard {
namespace {

// Entries a worker takes at a time: enough to keep the lock quiet, few enough to share the work.
constexpr std::size_t kBatch = 32;

}  // namespace

struct ClipboardSearchIndex::Loader::Work {
  Work(ClipboardSearchIndex& index, unsigned threads) : index(index), threads(std::max(threads, 1u)) {
    for (unsigned number = 0; number < this->threads; ++number)
      splitters.emplace_back(number);
    // The calling thread produces entries until `finish`, then splits alongside the workers.
    for (unsigned number = 1; number < this->threads; ++number)
      workers.emplace_back([this, number] { split(number); });
  }

  ~Work() {
    {
      const std::lock_guard lock(mutex);
      closed = true;
      abandoned = true;
    }
    ready.notify_all();
  }

  // Splits entries as they come until the producer is done and nothing is left.
  void split(unsigned number) {
    try {
      std::vector<std::pair<SplitEntry*, std::uint32_t>> batch;
      while (true) {
        {
          std::unique_lock lock(mutex);
          ready.wait(lock, [&] { return closed || entries.size() - next >= kBatch; });
          if (abandoned || next == entries.size()) return;
          const std::size_t end = std::min(entries.size(), next + kBatch);
          batch.clear();
          for (; next < end; ++next)
            batch.emplace_back(&entries[next], static_cast<std::uint32_t>(next));
        }
        for (const auto& [entry, position] : batch)
          splitters[number].split(*entry, position);
      }
    } catch (...) {
      const std::lock_guard lock(mutex);
      if (!failure) failure = std::current_exception();
      abandoned = true;
    }
  }

  // Joins the split entries to the index, in steps.
  void merge();
  // Gives each entry kept a slot (the last of repeated ids wins) after removing what it replaces.
  void placeEntries();
  // Numbers every splitter's words for the whole index.
  void numberWords();
  // Splits the entries kept into one run of consecutive entries per thread, with about as many
  // words each.
  void balanceRuns();
  // Fills the entries' slots and the new words' deletion keys on every thread; with several
  // threads, also counts each run's entries per word.
  void fillSlots();
  void fillPostings();

  // Merge state: by batch position, the entry's slot; by splitter, the index's number of each
  // word; the words new to the index; the threads' runs and their counts per word.
  std::vector<SlotId> slotOf;
  std::vector<std::vector<WordId>> globalOf;
  std::vector<WordId> added;
  std::vector<std::pair<std::size_t, std::size_t>> runs;
  std::vector<std::vector<std::uint32_t>> counts;

  ClipboardSearchIndex& index;
  const unsigned threads;
  std::deque<EntrySplitter> splitters;
  // A deque, so that workers may hold on to entries while more are appended.
  std::deque<SplitEntry> entries;
  std::mutex mutex;
  std::condition_variable ready;
  std::size_t next = 0;
  bool closed = false;
  bool abandoned = false;
  bool finished = false;
  std::exception_ptr failure;
  std::vector<std::jthread> workers;
};

void ClipboardSearchIndex::Loader::Work::merge() {
  placeEntries();
  numberWords();
  balanceRuns();
  fillSlots();
  fillPostings();
  State& state = *index.state_;
  for (std::size_t position = 0; position < entries.size(); ++position) {
    if (slotOf[position] == kNoSlot) continue;
    State::Slot& slot = state.slots[slotOf[position]];
    state.ids.emplace(slot.entry.id, slotOf[position]);
    slot.live = true;
  }
}

void ClipboardSearchIndex::Loader::Work::placeEntries() {
  State& state = *index.state_;
  const std::size_t count = entries.size();
  std::unordered_map<base::Uuid, std::size_t> lastOf;
  lastOf.reserve(count);
  for (std::size_t position = 0; position < count; ++position)
    lastOf.insert_or_assign(entries[position].entry.id, position);
  slotOf.assign(count, kNoSlot);
  state.slots.reserve(state.slots.size() + count);
  for (std::size_t position = 0; position < count; ++position) {
    const base::Uuid& id = entries[position].entry.id;
    if (lastOf[id] != position) continue;
    // Replaced entries leave first, so that the words they share with their replacements stay.
    index.remove(id);
    slotOf[position] = state.newSlot();
  }
}

void ClipboardSearchIndex::Loader::Work::numberWords() {
  State& state = *index.state_;
  globalOf.resize(threads);
  for (unsigned number = 0; number < threads; ++number) {
    globalOf[number].reserve(splitters[number].words().size());
    for (const std::string& word : splitters[number].words()) {
      const auto [id, isNew] = state.intern(word);
      globalOf[number].push_back(id);
      if (isNew) added.push_back(id);
    }
  }
}

void ClipboardSearchIndex::Loader::Work::balanceRuns() {
  std::size_t totalWords = 0;
  for (const SplitEntry& split : entries)
    totalWords += split.words.size();
  std::size_t start = 0;
  std::size_t seen = 0;
  for (std::size_t position = 0; position < entries.size(); ++position) {
    seen += entries[position].words.size();
    while (runs.size() + 1 < threads && seen * threads >= totalWords * (runs.size() + 1)) {
      runs.emplace_back(start, position + 1);
      start = position + 1;
    }
  }
  while (runs.size() < threads) {
    runs.emplace_back(start, entries.size());
    start = entries.size();
  }
}

void ClipboardSearchIndex::Loader::Work::fillSlots() {
  State& state = *index.state_;
  const std::size_t wordCount = state.words.size();
  counts.resize(threads);
  std::vector<std::vector<DeletionTable::Key>> keys(threads);
  // What the slots keep is allocated here, on the calling thread, rather than by the threads
  // below, which would take it from the splitters' arenas, among their word lists: those go
  // when the load ends, and pages holding a kept string or two could not be handed back.
  for (std::size_t position = 0; position < entries.size(); ++position) {
    if (slotOf[position] == kNoSlot) continue;
    const SplitEntry& split = entries[position];
    State::Slot& slot = state.slots[slotOf[position]];
    slot.terms.reserve(split.words.size());
    slot.label = split.label;
    slot.titleLength = split.titleLength;
  }
  base::runInParallel(threads, [&](std::size_t part) {
    // Only new words need deletion keys.
    std::vector<DeletionTable::Key>& run = keys[part];
    for (std::size_t at = part; at < added.size(); at += threads) {
      State::Word& word = state.words[added[at]];
      if (!State::takesDeletionKeys(word.text)) continue;
      for (std::uint32_t key : deletionKeyHashes(word.text))
        run.push_back({key, added[at]});
    }
    std::sort(run.begin(), run.end());

    std::vector<std::uint32_t>& counted = counts[part];
    if (threads > 1) counted.assign(wordCount, 0);
    for (std::size_t position = runs[part].first; position < runs[part].second; ++position) {
      if (slotOf[position] == kNoSlot) continue;
      SplitEntry& split = entries[position];
      State::Slot& slot = state.slots[slotOf[position]];
      const std::vector<WordId>& global = globalOf[split.splitter];
      for (std::uint32_t local : split.words) {
        slot.terms.push_back(global[local]);
        if (threads > 1) ++counted[global[local]];
      }
      slot.ownTermCount = split.ownWordCount;
      slot.abbreviationMasks = AbbreviationLabel(slot.label);
      slot.entry = std::move(split.entry);
    }
  });
  state.deletions.insertRuns(std::move(keys));
}

void ClipboardSearchIndex::Loader::Work::fillPostings() {
  State& state = *index.state_;
  if (threads == 1) {
    // Alone, appending in place is as quick as anything, and a save touches only its own words.
    for (std::size_t position = 0; position < entries.size(); ++position) {
      if (slotOf[position] == kNoSlot) continue;
      for (WordId id : state.slots[slotOf[position]].terms)
        state.words[id].postings.push_back(slotOf[position]);
    }
    return;
  }
  // Filled like a counting sort: every list grows once, with a stretch for each thread's run of
  // entries, and the threads fill their stretches. One append per entry and word, scattered over
  // the whole index, would otherwise be the costliest step of a load.
  const std::size_t wordCount = state.words.size();
  std::vector<std::vector<SlotId*>> destinations(threads, std::vector<SlotId*>(wordCount));
  for (WordId id = 0; id < wordCount; ++id) {
    std::size_t total = 0;
    for (unsigned part = 0; part < threads; ++part)
      total += counts[part][id];
    if (total == 0) continue;
    std::vector<SlotId>& postings = state.words[id].postings;
    std::size_t at = postings.size();
    postings.resize(at + total);
    for (unsigned part = 0; part < threads; ++part) {
      destinations[part][id] = postings.data() + at;
      at += counts[part][id];
    }
  }
  base::runInParallel(threads, [&](std::size_t part) {
    std::vector<SlotId*>& destination = destinations[part];
    for (std::size_t position = runs[part].first; position < runs[part].second; ++position) {
      if (slotOf[position] == kNoSlot) continue;
      for (WordId id : state.slots[slotOf[position]].terms)
        *destination[id]++ = slotOf[position];
    }
  });
}

ClipboardSearchIndex::Loader::Loader(ClipboardSearchIndex& index, unsigned threads)
    : work_(std::make_unique<Work>(index, threads)) {}

ClipboardSearchIndex::Loader::~Loader() = default;

void ClipboardSearchIndex::Loader::add(ClipboardEntry entry) {
  Work& work = *work_;
  std::size_t waiting;
  {
    const std::lock_guard lock(work.mutex);
    work.entries.emplace_back().entry = std::move(entry);
    waiting = work.entries.size() - work.next;
  }
  if (waiting == kBatch) work.ready.notify_one();
}

void ClipboardSearchIndex::Loader::finish() {
  Work& work = *work_;
  if (work.finished) throw std::logic_error("the loader has finished");
  work.finished = true;
  {
    const std::lock_guard lock(work.mutex);
    work.closed = true;
  }
  work.ready.notify_all();
  work.split(0);
  work.workers.clear();
  if (work.failure) std::rethrow_exception(work.failure);
  work.merge();
}

}  // namespace quillo::clipboard
