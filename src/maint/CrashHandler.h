// The crash record: a fatal signal writes a post-mortem text record to
// "<documents>/Reelkeep/Reelkeep.dmp" and starts a fresh process of the program that tells the
// user where it lies ("<program> --crash-report <path>"). The handler itself uses only
// async-signal-safe calls; everything it needs is prepared when it is installed.
#pragma once

#include <string>

namespace reelkeep {

inline constexpr char kCrashReportArgument[] = "--crash-report";

// "<documents>/Reelkeep/Reelkeep.dmp"; empty without a documents folder.
std::string CrashRecordPath();

// Installs the handler for SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT and SIGSYS. A record is
// written only when the "Reelkeep" folder exists; without one the signal takes its default
// course. After a record the process ends with exit code 128 + signal.
void InstallCrashHandler();

// Puts back the handlers that were in place before InstallCrashHandler.
void RemoveCrashHandler();

}  // namespace reelkeep
