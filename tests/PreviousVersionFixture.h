#pragma once

#include "store/Cp932.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <map>
#include <stdexcept>
#include <vector>

namespace horunea::test {

// Writes a folder as the previous version left it beside its program file:
// ユーザー.ssk, a numbered folder per old user with the twelve kana-row files
// and K_.ssk / K_S.ssk, and 修理関係 with both repair files and R.ssk. Every
// file is CP932 with CR LF, text in double quotes and keys bare.
class PreviousFolder
{
public:
    struct Log
    {
        QString date, writer, text;
    };
    struct Subject
    {
        int key = 0;
        QString date, third, fourth, title, state;
        std::vector<Log> logs;
    };
    struct Customer
    {
        int key = 0;
        QString reading, name, company, department, free, tel, fax, mail, remarks;
        std::vector<Subject> subjects;
    };
    struct Repair
    {
        int key = 0;
        QString date, customer, company, companyTel, homeTel, address, maker, model, serial,
            accessories, staff, flags, fault, state;
        std::vector<Log> logs;
    };

    explicit PreviousFolder(const QString& root) : m_root(root) {}

    // The folder as the import window shows it: ending with a '/'.
    QString path() const { return QDir(m_root).absolutePath() + u'/'; }
    QString file(const QString& relative) const { return QDir(m_root).filePath(relative); }

    // The groups of ユーザー.ssk: a count line, then the names on one line.
    void setUsers(const std::vector<QStringList>& groups) { m_groups = groups; }
    void addCustomer(int user, const QString& kanaRow, const Customer& customer)
    {
        m_customers[user][kanaRow].push_back(customer);
    }
    void addRepair(bool finished, const Repair& repair)
    {
        (finished ? m_finished : m_unfinished).push_back(repair);
    }

    // Writes every file: each old user gets all twelve kana-row files.
    void write() const
    {
        QByteArray users;
        for (const QStringList& group : m_groups) {
            users += QByteArray::number(group.size()) + "\r\n";
            if (!group.isEmpty())
                users += line(group);
        }
        writeRaw(u"ユーザー.ssk"_qs, users);
        int userCount = 0;
        for (const QStringList& group : m_groups)
            userCount += int(group.size());
        for (int user = 1; user <= userCount; ++user) {
            const QString folder = QString::number(user) + u'/';
            for (const QString& row : kanaRows()) {
                QByteArray bytes;
                const auto found = m_customers.find(user);
                if (found != m_customers.end() && found->second.count(row))
                    for (const Customer& c : found->second.at(row)) {
                        bytes += customerLine(c);
                        writeCustomerFiles(folder, c);
                    }
                writeRaw(folder + row + u".ssk"_qs, bytes);
            }
        }
        QByteArray finished, unfinished;
        for (const Repair& r : m_finished)
            finished += repairFiles(r);
        for (const Repair& r : m_unfinished)
            unfinished += repairFiles(r);
        writeRaw(u"修理関係/終了した修理.ssk"_qs, finished);
        writeRaw(u"修理関係/終了していない修理.ssk"_qs, unfinished);
    }

    void writeRaw(const QString& relative, const QByteArray& bytes) const
    {
        const QString path = file(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write a fixture file");
    }
    QByteArray readRaw(const QString& relative) const
    {
        QFile in(file(relative));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    static const QStringList& kanaRows()
    {
        static const QStringList rows = {u"あ行"_qs, u"か行"_qs, u"さ行"_qs, u"た行"_qs,
                                         u"な行"_qs, u"は行"_qs, u"ま行"_qs, u"や行"_qs,
                                         u"ら行"_qs, u"わ行"_qs, u"ABC"_qs,  u"その他"_qs};
        return rows;
    }

    // A record line: a number bare, a text in quotes, CR LF, CP932.
    static QByteArray line(const QStringList& values, int bareFirst = 0)
    {
        QString text;
        for (int i = 0; i < values.size(); ++i) {
            if (i > 0)
                text += u',';
            text += i < bareFirst ? values[i] : u'"' + values[i] + u'"';
        }
        QString refused;
        const QByteArray bytes = encodeCp932(text, &refused);
        if (!refused.isEmpty())
            throw std::runtime_error("a fixture value is not in CP932");
        return bytes + "\r\n";
    }

private:
    static QByteArray customerLine(const Customer& c)
    {
        return line({QString::number(c.key), c.reading, c.name, c.company, c.department, c.free,
                     c.tel, c.fax, c.mail, c.remarks},
                    1);
    }
    void writeCustomerFiles(const QString& folder, const Customer& c) const
    {
        QByteArray subjects = customerLine(c); // the header the old version wrote
        for (const Subject& s : c.subjects) {
            const QStringList values = {
                QString::number(s.key), s.date, s.third, s.fourth, s.title, s.state, u"x"_qs};
            subjects += line(values, 1);
            QByteArray logs = line(values.mid(0, 6), 1);
            for (const Log& l : s.logs)
                logs += line({u"0"_qs, l.date, l.writer, l.text}, 1);
            writeRaw(folder + QStringLiteral("%1_%2.ssk").arg(c.key).arg(s.key), logs);
        }
        writeRaw(folder + QStringLiteral("%1_.ssk").arg(c.key), subjects);
    }
    QByteArray repairFiles(const Repair& r) const
    {
        const QByteArray record =
            line({QString::number(r.key), r.date, r.customer, r.company, r.companyTel, r.homeTel,
                  r.address, r.maker, r.model, r.serial, r.accessories, r.staff, r.flags, r.fault,
                  r.state},
                 1);
        QByteArray logs = record;
        for (const Log& l : r.logs)
            logs += line({u"0"_qs, l.date, l.writer, l.text}, 1);
        writeRaw(QStringLiteral("修理関係/%1.ssk").arg(r.key), logs);
        return record;
    }

    QString m_root;
    std::vector<QStringList> m_groups;
    std::map<int, std::map<QString, std::vector<Customer>>> m_customers;
    std::vector<Repair> m_finished, m_unfinished;
};

} // namespace horunea::test
