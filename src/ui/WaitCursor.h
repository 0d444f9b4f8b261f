// The wait cursor over work that keeps the user-interface thread busy (building and rendering
// a page, an export, a sort): shown while the object lives, so that every way out, an
// exception included, restores the cursor before anything else is shown.
#pragma once

namespace reelkeep {

class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace reelkeep
