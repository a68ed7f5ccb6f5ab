// The reader of the previous version's files on any bytes: it must end,
// number its lines in order, give back every value a writer of that
// version put in quotes, and never fail but with a message. Dates come out
// as stored dates or unchanged, and a stored date stays as it is.
#include "import/PreviousFiles.h"
#include "store/Cp932.h"
#include "store/Failure.h"

#include <QRegularExpression>

#include <cstdint>
#include <cstdlib>

using namespace horunea;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Reads any bytes: every record starts on a later line than the one before.
void readAnything(const QByteArray& bytes)
{
    SskReader reader(bytes);
    SskRecord record;
    qint64 last = 0;
    const qint64 lines = bytes.count('\n') + bytes.count('\r') + 1;
    while (reader.next(&record)) {
        check(record.line > last && record.line <= lines);
        check(!record.values.isEmpty());
        last = record.line;
        static const QRegularExpression stored(u"^\\d{4}/\\d{2}/\\d{2}\\([日月火水木金土]\\)$"_qs);
        for (const QString& value : record.values) {
            const QString date = previousDateText(value);
            check(date == value || stored.match(date).hasMatch());
            check(previousDateText(date) == date);
        }
    }
    try {
        previousUsersFrom(bytes, u"ユーザー.ssk"_qs);
    } catch (const Failure&) {
    }
}

// The bytes as records of values (0x01 ends a record, 0x00 a value), written
// as the old version wrote them: each value in quotes, CR LF. A value cannot
// hold a quote, a line break or Ctrl+Z there.
void readWhatWasWritten(const QByteArray& data)
{
    QList<QList<QByteArray>> records;
    for (const QByteArray& r : data.split('\x01')) {
        QList<QByteArray> values;
        for (QByteArray v : r.split('\x00')) {
            v.replace('"', "").replace('\r', "").replace('\n', "").replace('\x1a', "");
            values << v;
        }
        records << values;
    }
    QByteArray file;
    for (const QList<QByteArray>& values : records) {
        for (qsizetype i = 0; i < values.size(); ++i)
            file += (i > 0 ? "," : "") + ('"' + values[i] + '"');
        file += "\r\n";
    }
    SskReader reader(file);
    SskRecord record;
    for (qsizetype r = 0; r < records.size(); ++r) {
        check(reader.next(&record));
        check(record.line == r + 1);
        check(record.values.size() == records[r].size());
        for (qsizetype i = 0; i < records[r].size(); ++i)
            check(record.values[i] == decodeCp932(records[r][i]));
    }
    check(!reader.next(&record));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    readAnything(bytes);
    readWhatWasWritten(bytes);
    return 0;
}
