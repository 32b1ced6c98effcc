#include "schedule/schedulefile.h"

#include "platform/textcodec.h"

#include <QFile>
#include <QSaveFile>

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

    void skipLineEnds()
    {
        while (!atEnd() && isLineEnd(m_text[m_pos]))
            ++m_pos;
    }

    // Reads one item and the delimiter that ends it.
    QString next()
    {
        QString item;
        if (!atEnd() && m_text[m_pos] == u'"') {
            ++m_pos;
            while (!atEnd()) {
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
};

} // namespace

QString formatSchedule(const QList<Slot> &records)
{
    QString text;
    for (const Slot &slot : records)
        text += formatItem(slot.time) + u',' + formatItem(slot.message) + QStringLiteral("\r\n");
    return text;
}

QList<Slot> parseSchedule(QStringView text)
{
    QList<Slot> records;
    ItemReader reader(text);
    while (records.size() < kSlotCount) {
        reader.skipLineEnds();
        if (reader.atEnd())
            break;
        Slot slot;
        slot.time = reader.next();
        slot.message = reader.next();
        records.append(slot);
    }
    return records;
}

LoadResult loadScheduleFile(const QString &path)
{
    LoadResult result;
    QFile file(path);
    if (!file.exists()) {
        result.status = LoadResult::Status::Missing;
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    result.bytes = bytes;
    const std::optional<QString> text = decodeScheduleText(bytes);
    if (!text) {
        result.error = QStringLiteral("The file is neither UTF-8 nor Shift-JIS text.");
        return result;
    }
    result.records = parseSchedule(*text);
    result.status = LoadResult::Status::Loaded;
    return result;
}

QString replaceFile(const QString &path, const QByteArray &bytes)
{
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

} // namespace quorrel
