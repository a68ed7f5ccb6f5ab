// The transfer line on any bytes: reading never fails, whatever it reads
// is written and read back unchanged, the table conversion of CP932 gives
// what the converter gives, and values taken from the bytes as text make
// one line each that reads back as those values.
#include "import/TransferLine.h"
#include "store/Cp932.h"

#include <QStringDecoder>

#include <cstdint>
#include <cstdlib>

using namespace horunea;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

QByteArray lineOf(const QStringList& values)
{
    QByteArray bytes = transferLine(QVariantList(values.begin(), values.end()));
    check(bytes.endsWith("\r\n"));
    bytes.chop(2);
    check(!bytes.contains('\r') && !bytes.contains('\n'));
    return bytes;
}

void readAnything(const QByteArray& bytes)
{
    const QStringList values = parseTransferLine(bytes);
    check(!values.isEmpty());
    check(parseTransferLine(lineOf(values)) == values);
}

void tablesAgreeWithTheConverter(const QByteArray& bytes)
{
    // Where the converter finds every byte defined, the tables read what it
    // reads; only the control characters it exchanges are ASCII here.
    QStringDecoder converter("windows-31j", QStringConverter::Flag::Stateless);
    const QString converted = converter.decode(bytes);
    if (!converter.hasError() && !converted.contains(QChar(0xFFFD)) && !bytes.contains('\x1a') &&
        !bytes.contains('\x1c') && !bytes.contains('\x7f'))
        check(decodeCp932(bytes) == converted);
    const QString text = QString::fromUtf8(bytes);
    QString refused;
    const QByteArray cp932 = encodeCp932(text, &refused);
    if (refused.isEmpty())
        check(decodeCp932(cp932) == text);
    else
        check(cp932.isEmpty() && text.contains(refused));
}

// The bytes as UTF-8 values (0x00 between them), also as the UTF-8 cells a
// database gives.
void valuesComeBack(const QByteArray& bytes)
{
    QStringList values;
    TransferLineBuilder cells;
    for (const QByteArray& v : bytes.split('\0')) {
        values << QString::fromUtf8(v);
        cells.addText(std::string_view(v.constData(), size_t(v.size())));
    }
    check(parseTransferLine(lineOf(values)) == values);
    const std::string_view fromCells = cells.finish();
    check(QByteArray(fromCells.data(), qsizetype(fromCells.size())) == lineOf(values) + "\r\n");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    readAnything(bytes);
    tablesAgreeWithTheConverter(bytes);
    valuesComeBack(bytes);
    return 0;
}
