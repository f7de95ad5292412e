// Binding between one stored controller parameter and the widget that shows
// it on a settings page.
#ifndef DEVICEPARAM_H
#define DEVICEPARAM_H

#include "KivraBindings.h"

#include <QVector>

class QWidget;

struct DeviceParam
{
    // A QSpinBox (value as is) or a QComboBox (one item per value, from the
    // parameter's lowest up).
    QWidget *widget;
    KivraParameterId id; // its functions and range, from the binding table
    bool traceRead;      // write each value read to the debug output

    const kivra::Binding &binding() const { return *kivra::binding(id); }
};

// Gives every spin box among params its parameter's range.
void applyDeviceRanges(const QVector<DeviceParam> &params);

// Reads the parameters in order into their widgets. Stops at the first
// negative result, leaving the widgets not yet reached as they were, and
// returns false; true when every read succeeded.
bool loadDeviceParams(int handle, const QVector<DeviceParam> &params);

// Writes every parameter in order from its widget, carrying on past failures,
// and returns the sum of the setters' results (negative when any failed).
int writeDeviceParams(int handle, const QVector<DeviceParam> &params);

#endif
