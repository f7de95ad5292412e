#include "deviceparam.h"

#include <QComboBox>
#include <QDebug>
#include <QSpinBox>

namespace {

// Combo boxes list the device's choices in order; the device counts from 1.
constexpr int kComboValueOffset = 1;

// Tag of the debug line written for a traced read.
constexpr int kTraceReadTag = 245;

void showValue(QWidget *widget, int value)
{
    if (auto *spin = qobject_cast<QSpinBox *>(widget)) {
        // The spin box clamps a value outside its range.
        spin->setValue(value);
    } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        // A code without an item leaves the box with no current item.
        combo->setCurrentIndex(value - kComboValueOffset);
    }
}

int shownValue(const QWidget *widget)
{
    if (auto *spin = qobject_cast<const QSpinBox *>(widget))
        return spin->value();
    if (auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->currentIndex() + kComboValueOffset;
    return 0;
}

} // namespace

bool loadDeviceParams(int handle, const QVector<DeviceParam> &params)
{
    for (const DeviceParam &param : params) {
        const int value = param.read(handle);
        if (value < 0)
            return false;
        if (param.traceRead)
            qDebug() << kTraceReadTag << value;
        showValue(param.widget, value);
    }
    return true;
}

int writeDeviceParams(int handle, const QVector<DeviceParam> &params)
{
    int sum = 0;
    for (const DeviceParam &param : params)
        sum += param.write(handle, shownValue(param.widget));
    return sum;
}
