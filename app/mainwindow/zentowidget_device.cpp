// ZentoWidget's dealings with the controller: the port list, opening and
// closing, parameter reads, state and mode commands, the monitor and hot-plug.
#include "ui_zentowidget.h"
#include "zentowidget.h"

#include "KivraLibrary.h"
#include "KivraVocabulary.h"
#include "devdebugwidget.h"
#include "serialportchangefilter.h"
#include "settingswidget.h"

#include <QByteArray>
#include <QStringList>

namespace {
constexpr int kPortListBytes = 1024;
constexpr int kSerialNumberBytes = 64;

constexpr char kGreenIndicator[] = "border-image: url(:/image/greenPot.png);";
constexpr int kFrequencyDigits = 6;

// Decodes a zero-filled byte buffer up to its first zero byte, or whole if it
// has none, so a full buffer never runs past its end.
QString textFromBuffer(const char *buffer, int size)
{
    return QString::fromLocal8Bit(buffer, int(qstrnlen(buffer, size_t(size))));
}
} // namespace

void ZentoWidget::on_pushButton_refreshDevList_clicked()
{
    QByteArray buffer(kPortListBytes, '\0');
    if (listPorts(buffer.data(), buffer.size()) < 0) {
        return;
    }
    QStringList names = textFromBuffer(buffer.constData(), buffer.size()).split(',');
    names.removeDuplicates();
    ui->comboBox_deviceList->clear();
    ui->comboBox_deviceList->addItems(names);
    ui->comboBox_deviceList->setCurrentIndex(0);
}

void ZentoWidget::on_pushButton_openDevice_clicked()
{
    const QString port = ui->comboBox_deviceList->currentText();
    if (port.isEmpty()) {
        return;
    }
    if (devHandle > 0) {
        closeDevice();
    }
    devHandle = openSerial(port.toLocal8Bit().constData());
    if (devHandle < 0) {
        showMessage(tr("打开设备失败"));
        return;
    }
    portName = port;

    if (!readParameters() || !readSerialNumber()) {
        showMessage(tr("读取设备参数失败"));
        closeDevice();
        return;
    }
    showMessage(tr("打开设备成功"));
    ui->label_state->setStyleSheet(QString::fromLatin1(kGreenIndicator));
    handOutHandle(devHandle);
}

bool ZentoWidget::readParameters()
{
    const int onTime = getShutterOnTime(devHandle);
    if (onTime < 0) {
        return false;
    }
    ui->label_onTime->setText(QStringLiteral("%1 ms").arg(onTime));

    const int offTime = getShutterOffTime(devHandle);
    if (offTime < 0) {
        return false;
    }
    ui->label_offTime->setText(QStringLiteral("%1 ms").arg(offTime));

    const int cycles = getShutterCycleCount(devHandle);
    if (cycles < 0) {
        return false;
    }
    ui->label_cycleInfo->setText(QString::number(cycles));

    const int valveType = getValveType(devHandle);
    if (valveType < 0) {
        return false;
    }
    // Any code but the first model's is shown as the second model.
    const int model = valveType == KIVRA_VALVE_KD08_40 ? KIVRA_VALVE_KD08_40 : KIVRA_VALVE_KD2_40;
    ui->label_valveModel->setText(
        QString::fromUtf8(kivraValueWord(kivraParameter(KIVRA_PARAM_VALVE), model)));

    const int mode = getShutterMode(devHandle);
    if (mode < 0) {
        return false;
    }
    showMode(mode);

    const int state = getShutterState(devHandle);
    if (state < 0) {
        return false;
    }
    (state == KIVRA_STATE_OPEN ? ui->pushButton_on : ui->pushButton_off)->setChecked(true);
    return true;
}

bool ZentoWidget::readSerialNumber()
{
    char buffer[kSerialNumberBytes] = {};
    if (getSerialNumber(devHandle, buffer, kSerialNumberBytes) < 0) {
        return false;
    }
    ui->label_serialNumber->setText(textFromBuffer(buffer, kSerialNumberBytes));
    return true;
}

void ZentoWidget::showMode(int mode)
{
    switch (mode) {
    case KIVRA_MODE_MANUAL:
        ui->radioButton_manualMode->setChecked(true);
        break;
    case KIVRA_MODE_SINGLE:
        ui->radioButton_singleMode->setChecked(true);
        break;
    case KIVRA_MODE_AUTO:
        ui->radioButton_autoMode->setChecked(true);
        break;
    case KIVRA_MODE_TRIGGER:
        ui->radioButton_triggerMode->setChecked(true);
        break;
    default:
        // A mode this program does not know leaves the last choice shown.
        break;
    }
}

void ZentoWidget::closeDevice()
{
    closeSerial(devHandle);
    portName.clear();
    devHandle = 0;
    // The dialogs must not go on using a handle that is now closed.
    handOutHandle(0);
}

void ZentoWidget::handOutHandle(int handle)
{
    settingsWidget->setDevHandle(handle);
    devDebugWidget->setDevHandle(handle);
}

void ZentoWidget::slot_devParamChaged()
{
    if (!readParameters()) {
        showMessage(tr("读取设备参数失败"));
        closeDevice();
    }
}

void ZentoWidget::on_pushButton_on_clicked()
{
    if (setShutterState(devHandle, KIVRA_STATE_OPEN) < 0) {
        showMessage(tr("设置快门开状态失败"));
    }
}

void ZentoWidget::on_pushButton_off_clicked()
{
    if (setShutterState(devHandle, KIVRA_STATE_CLOSED) < 0) {
        showMessage(tr("设置快门关状态失败"));
    }
}

void ZentoWidget::setMode(int mode)
{
    if (setShutterMode(devHandle, mode) < 0) {
        showMessage(tr("设置快门模式失败"));
    }
}

void ZentoWidget::on_radioButton_manualMode_clicked()
{
    setMode(KIVRA_MODE_MANUAL);
}

void ZentoWidget::on_radioButton_singleMode_clicked()
{
    setMode(KIVRA_MODE_SINGLE);
}

void ZentoWidget::on_radioButton_autoMode_clicked()
{
    setMode(KIVRA_MODE_AUTO);
}

void ZentoWidget::on_radioButton_triggerMode_clicked()
{
    setMode(KIVRA_MODE_TRIGGER);
}

void ZentoWidget::slot_MonitorTimeout()
{
    if (devHandle <= 0) {
        return;
    }
    const int state = getShutterState(devHandle);
    if (state == KIVRA_STATE_OPEN) {
        ui->pushButton_on->setChecked(true);
    } else if (state == KIVRA_STATE_CLOSED) {
        ui->pushButton_off->setChecked(true);
    } else if (state < 0) {
        // A hung-up line fails every call; whether the port is gone is for
        // the filter to tell, and a removal closes the device at once.
        portChangeFilter->checkPort(portName);
        if (devHandle <= 0) {
            return;
        }
    }

    const float frequency = getFrequency(devHandle);
    // Failures arrive as negative numbers; NaN fails the test too.
    const double shown = frequency > 0.0f ? double(frequency) : 0.0;
    ui->label_frequency->setText(QString::number(shown, 'g', kFrequencyDigits));
}

void ZentoWidget::slot_serialPortInserted()
{
    on_pushButton_refreshDevList_clicked();
    // Written straight into the line: a running message count may clear it.
    ui->label_message->setText(tr("检测到串口设备插入"));
}

void ZentoWidget::slot_serialPortRemoved(QString name)
{
    if (!portName.isEmpty() && name == portName) {
        closeDevice();
        ui->label_message->setText(tr("串口设备被移除"));
    }
    on_pushButton_refreshDevList_clicked();
}
