#pragma once

#include <QPixmap>

// The small pictures of the settings dialogs, painted here so that they stay
// sharp at any size: 32 x 32 pixels for dialog icons, 16 x 16 for list items.

/// What the formula editor's status icon says.
enum class FormulaStatus {
    kInitial,     ///< nothing typed yet
    kValid,       ///< the formula compiles
    kTypingError, ///< the text typed so far does not compile
    kRejected,    ///< OK was refused because the formula does not compile
};

QPixmap StatusIcon(FormulaStatus status);

/// The function list's image of a visible or a hidden function.
QPixmap VisibilityIcon(bool visible);

/// The settings pages' pictures, in the order of the pages.
enum class PagePicture { kFunctions, kRange, kScale, kGrid, kDescriptions, kComputation, kTable };

QPixmap PageIcon(PagePicture picture);
