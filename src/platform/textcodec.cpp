#include "platform/textcodec.h"

#include <QStringDecoder>

namespace quorrel {

namespace {

// The length of the well-formed UTF-8 sequence at `at`, or 0 if there is none.
int utf8SequenceLength(QByteArrayView bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return i < bytes.size() ? uchar(bytes[i]) : uchar(0); };
    const auto continues = [&](qsizetype i, uchar low = 0x80, uchar high = 0xBF) {
        return byte(i) >= low && byte(i) <= high;
    };
    const uchar lead = byte(at);
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return continues(at + 1) ? 2 : 0;
    // No overlong forms, no surrogates, nothing above U+10FFFF.
    if (lead >= 0xE0 && lead <= 0xEF)
        return continues(at + 1, lead == 0xE0 ? 0xA0 : 0x80, lead == 0xED ? 0x9F : 0xBF)
                       && continues(at + 2)
                   ? 3
                   : 0;
    if (lead >= 0xF0 && lead <= 0xF4)
        return continues(at + 1, lead == 0xF0 ? 0x90 : 0x80, lead == 0xF4 ? 0x8F : 0xBF)
                       && continues(at + 2) && continues(at + 3)
                   ? 4
                   : 0;
    return 0;
}

struct Utf8Survey {
    qsizetype firstBad = -1;
    qsizetype badBytes = 0;
    qsizetype wideCharacters = 0; // of three or four bytes
};

Utf8Survey surveyUtf8(QByteArrayView bytes)
{
    Utf8Survey survey;
    for (qsizetype at = 0; at < bytes.size();) {
        const int length = utf8SequenceLength(bytes, at);
        if (length == 0) {
            if (survey.firstBad < 0)
                survey.firstBad = at;
            ++survey.badBytes;
            ++at;
            continue;
        }
        survey.wideCharacters += length >= 3;
        at += length;
    }
    return survey;
}

QString where(qsizetype offset)
{
    return QStringLiteral("先頭から %1 バイトの位置（0x%2）").arg(offset).arg(offset, 0, 16);
}

} // namespace

QByteArray encodeScheduleText(const QString &text)
{
    return text.toUtf8();
}

DecodedText decodeScheduleText(const QByteArray &bytes)
{
    const Utf8Survey survey = surveyUtf8(bytes);
    if (survey.badBytes == 0) {
        QStringDecoder utf8(QStringConverter::Utf8);
        return {utf8.decode(bytes), {}};
    }
    if (survey.wideCharacters > survey.badBytes)
        return {std::nullopt,
                QStringLiteral(
                    "UTF-8 のテキストですが、壊れています。最初の不正なバイトは%1にあります。")
                    .arg(where(survey.firstBad))};

    // Qt decodes this name through ICU with the CP932 tables.
    QStringDecoder shiftJis("Shift_JIS");
    if (shiftJis.isValid()) {
        QString text = shiftJis.decode(bytes);
        if (!shiftJis.hasError())
            return {std::move(text), {}};
    }
    return {std::nullopt,
            QStringLiteral("UTF-8 のテキストとしても Shift-JIS のテキストとしても読めません"
                           "（UTF-8 として不正な最初のバイトは%1にあります）。")
                .arg(where(survey.firstBad))};
}

} // namespace quorrel
