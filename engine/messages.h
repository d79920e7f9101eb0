#pragma once

// The fixed messages of the formula engine, as code page 1250 bytes.
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
// "Nieprawidłowa liczba argumentów": `sin(x,1)` at 5, `log(x,2,3)` at 7,
// `jeżeli(x<0)` at 10.
inline constexpr char kArgumentCount[] = "Nieprawid\xB3owa liczba argument\xF3w";
// "Oczekiwany operator lub koniec wyrażenia": `2 3` at 2, `(x+1)2` at 5,
// `x i 2` at 2.
inline constexpr char kExpectedOperator[] = "Oczekiwany operator lub koniec wyra\xBF" "enia";
// "Brak definicji funkcji": evaluating an object that never compiled, at -1.
inline constexpr char kNotDefined[] = "Brak definicji funkcji";
// "Dzielenie przez zero": `1/x` at x = 0, at -1.
inline constexpr char kDivisionByZero[] = "Dzielenie przez zero";
// "Błąd dziedziny": `sqrt(-1)`, `ln(0)`, `exp(1000)`, `1e400`, at -1.
inline constexpr char kDomainError[] = "B\xB3\xB9" "d dziedziny";

// "Ułamki dziesiętne pisz z kropką: 0.5 zamiast 0,5": a number, a comma and a
// digit outside an argument list: `0,5` at 1, `(x+1,5)` at 4.
inline constexpr char kDecimalComma[] =
    "U\xB3" "amki dziesi\xEA" "tne pisz z kropk\xB9" ": 0.5 zamiast 0,5";
// "Porównanie może stać tylko w warunku funkcji jeżeli": a comparison where
// a value belongs: `x < 1` at 2, `x + (x < 1)` at 7, `sin(x = 0)` at 6.
inline constexpr char kComparisonAsValue[] =
    "Por\xF3wnanie mo\xBF" "e sta\xE6 tylko w warunku funkcji je\xBF" "eli";
// "Oczekiwane porównanie: <, <=, >, >=, = lub <>": a value where a condition
// belongs: `jeżeli(x, 1, 2)` at 8, `jeżeli(x < 1 i x, 1)` at 16.
inline constexpr char kConditionExpected[] =
    "Oczekiwane por\xF3wnanie: <, <=, >, >=, = lub <>";

} // namespace EngineMessage
