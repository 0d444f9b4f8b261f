// Reading what the browser pane shows, from the tests.
#pragma once

#include <QString>
#include <QVariant>
#include <functional>

namespace reelkeep {
class BrowserPane;
}

namespace reelkeep::test {

// Waits until the pane has finished loading its current address; false on a time-out.
bool WaitForPaneLoad(BrowserPane& pane, int milliseconds = 15000);
// Runs script in the page and returns its result.
QVariant RunPageScript(BrowserPane& pane, const QString& script);
// The page's document.title once it has loaded.
QString PageTitle(BrowserPane& pane);
// Polls the condition for up to the given time while events run.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 15000);

}  // namespace reelkeep::test
