#pragma once

#include <QCoreApplication>
#include <QSettings>
#include <QString>

// The program's profile (recent files) in a folder of the test's own, under
// the names the program uses.
inline void UseTestProfile(const QString& folder)
{
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    QCoreApplication::setOrganizationName(QStringLiteral("Osiowiec 2.0"));
    QCoreApplication::setApplicationName(QStringLiteral("Osiowiec"));
}
