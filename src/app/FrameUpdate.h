// What the main frame keeps for the update check at start: its internet session, the check's
// thread and outcome, and whether a close waits for the check to end.
#pragma once

#include <atomic>
#include <thread>

#include "maint/UpdateCheck.h"
#include "net/CInternetSession.h"

namespace reelkeep {

struct FrameUpdate {
    CInternetSession session;
    std::thread thread;
    UpdateOutcome outcome;  // written by the thread, read once it has ended
    std::atomic<bool> finished = false;
    bool closePending = false;
    bool stopping = false;  // the frame goes away: no more questions, no finishing step
};

}  // namespace reelkeep
