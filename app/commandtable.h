#pragma once

#include "framework/commandids.h"

// The program's command resources: every command's menu text, key, status
// prompt and tooltip, and the toolbar's buttons.

/// A command as the menus, the toolbar and the status bar show it.
struct CommandText
{
    int id;
    const char* text;   ///< menu text with its mnemonic (UTF-8)
    const char* keys;   ///< shortcuts separated by "|", the first shown; empty for none
    const char* prompt; ///< status-bar prompt, a line break, the tooltip
    bool checkable;
};

// clang-format off
inline constexpr CommandText kCommandTable[] = {
    {Cmd::kFileNew, "&Nowy", "Ctrl+N", "Utwórz nowy wykrest\nNowy", false},
    {Cmd::kFileOpen, "&Otwórz...", "Ctrl+O", "Otwórz istniejący wykres\nOtwórz", false},
    {Cmd::kFileClose, "Za&mknij", "", "Zamknij aktywne okno\nZamknij", false},
    {Cmd::kFileSave, "&Zapisz", "Ctrl+S", "Zapisz aktywny wykres\nZapisz", false},
    {Cmd::kFileSaveAs, "Z&apisz jako...", "", "Zapisz aktywny wykres pod nową nazwą\nZapisz jako...", false},
    {Cmd::kExportChart, "&Eksportuj wykres...", "", "Zapisz wykres jako obraz PNG, rysunek SVG lub dokument PDF\nEksportuj wykres", false},
    {Cmd::kExportTable, "Eksportuj &tabelę...", "", "Zapisz tabelę wartości jako plik CSV\nEksportuj tabelę", false},
    {Cmd::kFilePrint, "&Drukuj...", "Ctrl+P", "Drukuj aktywny wykres\nDrukuj", false},
    {Cmd::kFilePrintPreview, "&Podgląd wydruku", "", "Podgląd wydruku\nPodgląd wydruku", false},
    {Cmd::kFilePrintSetup, "&Ustawienia wydruku...", "", "Zmień ustawienia wydruku\nUstawienia wydruku", false},
    {Cmd::kAppExit, "Za&kończ", "", "Zakończ program\nZakończ", false},
    {Cmd::kEditCopy, "&Kopiuj", "Ctrl+C|Ctrl+Ins", "Kopiuj wykres albo zaznaczone wiersze tabeli do schowka\nKopiuj", false},
    {Cmd::kAddFunction, "&Dodaj funkcję...", "Ctrl+D", "Dodaj nową funkcję\nDodaj nową funkcję", false},
    {Cmd::kProperties, "&Właściwości...", "Ctrl+W", "Edytuj ustawienia wykresu\nWłaściwości", false},
    {Cmd::kZoomIn, "&Powiększ", "Ctrl+I", "Powiększ wykres\nPowiększ", false},
    {Cmd::kZoomOut, "P&omniejsz", "Ctrl+U", "Pomniejsz wykres\nPomniejsz", false},
    {Cmd::kUndoZoom, "&Cofnij", "Ctrl+Z", "Cofnij ostatnie powiększenie lub pomniejszenie\nCofnij", false},
    {Cmd::kPointsOfInterest, "P&unkty charakterystyczne", "", "Pokaż lub ukryj miejsca zerowe, ekstrema i punkty przecięcia\nPunkty charakterystyczne", true},
    {Cmd::kAnalysis, "&Analiza wykresu...", "", "Wypisz miejsca zerowe, ekstrema i punkty przecięcia w widocznym zakresie\nAnaliza wykresu", false},
    {Cmd::kArea, "Po&le pod wykresem...", "", "Oblicz i zaznacz pole między wykresem funkcji a osią X\nPole pod wykresem", false},
    {Cmd::kModePoint, "Ws&kazywanie", "", "Ustaw tryb wskazywania\nWskazywanie", true},
    {Cmd::kModePan, "&Przesuwanie", "", "Ustaw tryb przesuwania\nPrzesuwanie", true},
    {Cmd::kModeZoom, "P&owiększanie", "", "Ustaw tryb powiększania\nPowiększanie", true},
    {Cmd::kToolBar, "Pasek &narzędzi", "", "Pokaż lub ukryj pasek narzędzi\nPasek narzędzi", true},
    {Cmd::kStatusBar, "Pasek &stanu", "", "Pokaż lub ukryj pasek stanu\nPasek stanu", true},
    {Cmd::kToggleTable, "&Tabela wartości", "", "Pokaż lub ukryj tabelę wartości\nTabela wartości", true},
    {Cmd::kGuides, "P&rowadnice", "", "Pokaż lub ukryj prowadnice\nProwadnice", true},
    {Cmd::kAntialiasing, "&Wygładzanie krawędzi", "", "Rysuj krzywe, osie i siatkę z wygładzonymi krawędziami\nWygładzanie krawędzi", true},
    {Cmd::kServer, "&Serwer", "", "Otwórz okno serwera\nSerwer", false},
    {Cmd::kClient, "&Klient", "", "Otwórz okno klienta\nKlient", false},
    {Cmd::kNewWindow, "&Nowe okno", "", "Otwórz kolejne okno dla aktywnego dokumentu\nNowe okno", false},
    {Cmd::kCascade, "Ustaw &kaskadowo", "", "Ustaw okna kaskadowo\nUstaw kaskadowo", false},
    {Cmd::kTile, "Ustaw &sąsiadująco", "", "Ustaw okna sąsiadująco\nUstaw sąsiadująco", false},
    {Cmd::kArrangeIcons, "P&oukładaj kony", "", "Poukładaj ikony w oknie\nPoukładaj ikony", false},
    {Cmd::kSplitBar, "&Podziel", "", "Przesuń linię podziału\nLinia podziału", false},
    {Cmd::kCloseAll, "Zamknij &wszystkie", "", "Zamknij wszystkie okna\nZamknij wszystkie", false},
    {Cmd::kHelp, "&Tematy pomocy", "F1", "Wyświetl pomoc programu: wzory, klawisze, pliki\nPomoc", false},
    {Cmd::kAppAbout, "&O programie...", "", "Wyświetl informacje o programie\nO programie", false},
    {Cmd::kContextHelp, "Pomoc", "", "Wyświetl pomoc dla wybranego elementu\nPomoc", false},
    // Commands of the settings sheet's pages, reached from the context menu.
    {Cmd::kFunctions, "&Funkcje...", "", "", false},
    {Cmd::kRange, "&Zakres....", "", "", false},
    {Cmd::kScale, "&Podziałka...", "", "", false},
    {Cmd::kGridAxes, "&Siatka i osie...", "", "", false},
    {Cmd::kDescriptions, "&Opisy...", "", "", false},
    {Cmd::kComputation, "O&bliczenia...", "", "", false},
    {Cmd::kTableSettings, "&Tabela wartości...", "", "", false},
    // Keys without a menu item.
    {Cmd::kNextPane, "", "F6", "", false},
    {Cmd::kPrevPane, "", "Shift+F6", "", false},
};
// clang-format on

// Toolbar 100; 0 is a separator.
inline constexpr int kToolBarButtons[] = {
    Cmd::kFileNew,   Cmd::kFileOpen,    Cmd::kFileSave,   0,
    Cmd::kFilePrint, Cmd::kFilePrintPreview,              0,
    Cmd::kAddFunction, Cmd::kProperties,                  0,
    Cmd::kZoomIn,    Cmd::kZoomOut,     Cmd::kUndoZoom,   0,
    Cmd::kModePoint, Cmd::kModePan,     Cmd::kModeZoom,   0,
    Cmd::kToggleTable, Cmd::kGuides, Cmd::kPointsOfInterest, 0,
    Cmd::kServer,    Cmd::kClient,                        0,
    Cmd::kAppAbout,  Cmd::kContextHelp,
};
