#include "framework/qtstring.h"

#include "platform/cp1250.h"

QString FromCp1250(std::string_view text)
{
    const std::string utf8 = Cp1250::ToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToCp1250(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return Cp1250::FromUtf8(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}
