// Binding between one stored controller parameter and the widget that shows
// it on a settings page.
#ifndef DEVICEPARAM_H
#define DEVICEPARAM_H

#include <QVector>

class QWidget;

struct DeviceParam
{
    using Getter = int (*)(int handle);
    using Setter = int (*)(int handle, int value);

    QWidget *widget; // a QSpinBox (value as is) or a QComboBox (value = index + 1)
    Getter read;
    Setter write;
    bool traceRead; // write each value read to the debug output
};

// Reads the parameters in order into their widgets. Stops at the first
// negative result, leaving the widgets not yet reached as they were, and
// returns false; true when every read succeeded.
bool loadDeviceParams(int handle, const QVector<DeviceParam> &params);

// Writes every parameter in order from its widget, carrying on past failures,
// and returns the sum of the setters' results (negative when any failed).
int writeDeviceParams(int handle, const QVector<DeviceParam> &params);

#endif
