#pragma once

#include <QFile>
#include <QString>
#include <QVariant>

namespace horunea {

class TransferLineBuilder;

// Writes transfer lines to a file, one at a time. Failure names the file
// when it cannot be written.
class TransferWriter
{
public:
    explicit TransferWriter(const QString& path);
    void write(const QVariantList& values);
    // Writes the line the builder holds.
    void write(TransferLineBuilder& line);
    void close();
    qint64 lines() const { return m_lines; }

private:
    QFile m_file;
    qint64 m_lines = 0;
};

} // namespace horunea
