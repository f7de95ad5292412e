#ifndef VIRTUALPORTWATCHER_H
#define VIRTUALPORTWATCHER_H

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QString>

// Watches a directory whose entries are published ports (such as the
// simulated controller's link) and reports each entry that appears or goes.
class VirtualPortWatcher : public QObject
{
    Q_OBJECT

public:
    // Creates the directory when it is missing, so that a port published
    // later can be seen arriving.
    VirtualPortWatcher(const QString &directory, QObject *parent = nullptr);

    bool isWatching() const;

signals:
    void portAdded(const QString &name);
    void portRemoved(const QString &name);

private:
    void rescan();
    QSet<QString> currentEntries() const;

    QString dir;
    QFileSystemWatcher watcher;
    QSet<QString> entries;
};

#endif
