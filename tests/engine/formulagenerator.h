#pragma once

// Random formulas of the language for differential tests: every function,
// signs after operators, implied products, and now and then a number that
// makes evaluation fail.

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <utility>

// Formulas from the grammar, with the numbers that make evaluation fail.
class FormulaGenerator
{
public:
    explicit FormulaGenerator(uint32_t seed) : m_random(seed) {}

    std::string Expression(int depth)
    {
        std::string text = Pick(4) == 0 ? "-" : "";
        text += Term(depth);
        for (int n = Pick(3); n > 0; --n) {
            text += Pick(2) ? "+" : "-";
            text += Term(depth);
        }
        return text;
    }

private:
    int Pick(int n) { return static_cast<int>(m_random() % static_cast<uint32_t>(n)); }

    std::string Term(int depth)
    {
        std::string text = Power(depth);
        for (int n = Pick(3); n > 0; --n) {
            // Written, with a sign now and then, or implied before a group.
            const int op = Pick(12);
            if (op == 0 && depth > 0) {
                text += '(';
                text += Expression(depth - 1);
                text += ')';
                continue;
            }
            text += op == 1 ? "*-" : op == 2 ? "/-" : Pick(2) ? "*" : "/";
            text += Power(depth);
        }
        return text;
    }

    std::string Power(int depth)
    {
        std::string text = Factor(depth);
        if (Pick(5) == 0) {
            text += Pick(4) == 0 ? "^-" : "^";
            text += Factor(depth);
        }
        return text;
    }

    std::string Number()
    {
        static const char* const numbers[] = {"1", "2", "3", "0.5", "3.25", "10", "16", "7d2", "0.1", "180"};
        static const char* const special[] = {"0", "1e308", "1e-320", "1e400"};
        if (Pick(8) == 0)
            return special[Pick(std::size(special))];
        return numbers[Pick(std::size(numbers))];
    }

    // Built by appending: GCC 12 at -O3 warns falsely on "(" + std::string.
    static std::string Call(const char* name, std::initializer_list<std::string> arguments)
    {
        std::string text = name;
        text += '(';
        for (const std::string& argument : arguments) {
            if (text.back() != '(')
                text += ',';
            text += argument;
        }
        text += ')';
        return text;
    }

    std::string Factor(int depth)
    {
        static const char* const unary[] = {"sin", "asin", "sinh", "cos", "cosh", "acos",
                                            "tan", "tanh", "atan", "ctg", "ctgh", "arcctg",
                                            "exp", "log10", "ln", "sqr", "sqrt", "abs"};
        static const char* const binary[] = {"pow", "root", "log"};
        const int choice = depth <= 0 ? Pick(4) : Pick(8);
        switch (choice) {
        case 0: case 1: return "x";
        case 2: return Number();
        case 3: {
            static const char* const constants[] = {"pi", "e", "x pi", "e x", "x sin(x)"};
            return Pick(2) ? constants[Pick(std::size(constants))] : Number() + "x";
        }
        case 4: case 5: return Call("", {Expression(depth - 1)});
        case 6: return Call(unary[Pick(std::size(unary))], {Expression(depth - 1)});
        default: {
            const char* name = binary[Pick(std::size(binary))];
            std::string first = Expression(depth - 1);
            return Call(name, {std::move(first), Expression(depth - 1)});
        }
        }
    }

    std::mt19937 m_random;
};
