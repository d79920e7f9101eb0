#pragma once

#include <vector>

/// The one evaluation stack of the process, shared by every Function. Its
/// storage is kept between evaluations.
std::vector<double>& EvaluationStack();
