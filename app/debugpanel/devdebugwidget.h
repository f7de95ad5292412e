#ifndef DEVDEBUGWIDGET_H
#define DEVDEBUGWIDGET_H

#include <QWidget>

namespace Ui {
class DevDebugWidget;
}

class QLineEdit;

// Factory panel: reads and writes the controller's name and serial number
// and writes the four drive tuning values, on the handle the main window
// hands over (0 while no device is open).
class DevDebugWidget : public QWidget
{
    Q_OBJECT

public:
    explicit DevDebugWidget(QWidget *parent = nullptr);
    ~DevDebugWidget() override;

    void setDevHandle(int handle);

private slots:
    void on_pushButton_readDevName_clicked();
    void on_pushButton_writeDevName_clicked();
    void on_pushButton_readSerial_clicked();
    void on_pushButton_writeSerial_clicked();
    void on_pushButton_writePwmDuty_clicked();
    void on_pushButton_writePwmHz_clicked();
    void on_pushButton_writeEndpointPwm_clicked();
    void on_pushButton_writeEndpointTime_clicked();

private:
    using TextReader = int (*)(int, char *, int);
    using TextWriter = int (*)(int, const char *, int);
    using NumberWriter = int (*)(int, int);

    void readText(TextReader read, QLineEdit *field);
    void writeText(TextWriter write, const QLineEdit *field);
    void writeNumber(NumberWriter write, const QLineEdit *field);
    void showResult(int result);

    Ui::DevDebugWidget *ui;
    int devHandle;
};

#endif
