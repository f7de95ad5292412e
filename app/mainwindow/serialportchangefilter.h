#ifndef SERIALPORTCHANGEFILTER_H
#define SERIALPORTCHANGEFILTER_H

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QString>

class QWidget;
class VirtualPortWatcher;

// Turns serial port arrival and removal notices into two signals: the
// system's (on Windows the device-change broadcasts that reach the main
// window; elsewhere the platform file's own sources), and on every platform
// the port directory's, where published ports come and go. Every native
// message is let through unchanged.
class SerialPortChangeFilter : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    // The object is only watched, not a parent: the filter is owned by whoever
    // installs it and must be removed from the application before deletion.
    explicit SerialPortChangeFilter(QObject *watched);
    ~SerialPortChangeFilter() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, long *result) override;

    // Looks whether the named port is still there, for a caller whose
    // exchange on it just failed, and reports its removal if it is gone. A
    // port whose far end died (a killed simulator keeps its link) or whose
    // device node went without a notice is found this way.
    void checkPort(const QString &name);

signals:
    void signal_serialPortInserted();
    void signal_serialPortRemoved(QString name);

private:
    // Each platform file starts its own notice sources here, as children of
    // the filter, so they end with it.
    void startWatching();

    // Shared by every platform: writes the diagnostic line, then signals.
    void reportInserted();
    void reportRemoved(const QString &name);

    // The port directory's notices, which every platform's startWatching()
    // starts; and checkPort() for a published port, which the watcher
    // settles itself (false: name is not one).
    void watchPortDirectory();
    bool rescanIfPublished(const QString &name);

    QWidget *mainWidget = nullptr;
    VirtualPortWatcher *virtualPorts = nullptr;
};

#endif
