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
    qsizetype japanese = 0; // kana, kanji and full-width forms
};

Utf8Survey surveyUtf8(QByteArrayView bytes)
{
    Utf8Survey survey;
    for (qsizetype at = 0; at < bytes.size();) {
        const int length = utf8SequenceLength(bytes, at);
        if (length == 0 && survey.firstBad < 0)
            survey.firstBad = at;
        if (length == 3) {
            const auto byte = [&](int i) { return uchar(bytes[at + i]) & 0x3F; };
            const int point = (uchar(bytes[at]) & 0x0F) << 12 | byte(1) << 6 | byte(2);
            survey.japanese += (point >= 0x3000 && point <= 0x30FF)
                               || (point >= 0x4E00 && point <= 0x9FFF)
                               || (point >= 0xFF00 && point <= 0xFFEF);
        }
        at += std::max(length, 1);
    }
    return survey;
}

// What the bytes make as Shift-JIS: Japanese characters, against those that
// damaged UTF-8 or Latin text makes when read as Shift-JIS. UTF-8's lead bytes
// 0xE0 to 0xEF take a continuation byte as their trail byte, a stray byte or a
// Latin-1 letter inside a Latin word takes the next letter, a stray
// continuation byte stands as a lone half-width kana, and no Japanese text
// holds user-defined characters. Half-width kana count in words of three or
// more: a damaged spot makes one or two, and EUC-JP kana make words of which
// every other one is the half-width comma or middle dot (0xA4, 0xA5).
struct ShiftJisSurvey {
    qsizetype japanese = 0;
    qsizetype suspect = 0;
};

ShiftJisSurvey surveyShiftJis(QByteArrayView bytes)
{
    const auto byte = [&](qsizetype i) { return i < bytes.size() ? uchar(bytes[i]) : uchar(0); };
    const auto letter = [](uchar c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    ShiftJisSurvey survey;
    qsizetype kanaRun = 0;
    qsizetype eucLike = 0;
    bool afterLetter = false;
    for (qsizetype at = 0; at <= bytes.size(); ++at) {
        const uchar lead = byte(at);
        if (lead >= 0xA1 && lead <= 0xDF) {
            ++kanaRun;
            eucLike += lead == 0xA4 || lead == 0xA5;
            afterLetter = false;
            continue;
        }
        if (kanaRun >= 3 && 2 * eucLike < kanaRun)
            survey.japanese += kanaRun;
        else if (kanaRun == 1 || 2 * eucLike >= kanaRun)
            survey.suspect += kanaRun;
        kanaRun = eucLike = 0;
        if ((lead >= 0x81 && lead <= 0x9F) || lead >= 0xE0) {
            const uchar trail = byte(++at);
            const bool likeUtf8 = lead >= 0xE0 && lead <= 0xEF && trail >= 0x80 && trail <= 0xBF;
            const bool inLatinWord =
                afterLetter && letter(trail) && (lead > 0x98 || letter(byte(at + 1)));
            ++(likeUtf8 || inLatinWord || (lead >= 0xF0 && lead <= 0xF9) ? survey.suspect
                                                                         : survey.japanese);
        }
        afterLetter = letter(lead);
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
    const Utf8Survey utf8 = surveyUtf8(bytes);
    if (utf8.firstBad < 0) {
        QStringDecoder decoder(QStringConverter::Utf8);
        return {decoder.decode(bytes), {}};
    }
    // Qt decodes this name through ICU with the CP932 tables. Stateless, so
    // that a lead byte without its trail byte at the end is an error rather
    // than dropped.
    QStringDecoder shiftJis("Shift_JIS", QStringConverter::Flag::Stateless);
    QString text = shiftJis.isValid() ? shiftJis.decode(bytes) : QString();
    const bool cleanShiftJis = shiftJis.isValid() && !shiftJis.hasError();
    const ShiftJisSurvey japanese = surveyShiftJis(bytes);
    if (cleanShiftJis && japanese.japanese > japanese.suspect + utf8.japanese)
        return {std::move(text), {}};
    if (cleanShiftJis || utf8.japanese > 0)
        return {std::nullopt,
                QStringLiteral(
                    "UTF-8 のテキストですが、壊れています。最初の不正なバイトは%1にあります。")
                    .arg(where(utf8.firstBad))};
    return {std::nullopt,
            QStringLiteral("UTF-8 のテキストとしても Shift-JIS のテキストとしても読めません"
                           "（UTF-8 として不正な最初のバイトは%1にあります）。")
                .arg(where(utf8.firstBad))};
}

} // namespace quorrel
