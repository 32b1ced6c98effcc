// libFuzzer target for the schedule file reader: any bytes are read without a
// crash, refused bytes always come with a reason, at most eleven records come
// out, and what the writer makes of them reads back the same.

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
    QList<Slot> read = parseSchedule(*text.text);
    if (read.size() > kSlotCount)
        std::abort();

    read.resize(kSlotCount); // the window fills all eleven slots
    const std::optional<QString> written =
        decodeScheduleText(encodeScheduleText(formatSchedule(read))).text;
    if (!written || parseSchedule(*written) != read)
        std::abort();
    return 0;
}
