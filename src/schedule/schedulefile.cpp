#include "schedule/schedulefile.h"

#include "platform/textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quorrel {

namespace {

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool needsQuotes(const QString &text)
{
    if (text.isEmpty())
        return false;
    // A leading U+FEFF would be taken for the byte-order mark at the start of
    // the file and dropped.
    if (isBlank(text.front()) || isBlank(text.back()) || text.front() == QChar::ByteOrderMark)
        return true;
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c == u',' || c == u'"' || isLineEnd(c); });
}

QString formatItem(const QString &text)
{
    if (!needsQuotes(text))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

// Walks the text item by item.
class ItemReader {
public:
    explicit ItemReader(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    // Skips line ends, and lines of nothing but blanks, where a record would
    // start.
    void skipBlankLines()
    {
        for (qsizetype end = m_pos; end <= m_text.size(); ++end) {
            if (end == m_text.size() || isLineEnd(m_text[end]))
                m_pos = std::min(end + 1, m_text.size());
            else if (!isBlank(m_text[end]))
                break;
        }
    }

    // Reads one item and the delimiter that ends it; nothing when the item
    // opens a quote that is never closed.
    std::optional<QString> next()
    {
        QString item;
        if (!atEnd() && m_text[m_pos] == u'"') {
            m_openQuote = m_pos++;
            for (;;) {
                if (atEnd())
                    return std::nullopt;
                const QChar c = m_text[m_pos++];
                if (c != u'"') {
                    item += c;
                } else if (!atEnd() && m_text[m_pos] == u'"') {
                    item += c;
                    ++m_pos;
                } else {
                    break;
                }
            }
        }
        // Bare text, or anything after a closing quote, runs to the delimiter.
        while (!atEnd() && m_text[m_pos] != u',' && !isLineEnd(m_text[m_pos]))
            item += m_text[m_pos++];
        skipDelimiter();
        return item;
    }

    // The line, counted from 1, of the last quote that opened an item.
    qsizetype openQuoteLine() const
    {
        const QStringView before = m_text.first(m_openQuote);
        return 1 + before.count(u'\n') + before.count(u'\r') - before.count(u"\r\n");
    }

private:
    void skipDelimiter()
    {
        if (atEnd())
            return;
        const QChar c = m_text[m_pos++];
        if (c == u'\r' && !atEnd() && m_text[m_pos] == u'\n')
            ++m_pos;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    qsizetype m_openQuote = 0;
};

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("フォルダ");
    if (S_ISFIFO(mode))
        return QStringLiteral("名前付きパイプ（FIFO）");
    if (S_ISCHR(mode))
        return QStringLiteral("キャラクタデバイス");
    if (S_ISBLK(mode))
        return QStringLiteral("ブロックデバイス");
    if (S_ISSOCK(mode))
        return QStringLiteral("ソケット");
    return QStringLiteral("特殊なファイル");
}

QString notRegular(const QString &path, mode_t mode)
{
    const QString kind = kindOf(mode);
    if (QFileInfo(path).isSymLink())
        return QStringLiteral("シンボリックリンクの先が%1で、通常のファイルではありません。")
            .arg(kind);
    return QStringLiteral("%1で、通常のファイルではありません。").arg(kind);
}

QString tooLarge(qint64 size)
{
    return QStringLiteral(
               "ファイルが大きすぎます（%L1 バイト）。予定表のファイルは %L2 バイトまでです。")
        .arg(size)
        .arg(kMaxFileSize);
}

QString tooLong(const QList<Slot> &records)
{
    for (qsizetype i = 0; i < records.size(); ++i) {
        for (const auto &[text, what] :
             {std::pair{&records[i].time, QStringLiteral("時刻")},
              std::pair{&records[i].message, QStringLiteral("メッセージ")}}) {
            if (text->size() > kMaxTextLength)
                return QStringLiteral("%1 番目の予定の%2が長すぎます（%L3 文字）。1 "
                                      "つの欄に入るのは %L4 文字までです。")
                    .arg(i + 1)
                    .arg(what)
                    .arg(text->size())
                    .arg(kMaxTextLength);
        }
    }
    return {};
}

// Reads a regular file of at most kMaxFileSize bytes. Never blocks: a FIFO
// or a device is refused by its type before it is opened, and opening does
// not wait, so that one put in its place meanwhile is refused as well.
std::optional<QByteArray> readRegularFile(const QString &path, QString &why)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0) {
        why = systemError(errno);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        why = notRegular(path, info.st_mode);
        return std::nullopt;
    }
    if (info.st_size > kMaxFileSize) {
        why = tooLarge(info.st_size);
        return std::nullopt;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        why = systemError(errno);
        return std::nullopt;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        why = notRegular(path, info.st_mode);
        ::close(fd);
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        why = file.errorString();
        ::close(fd);
        return std::nullopt;
    }
    // One byte more than allowed tells a file that grew since.
    QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        why = file.errorString();
        return std::nullopt;
    }
    if (bytes.size() > kMaxFileSize) {
        why = tooLarge(bytes.size());
        return std::nullopt;
    }
    return bytes;
}

QString temporaryBeside(const QString &name)
{
    return name + u'.' + QString::number(QRandomGenerator::global()->generate(), 36);
}

// Makes the new file `temporary` hold `bytes`, or without them the file at
// `from`: linked where the file system allows, else copied. Empty when made,
// else why not.
QString makeCopy(const QString &from, const std::optional<QByteArray> &bytes,
                 const QString &temporary)
{
    if (bytes) {
        QFile file(temporary);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return file.errorString();
        if (file.write(*bytes) == bytes->size() && file.flush())
            return {};
        const QString why = file.errorString();
        file.remove();
        return why;
    }
    if (::linkat(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
                 QFile::encodeName(temporary).constData(), AT_SYMLINK_FOLLOW)
        == 0)
        return {};
    QFile original(from);
    return original.copy(temporary) ? QString() : original.errorString();
}

// Puts the file `made` under `stem` + `ending`, or the first of `stem`-2 +
// `ending`, -3 ... that no file holds, in a step that never replaces one.
QString placeNew(const QString &made, const QString &stem, const QString &ending, QString &why)
{
    const QByteArray from = QFile::encodeName(made);
    for (int n = 1; n < 1000; ++n) {
        const QString name = stem + (n > 1 ? u'-' + QString::number(n) : QString()) + ending;
        const QByteArray to = QFile::encodeName(name);
        // A second link, where the file system cannot rename so, is as safe.
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0
            || (errno == EINVAL && ::link(from.constData(), to.constData()) == 0
                && ::unlink(from.constData()) == 0))
            return name;
        if (errno != EEXIST) {
            why = name + QStringLiteral(": ") + systemError(errno);
            break;
        }
    }
    ::unlink(from.constData());
    return {};
}

// Makes a copy of `bytes`, or without them of the file at `from` (see
// makeCopy), as a new file named as placeNew names it. The name used, or empty
// with the reason in `why`.
QString newCopy(const QString &from, const std::optional<QByteArray> &bytes, const QString &stem,
                const QString &ending, QString &why)
{
    QDir().mkpath(QFileInfo(stem).path());
    const QString temporary = temporaryBeside(stem);
    why = makeCopy(from, bytes, temporary);
    return why.isEmpty() ? placeNew(temporary, stem, ending, why) : QString();
}

} // namespace

QString formatSchedule(const QList<Slot> &records)
{
    QString text;
    for (const Slot &slot : records)
        text += formatItem(slot.time) + u',' + formatItem(slot.message) + QStringLiteral("\r\n");
    return text;
}

ParsedSchedule parseSchedule(QStringView text)
{
    ParsedSchedule parsed;
    // Old DOS and Windows editors end a file with Ctrl-Z.
    if (text.endsWith(u'\x1A'))
        text.chop(1);
    ItemReader reader(text);
    // To the end, so that a quote left open further on is still found.
    for (;;) {
        reader.skipBlankLines();
        if (reader.atEnd())
            break;
        const std::optional<QString> time = reader.next();
        const std::optional<QString> message = time ? reader.next() : std::nullopt;
        if (!message) {
            parsed.records.clear();
            parsed.error = QStringLiteral("%1 行目で始まる引用符（\"）が閉じていません。")
                               .arg(reader.openQuoteLine());
            break;
        }
        if (parsed.records.size() < kSlotCount)
            parsed.records.append({*time, *message});
        else
            parsed.dropped = true;
    }
    return parsed;
}

LoadResult loadScheduleFile(const QString &path)
{
    LoadResult result;
    // A dangling symlink is missing too: the first save creates its target.
    if (!QFile::exists(path)) {
        result.status = LoadResult::Status::Missing;
        return result;
    }
    const std::optional<QByteArray> bytes = readRegularFile(path, result.error);
    if (!bytes)
        return result;
    result.bytes = bytes;
    DecodedText text = decodeScheduleText(*bytes);
    if (!text.text) {
        result.error = text.error;
        return result;
    }
    ParsedSchedule parsed = parseSchedule(*text.text);
    result.records = std::move(parsed.records);
    result.dropped = parsed.dropped;
    result.error = parsed.error.isEmpty() ? tooLong(result.records) : parsed.error;
    if (result.error.isEmpty())
        result.status = LoadResult::Status::Loaded;
    else
        result.records.clear();
    return result;
}

QString replaceFile(const QString &path, const QByteArray &bytes)
{
    // A device or FIFO behind the name (a symlink to /dev/null, say) would be
    // replaced by a regular file: leave it alone.
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return notRegular(path, info.st_mode);
    // QSaveFile writes beside the target and renames it into place at commit;
    // it follows a symlink to its target and keeps the file's permissions.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // commit() does not see a failure of the final flush of Qt's write
    // buffer (a full disk, a size limit), so flush and check here.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

QString saveScheduleFile(const QString &path, const QList<Slot> &records)
{
    return replaceFile(path, encodeScheduleText(formatSchedule(records)));
}

QString keepAside(const QString &path, QStringList &kept, QString &why, const QString &elsewhere,
                  const std::optional<QByteArray> &bytes)
{
    for (int n = 0; n < 10; ++n) {
        const QString name = path + u'~' + (n ? QString::number(n) : QString());
        if (kept.contains(name))
            continue;
        const QByteArray target = QFile::encodeName(name);
        struct stat info = {};
        if (::lstat(target.constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
            why = name + QStringLiteral(": ") + notRegular(name, info.st_mode);
            continue;
        }
        // Made under a name of its own, then put in place in one step.
        const QString temporary = temporaryBeside(name);
        if (const QString failed = makeCopy(path, bytes, temporary); !failed.isEmpty()) {
            why = failed;
            continue;
        }
        const QByteArray made = QFile::encodeName(temporary);
        if (::rename(made.constData(), target.constData()) == 0)
            return kept << name, name;
        why = name + QStringLiteral(": ") + systemError(errno);
        ::unlink(made.constData());
    }
    return newCopy(path, bytes, elsewhere, QStringLiteral("~.txt"), why);
}

QString writeNewFile(const QString &stem, const QString &ending, const QByteArray &bytes,
                     QString &why)
{
    return newCopy({}, bytes, stem, ending, why);
}

bool beingWritten(const QString &path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // A read lease is refused while any descriptor is open for writing. It
    // cannot be had on another user's file or a network file system, where
    // nothing is told.
    const bool busy = ::fcntl(fd, F_SETLEASE, F_RDLCK) != 0 && errno == EAGAIN;
    ::close(fd); // and with it the lease
    return busy;
}

} // namespace quorrel
