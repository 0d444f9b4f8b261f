// Writing a submission of the edit page back into the movie's record.
#pragma once

#include <string>
#include <string_view>

#include "catalog/CatalogDatabase.h"
#include "catalog/Movie.h"

namespace reelkeep {

// Stores every pair of the body whose name is exactly a field's name into the record, by the
// field's kind; pairs naming no field, pnSizes and dtAdded change nothing. A later pair wins.
void ApplyFormBody(std::string_view body, Movie& movie);

struct EditFormResult {
    // The body was a submission: the navigation is cancelled, edit mode ends and the pane shows
    // the focused movie again, whatever became of the record.
    bool submitted = false;
    bool stored = false;   // the record was written; the row shows `title` and `watched`
    std::string title;
    bool watched = false;
    bool gone = false;     // the movie is no longer in the catalog: nothing was stored
    // Nothing was stored because the catalog could not be had (in use, missing, damaged): the
    // window says so and stays in edit mode with the page as the user left it.
    bool keepEditing = false;
    std::string error;     // a message for the window to show (caption "Reelkeep")
};

// The posted bytes of a navigation of the pane. An empty body is no submission (a link, a form
// sent with GET). Otherwise the body goes into the movie `oid`, the one whose page posted it
// (0 when the page stands for none: nothing is stored), through a read-write connection of
// its own, which commits. A catalog that does not open stores nothing and says why; a movie
// that is gone stores nothing, with a message. A body that changes nothing in the
// record leaves it unwritten.
EditFormResult ApplyEditForm(std::string_view body, ObjectId oid, const std::string& catalogFile);

}  // namespace reelkeep
