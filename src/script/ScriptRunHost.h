// What a script run shows and asks. The window's progress dialog implements it, as do the
// command line and the tests. Every call comes from the run's worker thread and may block until
// the user has answered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "catalog/Movie.h"
#include "net/HttpTransfers.h"

namespace reelkeep {

class ScriptRunHost : public TransferProgress {
public:
    // The numbers are the images of the run's list.
    enum class ItemState { Waiting = 0, Done = 1, Processing = 2 };

    // `item` is the movie's position in the run, in the order the movies are processed.
    virtual void SetItemState(std::size_t item, ItemState state) = 0;
    // The movie was stored: its title and watched flag as they are now, for every list.
    virtual void MovieStored(std::size_t item, const std::string& title, bool watched) = 0;

    // A message box with a style value (buttons, icon, default button); returns the result
    // identifier of the button that closed it.
    virtual int MessageBox(const std::string& text, const std::string& caption, std::uint32_t style) = 0;
    // One line of text: true with `value` set when confirmed; `value` untouched otherwise.
    virtual bool Input(std::string& value, const std::string& title, const std::string& label,
                       bool allowEmpty) = 0;
    // One entry of a list: its index, or -1 when cancelled.
    virtual int Select(const StringArray& items, const std::string& title, const std::string& label) = 0;
};

}  // namespace reelkeep
