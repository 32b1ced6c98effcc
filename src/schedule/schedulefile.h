#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace quorrel {

inline constexpr int kSlotCount = 11;
inline constexpr QStringView kScheduleFileName = u"savefile.txt";

// The longest time or message text, in UTF-16 units as QString counts them:
// far beyond any reminder, and still quick to edit in a one-line field.
inline constexpr int kMaxTextLength = 65536;
// The largest file a schedule can be: every text at its longest, each unit as
// four bytes (UTF-8 needs three at most), with its quotes and delimiter.
inline constexpr qint64 kMaxFileSize = qint64(kSlotCount) * 2 * (4 * qint64(kMaxTextLength) + 4);

struct Slot {
    QString time;
    QString message;
    friend bool operator==(const Slot &, const Slot &) = default;
};

// Eleven lines "time,message" CR LF, slot 0 first. A text is put in double
// quotes (inner quotes doubled) only when it could not be read back bare: it
// holds a comma, a quote or a line break, starts or ends with a blank, or
// starts with U+FEFF.
QString formatSchedule(const QList<Slot> &records);

// Reads records of two items each; an item ends at a comma or a line end (CR
// LF, LF or CR). Items may be quoted as the writer quotes them. At most
// kSlotCount records are returned; blank lines where a record would start are
// skipped; a last time item without its message gets an empty message.
QList<Slot> parseSchedule(QStringView text);

struct LoadResult {
    enum class Status { Loaded, Missing, Failed };
    Status status = Status::Failed;
    QList<Slot> records;
    QString error;                   // why, when Failed
    std::optional<QByteArray> bytes; // as read, when the file could be read
};

// Reads only a regular file (a symlink to one is followed) of at most
// kMaxFileSize bytes whose texts are at most kMaxTextLength long; anything
// else fails, and nothing is read from a FIFO or a device.
LoadResult loadScheduleFile(const QString &path);

// Replaces the file with `bytes` in one step: on failure the previous file
// stays whole and the reason is returned; an empty text means written.
// Anything but a regular file at the path (a device behind a symlink, say) is
// never replaced.
QString replaceFile(const QString &path, const QByteArray &bytes);

// Replaces the file in one step: on failure the previous file stays whole and
// the reason is returned; an empty text means saved.
QString saveScheduleFile(const QString &path, const QList<Slot> &records);

} // namespace quorrel
