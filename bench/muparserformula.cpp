#include "bench/muparserformula.h"

#include "engine/function.h"
#include "engine/functionexception.h"

#include <cstdio>
#include <vector>

std::string MuParserFormula(const std::string& formula)
{
    Function f;
    f.m_bThrowSyntaxErrors = false;
    f.SetFormula(formula);
    if (!f.IsCompiled())
        return std::string();
    std::vector<std::string> stack;
    std::size_t constant = 0;
    auto pop = [&] {
        std::string top = stack.back();
        stack.pop_back();
        return top;
    };
    for (int32_t code : f.GetProgram()) {
        std::string a, b;
        if (code >= Function::kPlus && code <= Function::kPower) {
            b = pop();
            a = pop();
            // muparser's optimiser turns x^2, x^3 and x^4 into products, which
            // are other numbers than pow gives; x*1 is x and keeps it pow.
            if (code == Function::kPower && a == "x")
                a = "(x*1)";
            static const char ops[] = "+-*/^";
            stack.push_back("(" + a + ops[code - Function::kPlus] + b + ")");
            continue;
        }
        switch (code) {
        case Function::kNegate: stack.push_back("(-" + pop() + ")"); break;
        case Function::kPi: stack.push_back("pi"); break;
        case Function::kE: stack.push_back("2.718281828459045"); break;
        case Function::kX: stack.push_back("x"); break;
        case Function::kNumber: {
            char text[32];
            std::snprintf(text, sizeof text, "%.17g", f.GetConstants()[constant++]);
            stack.push_back(text);
            break;
        }
        case Function::kEnd: break;
        case Function::kSin: stack.push_back("sin(" + pop() + ")"); break;
        case Function::kAsin: stack.push_back("asin(" + pop() + ")"); break;
        case Function::kSinh: stack.push_back("sinh(" + pop() + ")"); break;
        case Function::kCos: stack.push_back("cos(" + pop() + ")"); break;
        case Function::kCosh: stack.push_back("cosh(" + pop() + ")"); break;
        case Function::kAcos: stack.push_back("acos(" + pop() + ")"); break;
        case Function::kTan: stack.push_back("tan(" + pop() + ")"); break;
        case Function::kTanh: stack.push_back("tanh(" + pop() + ")"); break;
        case Function::kAtan: stack.push_back("atan(" + pop() + ")"); break;
        case Function::kCtg: stack.push_back("(1/tan(" + pop() + "))"); break;
        case Function::kCtgh: stack.push_back("(1/tanh(" + pop() + "))"); break;
        case Function::kArcctg: stack.push_back("(pi*0.5-atan(" + pop() + "))"); break;
        case Function::kExp: stack.push_back("exp(" + pop() + ")"); break;
        case Function::kLog10: stack.push_back("log10(" + pop() + ")"); break;
        case Function::kLn: stack.push_back("ln(" + pop() + ")"); break;
        case Function::kSqr: a = pop(); stack.push_back("(" + a + "*" + a + ")"); break;
        case Function::kSqrt: stack.push_back("sqrt(" + pop() + ")"); break;
        case Function::kAbs: stack.push_back("abs(" + pop() + ")"); break;
        case Function::kPow:
            b = pop();
            a = pop();
            stack.push_back("(" + (a == "x" ? std::string("(x*1)") : a) + "^" + b + ")");
            break;
        case Function::kRoot: b = pop(); a = pop(); stack.push_back("(" + a + "^(1/" + b + "))"); break;
        case Function::kLog: b = pop(); a = pop(); stack.push_back("(ln(" + a + ")/ln(" + b + "))"); break;
        }
    }
    return stack.back();
}
