// The program's own texts used by the maintenance code and the windows that show its results.
#pragma once

#include <string>

namespace reelkeep {

inline constexpr char kProgramCaption[] = "Reelkeep";  // caption of every message box
inline constexpr char kUpdateQuestionText[] =
    "There are updates available.\nDo you want to download now?";
inline constexpr char kUpdatedText[] = "Reelkeep is now updated.";
inline constexpr char kUpdatedRestartText[] =
    "Reelkeep is now updated.\nThe application will now restart itself.";
inline constexpr char kCrashCaption[] = "Expection!";
inline constexpr char kCrashContactAddress[] = "crash-reports@reelkeep.tarvenn.example";

// The crash message, naming the record's path.
inline std::string CrashMessageText(const std::string& recordPath) {
    return std::string("An unexpected error has occured. Please send the following file, "
                       "including a details description to the author (") +
           kCrashContactAddress + ") in order to be able to solve the problem.\n" + recordPath;
}

}  // namespace reelkeep
