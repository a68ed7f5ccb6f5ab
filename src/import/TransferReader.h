#pragma once

#include "import/TransferValues.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringList>

namespace horunea {

// Reads transfer lines from a file, one at a time, without loading it whole.
class TransferReader
{
public:
    explicit TransferReader(const QString& path);
    // The next line's values; false at the end of the file.
    bool next(TransferValues* values);
    bool next(QStringList* values);
    qint64 lineNumber() const { return m_line; }
    QString path() const { return m_file.fileName(); }

private:
    bool nextLine(QByteArrayView* line);
    QFile m_file;
    QByteArray m_buffer;
    qsizetype m_at = 0;
    bool m_end = false;
    qint64 m_line = 0;
    TransferValues m_values;
};

} // namespace horunea
