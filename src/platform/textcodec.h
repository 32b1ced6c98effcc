#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace quorrel {

// The schedule file is written in UTF-8.
QByteArray encodeScheduleText(const QString &text);

struct DecodedText {
    std::optional<QString> text;
    QString error; // why there is no text, for the user
};

// Reads UTF-8 (a leading byte-order mark is skipped), or else Shift-JIS
// (CP932), as written on Japanese Windows. Bytes that are not UTF-8 are read
// as Shift-JIS only when that reading is clean and looks like Japanese text:
// more of its characters are Japanese than are what damaged UTF-8 or Latin
// text makes there, added to the well-formed UTF-8 kana and kanji in it.
// Otherwise they are damaged UTF-8, and refused: a stray byte, an overlong
// form or a cut character in UTF-8 reads as Shift-JIS only as a lone
// half-width kana or a kanji of UTF-8's bytes. Nothing when no reading is
// right, so no character is silently lost or garbled.
DecodedText decodeScheduleText(const QByteArray &bytes);

} // namespace quorrel
