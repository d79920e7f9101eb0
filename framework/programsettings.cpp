#include "framework/programsettings.h"

#include <QSettings>

namespace {

const QString kPiTicksKey = QStringLiteral("Settings/PiTicks");
const QString kClassicSpacingKey = QStringLiteral("Settings/Spacing20");
const QString kAntialiasingKey = QStringLiteral("Settings/Antialiasing");

} // namespace

SpacingRule ReadSpacingRule()
{
    const QSettings settings;
    SpacingRule rule;
    rule.piTicks = settings.value(kPiTicksKey, false).toBool();
    rule.classic = settings.value(kClassicSpacingKey, false).toBool();
    return rule;
}

void WriteSpacingRule(const SpacingRule& rule)
{
    QSettings settings;
    settings.setValue(kPiTicksKey, rule.piTicks);
    settings.setValue(kClassicSpacingKey, rule.classic);
}

bool ReadAntialiasing()
{
    return QSettings().value(kAntialiasingKey, true).toBool();
}

void WriteAntialiasing(bool on)
{
    QSettings().setValue(kAntialiasingKey, on);
}
