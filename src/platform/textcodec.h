#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace quorrel {

// The schedule file is written in UTF-8.
QByteArray encodeScheduleText(const QString &text);

// Reads UTF-8 (a leading byte-order mark is skipped); bytes that are not
// valid UTF-8 are read as Shift-JIS (CP932), as written on Japanese Windows.
// Nothing when neither reading is clean, so no character is silently lost.
std::optional<QString> decodeScheduleText(const QByteArray &bytes);

} // namespace quorrel
