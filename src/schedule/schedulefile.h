#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace quorrel {

inline constexpr int kSlotCount = 11;
inline constexpr QStringView kScheduleFileName = u"savefile.txt";

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

LoadResult loadScheduleFile(const QString &path);

// Replaces the file with `bytes` in one step: on failure the previous file
// stays whole and the reason is returned; an empty text means written.
QString replaceFile(const QString &path, const QByteArray &bytes);

// Replaces the file in one step: on failure the previous file stays whole and
// the reason is returned; an empty text means saved.
QString saveScheduleFile(const QString &path, const QList<Slot> &records);

} // namespace quorrel
