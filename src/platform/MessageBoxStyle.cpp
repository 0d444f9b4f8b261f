#include "platform/MessageBoxStyle.h"

#include <algorithm>

namespace reelkeep {

std::vector<int> MessageButtons(std::uint32_t style) {
    switch (style & 0xF) {
        case MB_OKCANCEL: return {IDOK, IDCANCEL};
        case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
        case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO: return {IDYES, IDNO};
        case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
        case MB_CANCELTRYCONTINUE: return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
        default: return {IDOK};
    }
}

MessageIcon MessageIconOf(std::uint32_t style) {
    switch (style & 0xF0) {
        case MB_ICONERROR: return MessageIcon::Error;
        case MB_ICONQUESTION: return MessageIcon::Question;
        case MB_ICONEXCLAMATION: return MessageIcon::Warning;
        case MB_ICONINFORMATION: return MessageIcon::Information;
        default: return MessageIcon::None;
    }
}

int MessageDefaultResult(std::uint32_t style) {
    const std::vector<int> buttons = MessageButtons(style);
    const std::size_t index = (style & 0xF00) >> 8;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

int MessageEscapeResult(std::uint32_t style) {
    const std::vector<int> buttons = MessageButtons(style);
    if (std::find(buttons.begin(), buttons.end(), IDCANCEL) != buttons.end()) return IDCANCEL;
    if (buttons.size() == 1) return IDOK;
    return 0;
}

}  // namespace reelkeep
