// The "res" address scheme: "res://<program file>/210" is the built-in help page. The scheme
// must be registered before the application object exists; the handler is installed once.
#pragma once

#include <QString>
#include <QUrl>

class QWebEngineProfile;

namespace reelkeep {

inline constexpr int kHelpResource = 210;

void RegisterResScheme();
void InstallResSchemeHandler(QWebEngineProfile* profile);

// "res://%s/%d" with the program file's full path and the resource number.
QUrl ResourceUrl(int resource);

}  // namespace reelkeep
