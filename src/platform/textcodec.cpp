#include "platform/textcodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quorrel {

QByteArray encodeScheduleText(const QString &text)
{
    return text.toUtf8();
}

std::optional<QString> decodeScheduleText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;

    // Qt decodes this name through ICU with the CP932 tables.
    QStringDecoder shiftJis("Shift_JIS");
    if (!shiftJis.isValid())
        return std::nullopt;
    text = shiftJis.decode(bytes);
    if (shiftJis.hasError())
        return std::nullopt;
    return text;
}

} // namespace quorrel
