#pragma once

// What every test shares, core tests too: a data folder of its own and a
// configuration folder of its own. No widgets.
#include "store/Connections.h"
#include "store/DataFolder.h"
#include "store/Failure.h"
#include "store/ShippedFiles.h"

#include <QTemporaryDir>

#include <functional>

namespace horunea::test {

// A fresh data folder with the shipped files, made the program's data folder
// for the test's lifetime.
// Each test process keeps what a user arranges (column widths, window
// places) in a folder of its own, never in the user's.
inline const bool ownConfigFolder = [] {
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    return true;
}();

class TempDataFolder
{
public:
    // Runs as each folder is made and let go: the window tests clear what a
    // user arranged (TestSupport.h), so that each starts from the program's own.
    static inline std::function<void()> s_fresh;

    explicit TempDataFolder(bool withShippedFiles = true)
    {
        if (s_fresh)
            s_fresh();
        Connections::instance().reset();
        DataFolder::set(m_dir.path());
        if (withShippedFiles)
            EnsureShippedFiles();
    }
    ~TempDataFolder()
    {
        if (s_fresh)
            s_fresh();
        Connections::instance().reset();
        DataFolder::set(QString());
    }
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// The message of the Failure the call throws, or "" when it throws none;
// its detail too, when asked for.
inline QString failureMessage(const std::function<void()>& call, QString* detail = nullptr)
{
    try {
        call();
    } catch (const Failure& e) {
        if (detail)
            *detail = e.detail();
        return e.message();
    }
    return {};
}

} // namespace horunea::test
