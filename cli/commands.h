#pragma once

#include <string>
#include <string_view>

class FunctionContainer;

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

/// A and B of "A:B" read as the chart reads its x range: formulas at x = 0 in
/// the chart's angle unit, with its messages, and B above A. The chart itself
/// is left as it was. Throws FunctionContainerException.
void ReadRange(FunctionContainer& chart, const std::string& text, double& min, double& max);

/// Lets Qt's warnings through to standard error but not its notes, such as
/// the one about a missing runtime folder, which mean nothing here.
void QuietQtNotes();
