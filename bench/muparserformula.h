#pragma once

#include <string>

/// The formula written for muparser so that it computes what our engine
/// computes: fully parenthesised from our compiled program (so a chain of
/// powers is left-associative, as ours), our functions spelled as muparser's
/// or as their definitions. Empty when the formula does not compile.
std::string MuParserFormula(const std::string& formula);
