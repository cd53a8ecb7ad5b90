#pragma once
// The execution trace: every engine method records its name ("CClass::Method") on entry. The
// last 256 names are kept in a ring and written to "QWLog.txt" only when an unexpected failure
// ends the program.
//
// Recording is one atomic step and a pointer store, cheap enough for every method and safe from
// the streaming threads. The ring stores the pointer, so a name must be a string literal (or
// otherwise live until the program ends).

#include <string>

namespace qw {

inline constexpr int kExecLogEntries = 256;
inline constexpr const char* kExecLogFileName = "QWLog.txt";

// Records `name`. Does nothing while the trace is off (before InitExecLog, after OutputExecLog).
void AddExecLog(const char* name);

// Starts the trace with an empty ring. False, leaving the trace as it was, when already started.
bool InitExecLog();

// Writes "QWLog.txt" into `directory` (which ends with a separator) when a directory is given
// and the trace is on, then stops the trace. Always true.
bool OutputExecLog(const std::string* directory);

// The text OutputExecLog writes, for tests and for the fatal-signal path.
std::string FormatExecLog();

} // namespace qw
