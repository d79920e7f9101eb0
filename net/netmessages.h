#pragma once

#include "platform/cp1250.h"

// The texts of chart sharing, held as code page 1250.
namespace NetMessage {

// The server and its dialog.
inline constexpr auto kServerOff = Cp1250::Text(u8"Serwer jest wyłączony");
inline constexpr auto kServerListening = Cp1250::Text(u8"Serwer jest aktywny i czeka na połączenia...");
inline constexpr auto kServerStarting = Cp1250::Text(u8"Rozruch serwera...");
inline constexpr auto kServerFailed = Cp1250::Text(u8"Nie udało się uruchomić serwera");
inline constexpr auto kStart = Cp1250::Text(u8"&Uruchom");
inline constexpr auto kStop = Cp1250::Text(u8"&Zatrzymaj");

// The client and its dialog.
inline constexpr auto kClientOff = Cp1250::Text(u8"Brak połączenia z serwerem");
inline constexpr auto kClientConnected = Cp1250::Text(u8"Połączony z serwerem");
inline constexpr auto kClientConnecting = Cp1250::Text(u8"Łączenie z serwerem...");
inline constexpr auto kNoAddress = Cp1250::Text(u8"Brak adresu serwera");
inline constexpr auto kConnectFailed = Cp1250::Text(u8"Nie udało się nawiązać połączenia");
inline constexpr auto kConnect = Cp1250::Text(u8"&Połącz");
inline constexpr auto kDisconnect = Cp1250::Text(u8"&Rozłącz");

// Why a connection ended while a chart was coming (the command-line client).
inline constexpr auto kChartCutOff = Cp1250::Text(u8"Połączenie zostało przerwane w trakcie odbierania wykresu");
inline constexpr auto kChartMalformed = Cp1250::Text(u8"Odebrane dane nie są wykresem programu Osiowiec");
// The server closed before the charts asked for had come.
inline constexpr auto kConnectionClosed = Cp1250::Text(u8"Połączenie zostało przerwane");
inline constexpr auto kTimedOut = Cp1250::Text(u8"Przekroczono czas oczekiwania na dane z serwera");

// The status-bar panes.
inline constexpr auto kPaneServer = Cp1250::Text(u8"SERWER");
inline constexpr auto kPaneClient = Cp1250::Text(u8"KLIENT  ");

} // namespace NetMessage
