// The media facts of a big drop's files, read ahead on a thread with a helper of its own, so
// that both cores share the media library's work. The drop still takes the facts one file at
// a time in its own order; a file the thread has not reached yet is read by the drop itself,
// and while the thread reads the file the drop waits for, the drop reads one further ahead.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "media/MediaFacts.h"
#include "media/MediaProbe.h"

namespace reelkeep {

class FactsPrefetch {
public:
    // Below this many files a second helper costs more to start than it saves.
    static constexpr std::size_t kLeastFiles = 16;
    // How far the thread may run ahead of the drop.
    static constexpr std::size_t kLookahead = 64;

    // `wanted[i]` says whether the drop will need the facts of `files[i]`; `own` is the drop's
    // helper, whose program and time limit the second helper shares.
    FactsPrefetch(const std::vector<std::string>& files, std::vector<bool> wanted, MediaProbe& own);
    // Stops the thread after the file in hand.
    ~FactsPrefetch();
    FactsPrefetch(const FactsPrefetch&) = delete;
    FactsPrefetch& operator=(const FactsPrefetch&) = delete;

    // The facts of files[index], read ahead or read now.
    MediaFacts Take(std::size_t index);
    // How many files the thread has read so far.
    std::size_t ReadAhead();

private:
    void Work(MediaProbe& probe);
    // The next wanted file nobody has claimed within reach of the drop; the lock is held.
    std::optional<std::size_t> ClaimNext();

    const std::vector<std::string>& files_;
    std::vector<bool> wanted_;
    MediaProbe& own_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<MediaFacts>> facts_;
    std::vector<bool> claimed_;
    std::size_t scan_ = 0;   // every wanted file before this one is claimed
    std::size_t taking_ = 0;  // where the drop is
    std::size_t readAhead_ = 0;
    bool stop_ = false;
    std::thread worker_;
};

}  // namespace reelkeep
