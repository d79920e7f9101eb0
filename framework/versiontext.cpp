#include "framework/versiontext.h"

QString CopyrightLine()
{
    return QString::fromUtf8("Copyright (C) 2026 Zespół programu Osiowiec");
}

QString LicenceNotice()
{
    return QString::fromUtf8(
        "Licencja GPLv3+: GNU GPL w wersji 3 lub późniejszej <https://gnu.org/licenses/gpl.html>.\n"
        "To jest wolne oprogramowanie: można je zmieniać i rozpowszechniać.\n"
        "Nie ma ŻADNEJ GWARANCJI w granicach dopuszczonych przez prawo.");
}

QString VersionText(const QString& program, const QString& version)
{
    return QStringLiteral("%1 %2\n%3\n%4\n").arg(program, version, CopyrightLine(), LicenceNotice());
}
