#ifndef VIRTUALPORTWATCHER_H
#define VIRTUALPORTWATCHER_H

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QString>

// Watches a directory whose entries are published ports (such as the
// simulated controller's entry) and reports each entry that comes to count as
// a port or stops counting (see kivra::classifyPortEntry).
class VirtualPortWatcher : public QObject
{
    Q_OBJECT

public:
    // Creates the directory when it is missing, so that a port published
    // later can be seen arriving. A directory that fails the check is not
    // watched and gives no ports.
    VirtualPortWatcher(const QString &directory, QObject *parent = nullptr);

    bool isWatching() const;
    // Whether name counted as a port at the last look.
    bool isListed(const QString &name) const;

    // Looks again without waiting for a change to the directory: a publisher
    // that died keeps its link but drops its lock, which changes nothing the
    // directory watch would see.
    void rescan();

signals:
    void portAdded(const QString &name);
    void portRemoved(const QString &name);

private:
    QSet<QString> currentEntries() const;

    QString dir;
    QFileSystemWatcher watcher;
    QSet<QString> entries;
};

#endif
