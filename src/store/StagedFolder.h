#pragma once

#include <QString>

namespace horunea {

// A folder written under a hidden name beside its destination,
// ".<name>-作成中-XXXXXX.d" (mode 0700: a backup holds every password), and
// given its name only when whole: until then nothing appears under the
// destination's name. Its writer holds the lock ".<name>-作成中-XXXXXX" as
// long as it lives; what a killed writer left is removed by the next writer
// to the same destination.
class StagedFolder
{
public:
    // The destination must not exist, or be an empty folder. Throws Failure.
    explicit StagedFolder(const QString& destination);
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;
    // Removes the hidden folder unless it was published.
    ~StagedFolder();

    QString path() const { return m_path; }
    // Syncs the folder, gives it the destination's name (replacing an empty
    // folder there, never anything else) and syncs the parent.
    void publish();

private:
    QString m_destination;
    QString m_path;
    QString m_lockPath;
    int m_lock = -1;
    bool m_published = false;
};

} // namespace horunea
