#pragma once

#include "platform/cp1250.h"
#include "platform/fileio.h"

#include <cstdio>
#include <string>

// The chart model's messages, held as code page 1250.
namespace ChartMessage {

inline constexpr auto kGridX = Cp1250::Text(u8"Błąd w odstępach siatki dla osi X");
inline constexpr auto kGridY = Cp1250::Text(u8"Błąd w odstępach siatki dla osi Y");
inline constexpr auto kScaleX = Cp1250::Text(u8"Błąd w odstępach podziałki dla osi X");
inline constexpr auto kScaleY = Cp1250::Text(u8"Błąd w odstępach podziałki dla osi Y");
inline constexpr auto kRangeXMin = Cp1250::Text(u8"Błąd w minimalnej wartości dla X");
inline constexpr auto kRangeXMax = Cp1250::Text(u8"Błąd w maksymalnej wartości dla X");
inline constexpr auto kRangeXOrder =
    Cp1250::Text(u8"Maksymalna wartość dla X musi być większa od minimalnej");
inline constexpr auto kRangeYMin = Cp1250::Text(u8"Błąd w minimalnej wartości dla Y");
inline constexpr auto kRangeYMax = Cp1250::Text(u8"Błąd w maksymalnej wartości dla Y");
// Without "od": the text as users have always seen it.
inline constexpr auto kRangeYOrder =
    Cp1250::Text(u8"Maksymalna wartość dla Y musi być większa minimalnej");
inline constexpr auto kTableMin = Cp1250::Text(u8"Błąd w minimalnej wartości X");
inline constexpr auto kTableMax = Cp1250::Text(u8"Błąd w maksymalnej wartości X");
inline constexpr auto kTableOrder =
    Cp1250::Text(u8"Maksymalna wartość X musi być większa od minimalnej");
inline constexpr auto kTableStep = Cp1250::Text(u8"Błąd w wartości kroku");
inline constexpr auto kTableStepSign = Cp1250::Text(u8"Krok musi być większy od zera");
inline constexpr auto kTableTooLong =
    Cp1250::Text(u8"Krok jest zbyt mały: tabela może mieć najwyżej 100000 wierszy");
inline constexpr auto kTooManyFunctions = Cp1250::Text(u8"Wykres może mieć najwyżej 50000 funkcji");
// Areas under a curve.
inline constexpr auto kAreaUndefined =
    Cp1250::Text(u8"Funkcja nie jest określona w całym przedziale");
inline constexpr auto kAreaDivergent = Cp1250::Text(u8"Całka jest rozbieżna");
inline constexpr auto kAreaInaccurate =
    Cp1250::Text(u8"Nie udało się obliczyć pola z wymaganą dokładnością");
inline constexpr auto kAreaTooLarge = Cp1250::Text(u8"Pole jest zbyt duże, aby je obliczyć");
// What an area is, in the result line and by the shaded area.
inline constexpr auto kAreaSigned = Cp1250::Text(u8"całka oznaczona");
inline constexpr auto kAreaGeometric = Cp1250::Text(u8"pole obszaru");
inline constexpr auto kAreaBetween = Cp1250::Text(u8"pole między wykresami");
/// %d is the index asked for, from 0.
inline constexpr auto kNoSuchFunction = Cp1250::Text(u8"Wykres nie ma funkcji o numerze %d");
/// Prefix, the parser's message and its position.
inline constexpr auto kSettingFormat = Cp1250::Text(u8"%s\n%s\nna pozycji %d");
/// Prefix and the engine's message, for an error without a position (one
/// found while evaluating, not while parsing).
inline constexpr auto kSettingFormatNoPosition = Cp1250::Text(u8"%s\n%s");

// Chart files; %s is the file name.
inline constexpr auto kNotAChart = Cp1250::Text(u8"'%s' nie jest plikiem programu Osiowiec");
// "odcztać" is the program's own spelling.
inline constexpr auto kReadFailed = Cp1250::Text(u8"Nie udało się odcztać pliku '%s'");
inline constexpr auto kWriteFailed = Cp1250::Text(u8"Nie udało się zapisać pliku '%s'");
/// kWriteFailed and why, as the system told.
inline constexpr auto kWriteFailedBecause = Cp1250::Text(u8"Nie udało się zapisać pliku '%s': %s");
inline constexpr auto kNoPermission = Cp1250::Text(u8"brak uprawnień");
inline constexpr auto kNoFolder = Cp1250::Text(u8"folder nie istnieje");
inline constexpr auto kDiskFull = Cp1250::Text(u8"brak miejsca na dysku");
inline constexpr auto kReadOnly = Cp1250::Text(u8"plik jest tylko do odczytu");
inline constexpr auto kIsFolder = Cp1250::Text(u8"to jest folder");
inline constexpr auto kNotRegular = Cp1250::Text(u8"to nie jest zwykły plik");
inline constexpr auto kNameTooLong = Cp1250::Text(u8"nazwa pliku jest za długa");

/// A message made from one of the formats above, as printf makes it.
template <typename... Args>
std::string Format(const char* format, Args... args)
{
    const int length = std::snprintf(nullptr, 0, format, args...);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

/// A setting's error: the prefix, the engine's message and its position; an
/// error without a position (one found while evaluating) never names one.
inline std::string SettingError(const char* prefix, const std::string& message, int32_t position)
{
    return position < 0 ? Format(kSettingFormatNoPosition.c_str(), prefix, message.c_str())
                        : Format(kSettingFormat.c_str(), prefix, message.c_str(), position);
}

/// The message of a failed write of the file `name` (code page 1250): with
/// the reason when the system gave one the user can act on.
inline std::string WriteFailed(const std::string& name, WriteFailure failure)
{
    const char* reason = nullptr;
    switch (failure) {
    case WriteFailure::kNoPermission:
        reason = kNoPermission.c_str();
        break;
    case WriteFailure::kNoFolder:
        reason = kNoFolder.c_str();
        break;
    case WriteFailure::kDiskFull:
        reason = kDiskFull.c_str();
        break;
    case WriteFailure::kReadOnly:
        reason = kReadOnly.c_str();
        break;
    case WriteFailure::kFolder:
        reason = kIsFolder.c_str();
        break;
    case WriteFailure::kNotRegular:
        reason = kNotRegular.c_str();
        break;
    case WriteFailure::kNameTooLong:
        reason = kNameTooLong.c_str();
        break;
    case WriteFailure::kNone:
    case WriteFailure::kOther:
        break;
    }
    return reason ? Format(kWriteFailedBecause.c_str(), name.c_str(), reason)
                  : Format(kWriteFailed.c_str(), name.c_str());
}

} // namespace ChartMessage
