#include "zentowidget.h"
#include "ui_zentowidget.h"

#include "devdebugwidget.h"
#include "framelesswindow.h"
#include "serialportchangefilter.h"
#include "settingswidget.h"

#include <QCoreApplication>
#include <QTimer>

// The images live in TrovaCore, a static library: without an explicit
// registration the linker would drop them as unreferenced.
static void registerTrovaImages()
{
    static bool registered = false;
    if (!registered) {
        Q_INIT_RESOURCE(trova);
        registered = true;
    }
}

namespace {
constexpr int kMessageIntervalMs = 1000;
constexpr int kMonitorIntervalMs = 100;
// The message line is cleared on the tick after this many have passed.
constexpr int kMessageTicksShown = 5;
} // namespace

ZentoWidget::ZentoWidget(QWidget *parent) : QWidget(parent), ui(new Ui::ZentoWidget)
{
    registerTrovaImages();
    ui->setupUi(this);
    setWindowTitle(tr("光学电动快门"));
    new FramelessWindow(this, ui->widget_content, ui->widget_title);

    portChangeFilter = new SerialPortChangeFilter(this);
    QCoreApplication::instance()->installNativeEventFilter(portChangeFilter);
    connect(portChangeFilter, &SerialPortChangeFilter::signal_serialPortInserted, this,
            &ZentoWidget::slot_serialPortInserted);
    connect(portChangeFilter, &SerialPortChangeFilter::signal_serialPortRemoved, this,
            &ZentoWidget::slot_serialPortRemoved);

    settingsWidget = new SettingsWidget(this);
    connect(settingsWidget, &SettingsWidget::signal_showMsg, this, &ZentoWidget::slot_showMsg);
    connect(settingsWidget, &SettingsWidget::signal_devParamChanged, this,
            &ZentoWidget::slot_devParamChaged);

    msgTimer = new QTimer(this);
    msgTimer->setInterval(kMessageIntervalMs);
    connect(msgTimer, &QTimer::timeout, this, &ZentoWidget::slot_msgTimeout);

    monitorTimer = new QTimer(this);
    monitorTimer->setInterval(kMonitorIntervalMs);
    connect(monitorTimer, &QTimer::timeout, this, &ZentoWidget::slot_MonitorTimeout);
    monitorTimer->start();

    devDebugWidget = new DevDebugWidget(this);

    onOffGroup.addButton(ui->pushButton_on);
    onOffGroup.addButton(ui->pushButton_off);
}

ZentoWidget::~ZentoWidget()
{
    // The filter refers to this window and has no parent: take it out of the
    // application before the window goes, so no late notice reaches a dead slot.
    QCoreApplication::instance()->removeNativeEventFilter(portChangeFilter);
    delete portChangeFilter;
    delete ui;
}

void ZentoWidget::setDebugButtonVisible(bool visible)
{
    ui->pushButton_debug->setVisible(visible);
}

void ZentoWidget::showMessage(const QString &text)
{
    ui->label_message->setText(text);
    msgTimer->start();
    msgTickCount = 0;
}

void ZentoWidget::slot_msgTimeout()
{
    if (msgTickCount > kMessageTicksShown) {
        ui->label_message->clear();
        msgTimer->stop();
        msgTickCount = 0;
    } else {
        ++msgTickCount;
    }
}

void ZentoWidget::slot_showMsg(QString msg)
{
    showMessage(msg);
}

void ZentoWidget::on_pushButton_close_clicked()
{
    close();
}

void ZentoWidget::on_pushButton_min_clicked()
{
    showMinimized();
}

void ZentoWidget::on_pushButton_settings_clicked()
{
    settingsWidget->show();
    settingsWidget->showRunSettings();
}

void ZentoWidget::on_pushButton_debug_clicked()
{
    devDebugWidget->show();
}

void ZentoWidget::on_radioButton_autoMode_toggled(bool checked)
{
    ui->pushButton_on->setText(checked ? tr("运行") : tr("打开"));
    ui->pushButton_off->setText(checked ? tr("停止") : tr("关闭"));
}
