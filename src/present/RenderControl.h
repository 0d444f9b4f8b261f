// Lets the thread that asked for a document or a page follow the work on another thread and
// stop it. The builder checks Stopped() between movies and counts each one it has put in; a
// transform under way is told to stop at its next instruction.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>

#include "present/XmlHandles.h"

namespace reelkeep {

class RenderControl {
public:
    RenderControl() = default;
    RenderControl(const RenderControl&) = delete;
    RenderControl& operator=(const RenderControl&) = delete;

    // Asks the work to end as soon as it can. Any thread may call it, any number of times.
    void Stop();
    bool Stopped() const { return stopped_.load(std::memory_order_relaxed); }

    // How many movies the document will hold, and how many it holds so far.
    void SetTotal(std::size_t movies) { total_.store(movies, std::memory_order_relaxed); }
    std::size_t Total() const { return total_.load(std::memory_order_relaxed); }
    void CountMovies(std::size_t movies) { done_.fetch_add(movies, std::memory_order_relaxed); }
    std::size_t Done() const { return done_.load(std::memory_order_relaxed); }

    // While alive, Stop() also ends this transform at its next instruction. A transform that
    // starts after Stop() is stopped before its first one.
    class TransformScope {
    public:
        TransformScope(RenderControl* control, xsltTransformContext* context);
        ~TransformScope();
        TransformScope(const TransformScope&) = delete;
        TransformScope& operator=(const TransformScope&) = delete;

    private:
        RenderControl* control_;
    };

private:
    static void StopTransform(xsltTransformContext* context);

    std::atomic<bool> stopped_{false};
    std::atomic<std::size_t> total_{0};
    std::atomic<std::size_t> done_{0};
    std::mutex mutex_;  // guards transform_
    xsltTransformContext* transform_ = nullptr;
};

}  // namespace reelkeep
