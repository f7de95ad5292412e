#include "deviceparam.h"

#include <QComboBox>
#include <QDebug>
#include <QSpinBox>

namespace {

// Tag of the debug line written for a traced read.
constexpr int kTraceReadTag = 245;

int lowest(const DeviceParam &param)
{
    return param.binding().parameter().min;
}

void showValue(const DeviceParam &param, int value)
{
    if (auto *spin = qobject_cast<QSpinBox *>(param.widget)) {
        // The spin box clamps a value outside its range.
        spin->setValue(value);
    } else if (auto *combo = qobject_cast<QComboBox *>(param.widget)) {
        // A code without an item leaves the box with no current item.
        combo->setCurrentIndex(value - lowest(param));
    }
}

int shownValue(const DeviceParam &param)
{
    if (auto *spin = qobject_cast<const QSpinBox *>(param.widget))
        return spin->value();
    if (auto *combo = qobject_cast<const QComboBox *>(param.widget))
        return combo->currentIndex() + lowest(param);
    return 0;
}

} // namespace

void applyDeviceRanges(const QVector<DeviceParam> &params)
{
    for (const DeviceParam &param : params) {
        if (auto *spin = qobject_cast<QSpinBox *>(param.widget)) {
            const KivraParameter &range = param.binding().parameter();
            spin->setRange(range.min, range.max);
        }
    }
}

bool loadDeviceParams(int handle, const QVector<DeviceParam> &params)
{
    for (const DeviceParam &param : params) {
        const int value = param.binding().get(handle);
        if (value < 0)
            return false;
        if (param.traceRead)
            qDebug() << kTraceReadTag << value;
        showValue(param, value);
    }
    return true;
}

int writeDeviceParams(int handle, const QVector<DeviceParam> &params)
{
    int sum = 0;
    for (const DeviceParam &param : params)
        sum += param.binding().set(handle, shownValue(param));
    return sum;
}
