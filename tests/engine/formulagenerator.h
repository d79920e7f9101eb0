#pragma once

// Random formulas of the language for differential tests: every function,
// signs after operators, implied products, pieces with conditions (chains,
// i, lub, nie, parentheses; Polish and English words), and now and then a
// number that makes evaluation fail. Comparisons of x with small numbers put
// piece boundaries, and whole numbers and halves the jumps of floor and
// round, on the arguments the tests use.

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

    std::string Number(bool special = true)
    {
        static const char* const numbers[] = {"1", "2", "3", "0.5", "3.25", "10", "16", "7d2", "0.1", "180", "2.5"};
        static const char* const specials[] = {"0", "1e308", "1e-320", "1e400"};
        if (special && Pick(8) == 0)
            return specials[Pick(std::size(specials))];
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

    // A comparison, now and then a chain of two.
    std::string Comparison(int depth)
    {
        static const char* const relations[] = {"<", "<=", ">", ">=", "=", "<>"};
        std::string text = Pick(3) ? std::string("x") : Expression(depth - 2);
        for (int n = Pick(4) == 0 ? 2 : 1; n > 0; --n) {
            text += relations[Pick(std::size(relations))];
            // After a comparison a sign may lead: x > -1.
            if (Pick(3)) {
                if (Pick(3) == 0)
                    text += '-';
                text += Number(Pick(4) == 0);
            } else {
                text += Expression(depth - 2);
            }
        }
        return text;
    }

    // Where a piece of one branch is defined: a part of the axis that the
    // arguments reach, as -N <= x < M, x >= -N, nie x < -N, x < -N lub x > M.
    std::string Domain()
    {
        std::string low = "-";
        low += Number(false);
        const std::string high = Number(false);
        std::string text;
        switch (Pick(4)) {
        case 0:
            text = low;
            text += Pick(2) ? "<=x<" : "<x<=";
            text += high;
            break;
        case 1:
            text = Pick(2) ? "x>=" : "x>";
            text += low;
            break;
        case 2:
            text = Pick(2) ? "nie x<" : "not x<";
            text += low;
            break;
        default:
            text = "x<";
            text += low;
            text += Pick(2) ? " lub x>" : " or x>";
            text += high;
            break;
        }
        return text;
    }

    std::string Condition(int depth)
    {
        std::string text;
        for (int n = Pick(3);; --n) {
            if (Pick(5) == 0)
                text += Pick(2) ? "nie " : "not ";
            if (Pick(5) == 0 && depth > 0) {
                text += '(';
                text += Condition(depth - 1);
                text += ')';
            } else {
                text += Comparison(depth);
            }
            if (n <= 0)
                break;
            static const char* const joins[] = {" i ", " and ", " lub ", " or "};
            text += joins[Pick(std::size(joins))];
        }
        return text;
    }

    std::string Factor(int depth)
    {
        static const char* const unary[] = {"sin", "asin", "sinh", "cos", "cosh", "acos",
                                            "tan", "tanh", "atan", "ctg", "ctgh", "arcctg",
                                            "exp", "log10", "ln", "sqr", "sqrt", "abs",
                                            "log", "sgn", "znak", "floor", "pod\xB3oga", "ceil",
                                            "sufit", "round", "zaokr", "frac", "mantysa"};
        static const char* const binary[] = {"pow", "root", "log", "min", "max", "mod"};
        // Pieces from the second level up, so most formulas hold one or two,
        // and as often x more, which keeps the share of defined values.
        const int choice = depth <= 0 ? Pick(4) : depth == 1 ? Pick(8) : Pick(10);
        switch (choice) {
        case 0: case 1: case 9: return "x";
        case 2: return Number();
        case 3: {
            static const char* const constants[] = {"pi", "e", "x pi", "e x", "x sin(x)"};
            return Pick(2) ? constants[Pick(std::size(constants))] : Number() + "x";
        }
        case 4: case 5: return Call("", {Expression(depth - 1)});
        case 6: return Call(unary[Pick(std::size(unary))], {Expression(depth - 1)});
        case 8: {
            const char* name = Pick(2) ? "je\xBF" "eli" : "if";
            // Smaller than other calls' arguments: a piece has three.
            if (Pick(5) == 0)
                return Call(name, {Domain(), Expression(depth - 2)});
            std::string condition = Condition(depth - 2);
            std::string first = Expression(depth - 2);
            return Call(name, {std::move(condition), std::move(first), Expression(depth - 2)});
        }
        default: {
            const char* name = binary[Pick(std::size(binary))];
            std::string first = Expression(depth - 1);
            return Call(name, {std::move(first), Expression(depth - 1)});
        }
        }
    }

    std::mt19937 m_random;
};
