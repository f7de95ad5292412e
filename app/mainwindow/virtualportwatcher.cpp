#include "virtualportwatcher.h"

#include <QDir>
#include <QFile>
#include <QStringList>

VirtualPortWatcher::VirtualPortWatcher(const QString &directory, QObject *parent)
    : QObject(parent), dir(directory)
{
    QDir d(dir);
    if (!d.exists() && QDir().mkpath(dir)) {
        // Other users have no business in a directory of this user's ports.
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    entries = currentEntries();
    watcher.addPath(dir);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this, &VirtualPortWatcher::rescan);
}

bool VirtualPortWatcher::isWatching() const
{
    return watcher.directories().contains(dir);
}

QSet<QString> VirtualPortWatcher::currentEntries() const
{
    // System includes links whose target is gone; hidden names are left out,
    // as they are half-made entries rather than ports.
    const QStringList names =
        QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    return QSet<QString>(names.begin(), names.end());
}

void VirtualPortWatcher::rescan()
{
    const QSet<QString> now = currentEntries();
    const QSet<QString> gone = entries - now;
    const QSet<QString> added = now - entries;
    entries = now;

    QStringList goneNames(gone.begin(), gone.end());
    goneNames.sort();
    for (const QString &name : goneNames) {
        emit portRemoved(name);
    }
    QStringList addedNames(added.begin(), added.end());
    addedNames.sort();
    for (const QString &name : addedNames) {
        emit portAdded(name);
    }
}
