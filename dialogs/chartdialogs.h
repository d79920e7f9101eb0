#pragma once

#include <functional>

class FunctionContainer;
class QWidget;

// The settings dialogs as the chart's document runs them.

/// The formula editor on the chart's current function (-1: a new one), inside
/// an edit transaction the caller has begun; true when the user confirmed.
bool RunFunctionDialog(FunctionContainer& chart, QWidget* parent);

/// The settings sheet, modal, on page 0 ... 6; it begins, commits and cancels
/// the chart's edit transaction itself and calls `applied` after each commit.
void RunSettingsSheet(FunctionContainer& chart, int page, const std::function<void()>& applied,
                      QWidget* parent);
