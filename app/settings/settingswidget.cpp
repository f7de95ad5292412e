#include "settingswidget.h"
#include "ui_settingswidget.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

#include "KivraLibrary.h"
#include "framelesswindow.h"

namespace {

const char kLinkStart[] = "<a style='color: blue; text-decoration: none' href = ";
// The query ends the unquoted href, so a click reports the target alone.
const char kLinkQuery[] = "?type=lately>";
const char kLocalLinkQuery[] = " ?type=lately>";
const char kHomePage[] = "https://kivra.example.org/";
const char kManualPath[] = "/help/Kivra软件使用说明书.pdf";
const char kSdkPath[] = "/help/SDK";

struct LinkTexts
{
    const char *moreInfo;
    const char *manual;
    const char *sdk;
};

// The links carry their own wording in both languages instead of going
// through the translation, which only knows the Chinese label texts.
const LinkTexts kChineseLinks = {"了解更多", "查看", "查看 SDK"};
const LinkTexts kEnglishLinks = {"lern more", "open", "open SDK"};

QString linkText(const char *target, const char *query, const char *text)
{
    return QString::fromUtf8(kLinkStart) + QString::fromUtf8(target) + QLatin1String(query) +
           QString::fromUtf8(text);
}

} // namespace

SettingsWidget::SettingsWidget(QWidget *parent)
    : QWidget(parent), ui(new Ui::SettingsWidget), devHandle(0), currentLanguage(LanguageChinese)
{
    ui->setupUi(this);
    setWindowTitle(tr("设置"));

    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(Qt::Window);
    new FramelessWindow(this, ui->widget_content, ui->widget_title);

    ui->stackedWidget_settings->setCurrentWidget(ui->page_run);
    ui->label_softVersion->setText(QStringLiteral("V" KIVRA_VERSION));

    leftButtonGroup.setExclusive(true);
    leftButtonGroup.addButton(ui->pushButton_runSettings);
    leftButtonGroup.addButton(ui->pushButton_lightSettings);
    leftButtonGroup.addButton(ui->pushButton_triggerSettings);
    leftButtonGroup.addButton(ui->pushButton_about);
    leftButtonGroup.addButton(ui->pushButton_language);

    // Checking a radio button here emits no clicked(), so no prompt appears.
    currentLanguage = readConfiguredLanguage();
    if (currentLanguage == LanguageEnglish)
        ui->radioButton_en->setChecked(true);
    else
        ui->radioButton_cn->setChecked(true);
    showLinks(currentLanguage);

    ui->label_moreInfo->setOpenExternalLinks(true);
    connect(ui->label_softManual, &QLabel::linkActivated, this,
            &SettingsWidget::slot_linkActivated);
    connect(ui->label_openSDK, &QLabel::linkActivated, this, &SettingsWidget::slot_linkActivated);

    // Requests go out in these orders, page by page, for reads and writes alike.
    runParams = {
        {ui->spinBox_onTime, KIVRA_PARAM_ON_TIME, false},
        {ui->spinBox_offTime, KIVRA_PARAM_OFF_TIME, false},
        {ui->spinBox_cycleCount, KIVRA_PARAM_CYCLES, false},
        {ui->comboBox_valveType, KIVRA_PARAM_VALVE, false},
        {ui->comboBox_InitialState, KIVRA_PARAM_INITIAL_STATE, true},
    };
    triggerParams = {
        {ui->comboBox_triggerIn, KIVRA_PARAM_TRIGGER_IN, false},
        {ui->comboBox_triggerOut, KIVRA_PARAM_TRIGGER_OUT, false},
        {ui->comboBox_IO1Mode, KIVRA_PARAM_IO1, false},
        {ui->comboBox_IO2Mode, KIVRA_PARAM_IO2, false},
    };
    lightParams = {
        {ui->spinBox_lightLevel, KIVRA_PARAM_LIGHT, false},
        {ui->spinBox_idleLightLevel, KIVRA_PARAM_LIGHT_IDLE, false},
        {ui->spinBox_lightTimeout, KIVRA_PARAM_LIGHT_TIMEOUT, false},
    };
    for (const QVector<DeviceParam> *page : {&runParams, &triggerParams, &lightParams})
        applyDeviceRanges(*page);
}

SettingsWidget::~SettingsWidget()
{
    delete ui;
}

void SettingsWidget::setDevHandle(int handle)
{
    devHandle = handle;
}

void SettingsWidget::showRunSettings()
{
    ui->pushButton_runSettings->setChecked(true);
    on_pushButton_runSettings_clicked();
}

void SettingsWidget::showLinks(Language language)
{
    const LinkTexts &texts = language == LanguageEnglish ? kEnglishLinks : kChineseLinks;
    ui->label_moreInfo->setText(linkText(kHomePage, kLinkQuery, texts.moreInfo));
    ui->label_softManual->setText(linkText(kManualPath, kLocalLinkQuery, texts.manual));
    ui->label_openSDK->setText(linkText(kSdkPath, kLocalLinkQuery, texts.sdk));
}

void SettingsWidget::slot_linkActivated(QString url)
{
    // The targets begin with "/", so no separator is added.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + url));
}

void SettingsWidget::on_pushButton_close_clicked()
{
    close();
}

void SettingsWidget::showAndLoadPage(QWidget *page, const QVector<DeviceParam> &params)
{
    // The page is shown before any device traffic, so a slow controller
    // still leaves the user looking at the page they asked for.
    ui->stackedWidget_settings->setCurrentWidget(page);
    if (!loadDeviceParams(devHandle, params))
        emit signal_showMsg(tr("读取设备参数失败"));
}

void SettingsWidget::writePage(const QVector<DeviceParam> &params)
{
    if (writeDeviceParams(devHandle, params) < 0) {
        emit signal_showMsg(tr("设置设备参数失败"));
        return;
    }
    emit signal_showMsg(tr("设置设备参数成功"));
    emit signal_devParamChanged();
}

void SettingsWidget::on_pushButton_runSettings_clicked()
{
    showAndLoadPage(ui->page_run, runParams);
}

void SettingsWidget::on_pushButton_triggerSettings_clicked()
{
    showAndLoadPage(ui->page_trigger, triggerParams);
}

void SettingsWidget::on_pushButton_lightSettings_clicked()
{
    showAndLoadPage(ui->page_light, lightParams);
}

void SettingsWidget::on_pushButton_setRunSettings_clicked()
{
    writePage(runParams);
}

void SettingsWidget::on_pushButton_setTriggerSettings_clicked()
{
    writePage(triggerParams);
}

void SettingsWidget::on_pushButton_setLightSettings_clicked()
{
    writePage(lightParams);
}

void SettingsWidget::on_pushButton_language_clicked()
{
    ui->stackedWidget_settings->setCurrentWidget(ui->page_language);
}

void SettingsWidget::on_pushButton_about_clicked()
{
    ui->stackedWidget_settings->setCurrentWidget(ui->page_about);

    char version[KIVRA_TEXT_FIELD_SIZE] = {};
    // A failed read is silent: the label keeps the last version shown.
    if (getDeviceSoftVersion(devHandle, version, KIVRA_TEXT_FIELD_SIZE) != 0)
        return;
    // A full field carries no terminator; never look past it.
    const int length = int(qstrnlen(version, KIVRA_TEXT_FIELD_SIZE));
    ui->label_hardwareVersion->setText(QString::fromUtf8(version, length));
}

void SettingsWidget::on_radioButton_cn_clicked(bool checked)
{
    switchLanguage(checked, LanguageChinese);
}

void SettingsWidget::on_radioButton_en_clicked(bool checked)
{
    switchLanguage(checked, LanguageEnglish);
}

void SettingsWidget::switchLanguage(bool checked, Language language)
{
    if (!checked || currentLanguage == language)
        return;

    if (confirmLanguageSwitch(language)) {
        if (!storeLanguage(language)) {
            // Quitting now would restart in the old language with no word
            // of why; stay, and put the old choice back.
            QAbstractButton *old =
                currentLanguage == LanguageEnglish ? ui->radioButton_en : ui->radioButton_cn;
            old->setChecked(true);
            emit signal_showMsg(tr("保存语言设置失败"));
            return;
        }
        QCoreApplication::quit();
    }
    currentLanguage = language;
}
