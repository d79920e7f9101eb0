#pragma once

#include <string_view>

// The commands of osiowiec-cli. Each takes the arguments after its own name
// and returns the process exit status.
int RunEval(int argc, char** argv);
int RunNew(int argc, char** argv);
int RunDump(int argc, char** argv);
int RunTable(int argc, char** argv);
int RunRender(int argc, char** argv);
int RunServe(int argc, char** argv);
int RunReceive(int argc, char** argv);
int RunAnalyze(int argc, char** argv);
int RunArea(int argc, char** argv);

/// Prints "użycie: osiowiec-cli USAGE" to standard error; returns 1.
int UsageError(std::string_view usage);
/// Prints a message of the system (code page 1250) to standard error; returns 1.
int ReportError(std::string_view message);
