// libFuzzer target for the schedule file reader: any bytes are read without a
// crash, refused bytes always come with a reason, at most eleven records come
// out, a text refused as a schedule keeps none, and what the writer makes of
// them reads back the same.

#include "platform/textcodec.h"
#include "schedule/schedulefile.h"

#include <cstdint>
#include <cstdlib>

using namespace quorrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const DecodedText text = decodeScheduleText(bytes);
    if (text.text.has_value() == !text.error.isEmpty())
        std::abort();
    if (!text.text)
        return 0;
    const ParsedSchedule parsed = parseSchedule(*text.text);
    QList<Slot> read = parsed.records;
    if (read.size() > kSlotCount || (!parsed.error.isEmpty() && !read.isEmpty()))
        std::abort();
    if (!parsed.error.isEmpty())
        return 0;

    read.resize(kSlotCount); // the window fills all eleven slots
    const std::optional<QString> written =
        decodeScheduleText(encodeScheduleText(formatSchedule(read))).text;
    if (!written || parseSchedule(*written).records != read)
        std::abort();
    return 0;
}
