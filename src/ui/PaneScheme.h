// The "rkpage" address scheme: the pages that the templates make are served to the pane from
// memory under "rkpage:/<serial>", with the charset of the template's output. Pages of any
// size pass (a Multiple page of thousands of movies is megabytes), and as a local scheme they
// may load the style sheets and pictures that the templates link by file address.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

class QWebEngineProfile;

namespace reelkeep {

inline constexpr char kPaneScheme[] = "rkpage";

// Must run before the application object exists.
void RegisterPaneScheme();

// Registers a scheme of our own whose pages are local and may load local files; a scheme
// registered already is left alone. Must run before the application object exists.
void RegisterLocalScheme(const QByteArray& name);

// The page store of one profile: holds the latest page only.
class PanePages {
public:
    // Installs the scheme's handler on the profile once; the store is the profile's.
    static PanePages& Of(QWebEngineProfile* profile);

    // Keeps the page and returns the address that serves it.
    QUrl Publish(QByteArray bytes, const QString& mediaType, const QString& encoding);
    // True for the address of a page that Publish made.
    static bool IsPaneUrl(const QUrl& url);

    struct Page {
        QUrl url;
        QByteArray bytes;
        QByteArray contentType;
    };
    const Page& Current() const { return page_; }

private:
    Page page_;
    quint64 serial_ = 0;
};

}  // namespace reelkeep
