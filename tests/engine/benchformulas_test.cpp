// The benchmarks' formula set lives in the repository, so a plain clone can
// run them; every formula in it must compile, or a benchmark would measure
// an error path instead of the evaluation.

#include "engine/function.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

TEST(BenchmarkFormulas, TheSetIsInTheRepositoryAndEveryFormulaCompiles)
{
    std::ifstream set(OSIOWIEC_BENCH_FORMULAS);
    ASSERT_TRUE(set) << OSIOWIEC_BENCH_FORMULAS " not found";
    Function function;
    int formulas = 0;
    for (std::string line; std::getline(set, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        function.SetFormula(line);
        EXPECT_FALSE(function.HasErrors()) << line << ": " << function.GetError().first;
        ++formulas;
    }
    EXPECT_GE(formulas, 10);
}

} // namespace
