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

struct ParsedSchedule {
    QList<Slot> records;  // at most kSlotCount
    bool dropped = false; // the text holds more records than that
    QString error;        // why the text cannot be read as a schedule
};

// Reads records of two items each; an item ends at a comma or a line end (CR
// LF, LF or CR). Items may be quoted as the writer quotes them; a quote that
// is never closed is an error naming its line, since it would swallow every
// later record. Lines empty or of blanks only where a record would start, and
// a Ctrl-Z that ends the text, are skipped; a last time item without its
// message gets an empty message.
ParsedSchedule parseSchedule(QStringView text);

struct LoadResult {
    enum class Status { Loaded, Missing, Failed };
    Status status = Status::Failed;
    QList<Slot> records;
    bool dropped = false;            // records after the last slot were left out
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

// Keeps a version of the schedule before it is replaced: `bytes`, or without
// them the file at `path` as it stands, under the first backup name that can
// be had: `path~`, then `path~1` to `path~9`, but none in `kept`, the versions
// kept before in this run, to which it is added. A regular file there is
// replaced in one step; a name held by anything else (a symlink, a folder) is
// passed over, never written through. Where none can be had, as a new file
// `elsewhere` + "~.txt" (see writeNewFile). The file is linked under the new
// name where the file system allows, so that a writer still at work finishes
// it there, and copied elsewhere. The name used, or empty with the reason in
// `why` when none could be made.
QString keepAside(const QString &path, QStringList &kept, QString &why, const QString &elsewhere,
                  const std::optional<QByteArray> &bytes = std::nullopt);

// Writes `bytes` as a new file `stem` + `ending`, or where a file holds that
// name `stem`-2 + `ending`, -3 and so on: never over a file, and put in place
// in one step that two processes cannot both win. The name used, or empty
// with the reason in `why`.
QString writeNewFile(const QString &stem, const QString &ending, const QByteArray &bytes,
                     QString &why);

// True while another program holds the file open for writing, so that what it
// has written so far may be only a part; false where this cannot be told.
bool beingWritten(const QString &path);

} // namespace quorrel
