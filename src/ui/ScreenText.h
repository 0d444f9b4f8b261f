// Record strings are bytes: shown as UTF-8 when they are valid UTF-8, otherwise byte by byte
// as Windows-1252; text the user types is stored as UTF-8.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace reelkeep {

QString ScreenText(std::string_view bytes);
std::string StoredText(const QString& text);

// A tooltip that shows `text` as it is: tooltips read text that looks like markup as markup,
// so such text is handed over escaped.
QString PlainTip(const QString& text);

}  // namespace reelkeep
