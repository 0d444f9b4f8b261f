// Message box style values and results as scripts and the rest of the program pass them:
// buttons in the low four bits, the icon in the next four, the default button above them.
#pragma once

#include <cstdint>
#include <vector>

namespace reelkeep {

// Buttons
inline constexpr std::uint32_t MB_OK = 0x0;
inline constexpr std::uint32_t MB_OKCANCEL = 0x1;
inline constexpr std::uint32_t MB_ABORTRETRYIGNORE = 0x2;
inline constexpr std::uint32_t MB_YESNOCANCEL = 0x3;
inline constexpr std::uint32_t MB_YESNO = 0x4;
inline constexpr std::uint32_t MB_RETRYCANCEL = 0x5;
inline constexpr std::uint32_t MB_CANCELTRYCONTINUE = 0x6;
// Icons
inline constexpr std::uint32_t MB_ICONERROR = 0x10;  // also "hand" and "stop"
inline constexpr std::uint32_t MB_ICONQUESTION = 0x20;
inline constexpr std::uint32_t MB_ICONEXCLAMATION = 0x30;  // also "warning"
inline constexpr std::uint32_t MB_ICONINFORMATION = 0x40;  // also "asterisk"
// Default button
inline constexpr std::uint32_t MB_DEFBUTTON1 = 0x000;
inline constexpr std::uint32_t MB_DEFBUTTON2 = 0x100;
inline constexpr std::uint32_t MB_DEFBUTTON3 = 0x200;
inline constexpr std::uint32_t MB_DEFBUTTON4 = 0x300;

// Results: the button that closed the box.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDTRYAGAIN = 10;
inline constexpr int IDCONTINUE = 11;

enum class MessageIcon { None, Error, Question, Warning, Information };

// The buttons a style asks for, left to right, as result identifiers. Unknown button values
// fall back to a single OK button.
std::vector<int> MessageButtons(std::uint32_t style);
MessageIcon MessageIconOf(std::uint32_t style);
// The result of the default button; the first button when the style names one that is absent.
int MessageDefaultResult(std::uint32_t style);
// What closing the box without choosing (Escape, the close box) answers: Cancel where there is
// such a button, OK for a lone OK, otherwise nothing (0): the box cannot be dismissed that way.
int MessageEscapeResult(std::uint32_t style);

}  // namespace reelkeep
