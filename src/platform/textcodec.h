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
// as Shift-JIS only when they look less like UTF-8 than like Shift-JIS: a file
// that holds more well-formed UTF-8 characters of three or four bytes (where
// kana and kanji lie) than bytes that are not UTF-8 is damaged UTF-8, and is
// refused. Shift-JIS text forms such sequences only by chance, once in a while
// next to many bytes that are not UTF-8. Nothing when no reading is clean, so
// no character is silently lost or garbled.
DecodedText decodeScheduleText(const QByteArray &bytes);

} // namespace quorrel
