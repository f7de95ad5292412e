#include "devdebugwidget.h"
#include "ui_devdebugwidget.h"

#include "KivraLibrary.h"

#include <QByteArray>
#include <QLineEdit>

namespace {
constexpr int kTextBufferBytes = 64;
constexpr int kDecimal = 10;

// The outcome texts are the factory's own and stay Chinese in every language.
constexpr char kSucceeded[] = "设置成功";
constexpr char kFailed[] = "设置失败";
} // namespace

DevDebugWidget::DevDebugWidget(QWidget *parent)
    : QWidget(parent), ui(new Ui::DevDebugWidget), devHandle(0)
{
    ui->setupUi(this);
    // A window of its own, although the main window stays its parent.
    setWindowFlag(Qt::Window, true);
}

DevDebugWidget::~DevDebugWidget()
{
    delete ui;
}

void DevDebugWidget::setDevHandle(int handle)
{
    devHandle = handle;
}

void DevDebugWidget::readText(TextReader read, QLineEdit *field)
{
    char buffer[kTextBufferBytes] = {};
    if (read(devHandle, buffer, kTextBufferBytes) != 0) {
        return;
    }
    field->setText(QString::fromLocal8Bit(buffer, int(qstrnlen(buffer, sizeof buffer))));
}

void DevDebugWidget::writeText(TextWriter write, const QLineEdit *field)
{
    const QByteArray bytes = field->text().toLocal8Bit();
    showResult(write(devHandle, bytes.constData(), bytes.size()));
}

void DevDebugWidget::writeNumber(NumberWriter write, const QLineEdit *field)
{
    bool ok = false;
    const int value = field->text().toInt(&ok, kDecimal);
    if (!ok) {
        // An empty or garbled field must not reach the drive as a 0.
        ui->label_msg->setText(QString::fromUtf8(kFailed));
        return;
    }
    showResult(write(devHandle, value));
}

void DevDebugWidget::showResult(int result)
{
    ui->label_msg->setText(QString::fromUtf8(result == 0 ? kSucceeded : kFailed));
}

void DevDebugWidget::on_pushButton_readDevName_clicked()
{
    readText(getDeviceName, ui->lineEdit_devName);
}

void DevDebugWidget::on_pushButton_writeDevName_clicked()
{
    writeText(writeDevName, ui->lineEdit_devName);
}

void DevDebugWidget::on_pushButton_readSerial_clicked()
{
    readText(getSerialNumber, ui->lineEdit_serialNumber);
}

void DevDebugWidget::on_pushButton_writeSerial_clicked()
{
    writeText(writeDevSerial, ui->lineEdit_serialNumber);
}

void DevDebugWidget::on_pushButton_writePwmDuty_clicked()
{
    writeNumber(setPwmDuty, ui->lineEdit_PWMduty);
}

void DevDebugWidget::on_pushButton_writePwmHz_clicked()
{
    writeNumber(setPwmHz, ui->lineEdit_PwmHz);
}

void DevDebugWidget::on_pushButton_writeEndpointPwm_clicked()
{
    writeNumber(setEndPointPwm, ui->lineEdit_endpointPwm);
}

void DevDebugWidget::on_pushButton_writeEndpointTime_clicked()
{
    writeNumber(setEndPointTime, ui->lineEdit_endpointTime);
}
