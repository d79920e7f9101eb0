#pragma once

#include "chart/ticks.h"

// Switches of the program, not of a chart: kept with its settings (QSettings
// under "Osiowiec 2.0"), never in a chart file, and handed to the charts and
// views as plain values.

/// The spacing rule: multiples of π on trigonometric charts, and the rule
/// of version 2.0 ("Odstępy jak w wersji 2.0"); both off unless set.
SpacingRule ReadSpacingRule();
void WriteSpacingRule(const SpacingRule& rule);

/// "Widok > Wygładzanie krawędzi": on unless turned off.
bool ReadAntialiasing();
void WriteAntialiasing(bool on);
