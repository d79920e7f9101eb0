#pragma once

// The nine fixed messages of the formula engine, as code page 1250 bytes.
// Each line shows the text as the user reads it and a formula that raises it,
// with the position reported.
namespace EngineMessage {

// "Nieznany symbol": `x y` at 2, `3%` at 1, `xsin(x)` at 0.
inline constexpr char kUnknownSymbol[] = "Nieznany symbol";
// "Brak nawiasu otwierającego": `sin x` at 4.
inline constexpr char kMissingOpening[] = "Brak nawiasu otwieraj\xB9" "cego";
// "Brak nawiasu zamkającego lub operatora": `(x+1` at 4, `sin(x` at 5.
inline constexpr char kMissingClosing[] = "Brak nawiasu zamkaj\xB9" "cego lub operatora";
// "Brak liczby, zmiennej lub funkcji": `` at 0, `sin()` at 4, `2^--1` at 2.
inline constexpr char kMissingOperand[] = "Brak liczby, zmiennej lub funkcji";
// "Nieprawidłowa liczba argumentów": `sin(x,1)` at 5, `log(x)` at 5.
inline constexpr char kArgumentCount[] = "Nieprawid\xB3owa liczba argument\xF3w";
// "Oczekiwany operator lub koniec wyrażenia": `2 3` at 2, `(x+1)2` at 5.
inline constexpr char kExpectedOperator[] = "Oczekiwany operator lub koniec wyra\xBF" "enia";
// "Brak definicji funkcji": evaluating an object that never compiled, at -1.
inline constexpr char kNotDefined[] = "Brak definicji funkcji";
// "Dzielenie przez zero": `1/x` at x = 0, at -1.
inline constexpr char kDivisionByZero[] = "Dzielenie przez zero";
// "Błąd dziedziny": `sqrt(-1)`, `ln(0)`, `exp(1000)`, `1e400`, at -1.
inline constexpr char kDomainError[] = "B\xB3\xB9" "d dziedziny";

} // namespace EngineMessage
