#include "virtualportwatcher.h"

#include "kivra_portdir.h"

#include <QStringList>

#include <string>

VirtualPortWatcher::VirtualPortWatcher(const QString &directory, QObject *parent)
    : QObject(parent), dir(directory)
{
    // A directory that fails the shared check is not watched: its entries
    // would not be opened anyway. A missing one is made private to the user.
    std::string ignored;
    if (!kivra::preparePortDirectory(dir.toStdString(), ignored)) {
        return;
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
    QSet<QString> names;
    for (const std::string &name : kivra::listPortEntries(dir.toStdString())) {
        names.insert(QString::fromStdString(name));
    }
    return names;
}

bool VirtualPortWatcher::isListed(const QString &name) const
{
    return entries.contains(name);
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
