#ifndef ZENTOWIDGET_H
#define ZENTOWIDGET_H

#include <QButtonGroup>
#include <QPoint>
#include <QString>
#include <QWidget>

namespace Ui {
class ZentoWidget;
}

class QTimer;
class DevDebugWidget;
class SettingsWidget;
class SerialPortChangeFilter;

// The program's main window: a frameless panel that lists the serial ports,
// opens one controller through KivraLibrary, shows its parameters and keeps
// the shown shutter state and frequency current.
class ZentoWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ZentoWidget(QWidget *parent = nullptr);
    ~ZentoWidget() override;

    void setDebugButtonVisible(bool visible);

public slots:
    void slot_msgTimeout();
    void slot_MonitorTimeout();
    void slot_showMsg(QString msg);
    void slot_devParamChaged();
    void slot_serialPortInserted();
    void slot_serialPortRemoved(QString name);

private slots:
    void on_pushButton_close_clicked();
    void on_pushButton_min_clicked();
    void on_pushButton_settings_clicked();
    void on_pushButton_refreshDevList_clicked();
    void on_pushButton_openDevice_clicked();
    void on_pushButton_on_clicked();
    void on_pushButton_off_clicked();
    void on_radioButton_manualMode_clicked();
    void on_radioButton_singleMode_clicked();
    void on_radioButton_autoMode_clicked();
    void on_radioButton_triggerMode_clicked();
    void on_pushButton_debug_clicked();
    void on_radioButton_autoMode_toggled(bool checked);

private:
    void showMessage(const QString &text);
    // Reads the shown parameters; false at the first failed read.
    bool readParameters();
    bool readSerialNumber();
    void showMode(int mode);
    void setMode(int mode);
    // Closes the open device and withdraws its handle from the dialogs.
    void closeDevice();
    void handOutHandle(int handle);

    Ui::ZentoWidget *ui;
    QButtonGroup onOffGroup;
    int devHandle = 0;
    QString portName;
    QTimer *msgTimer = nullptr;
    int msgTickCount = 0;
    QTimer *monitorTimer = nullptr;
    SettingsWidget *settingsWidget = nullptr;
    DevDebugWidget *devDebugWidget = nullptr;
    SerialPortChangeFilter *portChangeFilter = nullptr;
};

#endif
