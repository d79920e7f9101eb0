#pragma once

#include <vector>

/// The evaluation stack of the calling thread, shared by every Function the
/// thread evaluates. Its storage is kept between evaluations.
std::vector<double>& EvaluationStack();
