// The settings dialog: run, trigger and backlight parameters of the
// controller, the program's language and an about page.
#ifndef SETTINGSWIDGET_H
#define SETTINGSWIDGET_H

#include <QButtonGroup>
#include <QPoint>
#include <QVector>
#include <QWidget>

#include "deviceparam.h"
#include "languageconfig.h"

namespace Ui {
class SettingsWidget;
}

class SettingsWidget : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsWidget(QWidget *parent = nullptr);
    ~SettingsWidget() override;

    // The handle of the device to use from now on; 0 when none is open.
    void setDevHandle(int handle);
    // Shows the run page and reads it from the device.
    void showRunSettings();

signals:
    void signal_showMsg(QString msg);
    void signal_devParamChanged();

public slots:
    void slot_linkActivated(QString url);

private slots:
    void on_pushButton_close_clicked();
    void on_pushButton_runSettings_clicked();
    void on_pushButton_triggerSettings_clicked();
    void on_pushButton_lightSettings_clicked();
    void on_pushButton_about_clicked();
    void on_pushButton_setRunSettings_clicked();
    void on_pushButton_setTriggerSettings_clicked();
    void on_pushButton_setLightSettings_clicked();
    void on_pushButton_language_clicked();
    void on_radioButton_cn_clicked(bool checked);
    void on_radioButton_en_clicked(bool checked);

private:
    void showLinks(Language language);
    void showAndLoadPage(QWidget *page, const QVector<DeviceParam> &params);
    void writePage(const QVector<DeviceParam> &params);
    void switchLanguage(bool checked, Language language);

    Ui::SettingsWidget *ui;
    int devHandle;
    QButtonGroup leftButtonGroup;
    Language currentLanguage;

    QVector<DeviceParam> runParams;
    QVector<DeviceParam> triggerParams;
    QVector<DeviceParam> lightParams;
};

#endif
