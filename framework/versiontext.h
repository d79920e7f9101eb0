#pragma once

#include <QString>

/// Who holds the copyright of both programs, in one line:
/// "Copyright (C) 2026 Zespół programu Osiowiec".
QString CopyrightLine();

/// The licence of both programs, the GNU General Public License version 3 or
/// later, in three lines without a final newline: the licence with the
/// address of its text, that the program is free software, and that it comes
/// with no warranty.
QString LicenceNotice();

/// What `--version` of both programs prints: "PROGRAM VERSION" on the first
/// line (the line scripts read), then the copyright and the licence; every
/// line ends with a newline.
QString VersionText(const QString& program, const QString& version);
