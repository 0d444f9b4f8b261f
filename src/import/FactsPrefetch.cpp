#include "import/FactsPrefetch.h"

#include "maint/ProgramThread.h"

namespace reelkeep {

FactsPrefetch::FactsPrefetch(const std::vector<std::string>& files, std::vector<bool> wanted,
                             MediaProbe& own)
    : files_(files),
      wanted_(std::move(wanted)),
      own_(own),
      facts_(files.size()),
      claimed_(files.size(), false) {
    wanted_.resize(files.size(), false);
    worker_ = StartProgramThread([this] {
        MediaProbe probe(own_.Program(), own_.TimeLimit());
        Work(probe);
    });
}

FactsPrefetch::~FactsPrefetch() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

std::optional<std::size_t> FactsPrefetch::ClaimNext() {
    while (scan_ < files_.size() && (!wanted_[scan_] || claimed_[scan_])) ++scan_;
    if (scan_ == files_.size() || scan_ >= taking_ + kLookahead) return std::nullopt;
    claimed_[scan_] = true;
    return scan_;
}

void FactsPrefetch::Work(MediaProbe& probe) {
    std::unique_lock lock(mutex_);
    for (;;) {
        std::optional<std::size_t> index;
        changed_.wait(lock, [&] { return stop_ || (index = ClaimNext()) || scan_ == files_.size(); });
        if (stop_ || !index) return;
        lock.unlock();
        MediaFacts facts = ReadMediaFacts(files_[*index], probe);
        lock.lock();
        facts_[*index] = std::move(facts);
        ++readAhead_;
        changed_.notify_all();
    }
}

std::size_t FactsPrefetch::ReadAhead() {
    std::lock_guard lock(mutex_);
    return readAhead_;
}

MediaFacts FactsPrefetch::Take(std::size_t index) {
    std::unique_lock lock(mutex_);
    taking_ = index;
    changed_.notify_all();
    for (;;) {
        if (facts_[index]) {
            MediaFacts facts = std::move(*facts_[index]);
            facts_[index].reset();
            return facts;
        }
        if (!claimed_[index]) {
            claimed_[index] = true;
            lock.unlock();
            return ReadMediaFacts(files_[index], own_);
        }
        // The thread has this file in hand: rather than wait, the drop's own helper reads the
        // next file nobody has claimed, so that both helpers work at once.
        if (const std::optional<std::size_t> ahead = ClaimNext()) {
            lock.unlock();
            MediaFacts facts = ReadMediaFacts(files_[*ahead], own_);
            lock.lock();
            facts_[*ahead] = std::move(facts);
            continue;
        }
        changed_.wait(lock, [&] { return facts_[index].has_value(); });
    }
}

}  // namespace reelkeep
