#include "cli/commands.h"

#include "engine/function.h"
#include "engine/functionexception.h"
#include "platform/cp1250.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

bool ParseDouble(std::string_view text, double& value)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseInt(std::string_view text, int& value)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// The highest order the engine's Taylor arithmetic carries.
constexpr int kMaxOrder = Function::kMaxOrder;

} // namespace

// eval [--degrees] [--order N] [--program] FORMULA [X ...]
int RunEval(int argc, char** argv)
{
    bool degrees = false;
    bool program = false;
    int order = 0;
    int i = 0;
    for (; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--degrees") {
            degrees = true;
        } else if (arg == "--program") {
            program = true;
        } else if (arg == "--order") {
            if (i + 1 >= argc || !ParseInt(argv[i + 1], order) || order < 0 || order > kMaxOrder) {
                std::fprintf(stderr, "--order: rząd pochodnej musi być liczbą całkowitą od 0 do %d\n",
                             kMaxOrder);
                return 1;
            }
            ++i;
        } else {
            break; // the formula, even when it begins with '-'
        }
    }
    if (i >= argc) {
        return UsageError("eval [--degrees] [--order N] [--program] WZÓR [X ...]");
    }
    const std::string formula = Cp1250::FromUtf8(argv[i++]);

    std::vector<double> arguments;
    for (; i < argc; ++i) {
        double x = 0;
        if (!ParseDouble(argv[i], x)) {
            std::fprintf(stderr, "niepoprawna wartość x: '%s'\n", argv[i]);
            return 1;
        }
        arguments.push_back(x);
    }

    Function function;
    function.m_bDegrees = degrees;
    function.m_bThrowSyntaxErrors = true;
    function.m_bThrowEvalErrors = false;
    try {
        function.SetFormula(formula);
    } catch (const FunctionException& e) {
        std::printf("syntax error: %s at %d\n", Cp1250::ToUtf8(e.m_strMessage).c_str(),
                    e.m_nPosition);
        return 2;
    }

    if (program) {
        std::string line = "program:";
        for (int32_t code : function.GetProgram())
            line.append(" ").append(std::to_string(code));
        std::printf("%s\n", line.c_str());
        std::printf("constants:");
        for (double c : function.GetConstants())
            std::printf(" %.17g", c);
        std::printf("\n");
    }
    for (double x : arguments) {
        const double y = function.EvaluateDerivative(x, order);
        if (function.HasErrors())
            std::printf("error: %s\n", Cp1250::ToUtf8(function.GetError().first).c_str());
        else
            std::printf("%.17g\n", y);
    }
    return 0;
}
