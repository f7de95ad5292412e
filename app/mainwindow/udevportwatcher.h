#ifndef UDEVPORTWATCHER_H
#define UDEVPORTWATCHER_H

#include <QObject>
#include <QString>

// Reports serial (tty) devices that the kernel adds or removes, by their
// kernel name (ttyUSB0), the name the port list uses. Where udev is not there
// (a build without libudev, or a container without its daemon) it simply
// reports nothing.
class UdevPortWatcher : public QObject
{
    Q_OBJECT

public:
    explicit UdevPortWatcher(QObject *parent = nullptr);
    ~UdevPortWatcher() override;

signals:
    void portAdded(const QString &name);
    void portRemoved(const QString &name);

private:
    void receive();

    struct Monitor;
    Monitor *monitor = nullptr;
};

#endif
