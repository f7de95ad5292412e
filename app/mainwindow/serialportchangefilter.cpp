#include "serialportchangefilter.h"

#include <QDebug>
#include <QWidget>

namespace {
// Diagnostic line numbers, kept stable so logs from all platforms compare.
constexpr int kInsertedLine = 28;
constexpr int kRemovedLine = 40;
} // namespace

SerialPortChangeFilter::SerialPortChangeFilter(QObject *watched)
    : QObject(nullptr), mainWidget(qobject_cast<QWidget *>(watched))
{
    startWatching();
}

SerialPortChangeFilter::~SerialPortChangeFilter() = default;

void SerialPortChangeFilter::reportInserted()
{
    qDebug() << kInsertedLine << "串口连接";
    emit signal_serialPortInserted();
}

void SerialPortChangeFilter::reportRemoved(const QString &name)
{
    qDebug() << kRemovedLine << "串口断开" << name;
    emit signal_serialPortRemoved(name);
}
