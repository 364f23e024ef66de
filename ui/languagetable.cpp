#include "ui/languagetable.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QWidget>

#include "ui/bilingual.h"

namespace {

using S = TextSlot;

LanguageEntry tableRows[] = {
    {"groupBox_8", S::GroupTitle, "Connect Motor", {}},
    {"pushButtonRefreshCom", S::ButtonText, "Refresh COM", {}},
    {"pushButtonOpenCom", S::ButtonText, "Open COM", {}},
    {"pushButtonGetDevInfo", S::ButtonText, "Detection Devices", {}},
    // The button names the language that its next click selects.
    {"pushButtonlanguage", S::ButtonText, "中文", {}},
    {"pushButtonCaliEncoder", S::ButtonText, "Encoder Calibation", {}},
    {"pushButton_17", S::ButtonText, "Start Auto Report", {}},
    {"pushButton_time", S::ButtonText, "Set Report Time", {}},
    {"pushButtonSetCanId", S::ButtonText, "Set ID", {}},
    {"pushButtonZeroMech", S::ButtonText, "Set Zero Postion", {}},
    {"pushButtonInOtaMode", S::ButtonText, "Erase", {}},
    {"pushButtonOpenFile", S::ButtonText, "Open File", {}},
    {"pushButtonStartOta", S::ButtonText, "Start Update", {}},
    {"pushButton_15", S::ButtonText, "Device Read", {}},
    {"pushButton_18", S::ButtonText, "CAN Type", {}},
    {"pushButton_16", S::ButtonText, "CAN Baud rate", {}},
    {"pushButton_20", S::ButtonText, "Canopen to Private Protocol", {}},
    {"pushButtonRefreshTable", S::ButtonText, "Refresh Para Table", {}},
    {"pushButtonWritePara", S::ButtonText, "Write Para", {}},
    {"pushButtonRecoverFac", S::ButtonText, "Factory Reset", {}},
    {"pushButtonExportExcel", S::ButtonText, "Export ParaTable", {}},
    {"pushButton_more", S::ButtonText, "Open Multi-device", {}},
    {"pushButtonErrorClear", S::ButtonText, "Clear Motor Fault", {}},
    {"pushButtonclear", S::ButtonText, "Clear testEdit", {}},
    {"pushButtonSaveLog", S::ButtonText, "Save Log", {}},
    {"pushButtonSaveParaFile", S::ButtonText, "Save Para File", {}},
    {"pushButtonLoadParaFile", S::ButtonText, "Load Para File", {}},
    {"checkBoxModifiedOnly", S::ButtonText, "Modified only", {}},
    {"lineEditParaFilter", S::Placeholder, "Search name or code", {}},
    {"lineEditComName", S::Placeholder, "No CH340 port found: type a port name, e.g. /dev/ttyACM0", {}},
    {"groupBox_3", S::GroupTitle, "Run and Debug Area", {}},
    {"pushButtonCfgMotor", S::ButtonText, "Enable", {}},
    {"pushButtonCfgReset", S::ButtonText, "Stop", {}},
    {"tab_setPara", S::TabTitle, "Parameter Setting", {}},
    {"tab_Oscilloscope", S::TabTitle, "oscilloscope", {}},
    {"groupBox_2", S::GroupTitle, "Channel selection", {}},
    {"label_13", S::LabelText, "Output frequency", {}},
    {"pushButton", S::ButtonText, "Apply", {}},
    {"pushButtonSineEn", S::ButtonText, "Start", {}},
    {"pushButtonReadPara", S::ButtonText, "Read Para", {}},
    {"pushButtonCfgContinous", S::ButtonText, "Continuous Send", {}},
    {"pushButtonCfgSingle", S::ButtonText, "Single Send", {}},
    {"pushButtonEchoStart", S::ButtonText, "Start", {}},
    {"pushButtonSaveWave", S::ButtonText, "Data Storage", {}},
    {"pushButtonEchoSet", S::ButtonText, "Apply", {}},
    {"groupBox_6", S::GroupTitle, "Motor Configuration", {}},
    {"groupBox_7", S::GroupTitle, "OAT", {}},
    {"groupBox", S::GroupTitle, "Sine Wave Test", {}},
    {"label", S::LabelText, "COM send Data", {}},
    {"labelOtaInfo", S::LabelText, "info", {}},
    {"label_2", S::LabelText, "USB-CAN Module", {}},
    {"label_4", S::LabelText, "TextLabe1", {}},
    {"tab", S::TabTitle, "MIT", {}},
    {"tab_3", S::TabTitle, "PP", {}},
    {"tab_5", S::TabTitle, "Velocity", {}},
    {"tab_4", S::TabTitle, "Current", {}},
    {"tab_2", S::TabTitle, "CSP", {}},
    {"label_17", S::LabelText, "Run Mode", {}},
    {"label_11", S::LabelText, "Torque(Nm)", {}},
    {"label_7", S::LabelText, "Angle(rad)", {}},
    {"label_10", S::LabelText, "Velocity\n(rad/s)", {}},
    {"label_8", S::LabelText, "KP", {}},
    {"label_9", S::LabelText, "KD", {}},
    {"label_18", S::LabelText, "Amplitude", {}},
    {"label_19", S::LabelText, "Frequency\n(Hz)", {}},
    {"label_20", S::LabelText, "Speed\n(rad/s)", {}},
    {"label_27", S::LabelText, "Acc.\n(Rad/s/s)", {}},
    {"label_12", S::LabelText, "Angle Cmd\n(rad)", {}},
    {"label_24", S::LabelText, "Current Limit\n(A)", {}},
    {"label_25", S::LabelText, "Speed Step\n(rad/s/s)", {}},
    {"label_16", S::LabelText, "Velocity\n(rad/s)", {}},
    {"label_22", S::LabelText, "Iq Cmd 1(Amp)", {}},
    {"label_23", S::LabelText, "Iq Cmd 2(Amp)", {}},
    {"label_21", S::LabelText, "Iq Cmd(Amp)", {}},
    {"label_26", S::LabelText, "Velocity Limit\n(rad/s)", {}},
    {"label_28", S::LabelText, "Angle Command\n(rad)", {}},
    // oscilloscope tools
    {"pushButtonScopeFreeze", S::ButtonText, "Freeze", {}},
    {"pushButtonScopeCursors", S::ButtonText, "Cursors", {}},
    {"pushButtonScopeExport", S::ButtonText, "Export", {}},
    // The live status panel of the selected drive.
    {"groupBoxLiveStatus", S::GroupTitle, "Live Status", {}},
    {"labelLivePositionTitle", S::LabelText, "Position (rad)", {}},
    {"labelLiveVelocityTitle", S::LabelText, "Velocity (rad/s)", {}},
    {"labelLiveTorqueTitle", S::LabelText, "Torque (N·m)", {}},
    {"labelLiveTemperatureTitle", S::LabelText, "Temperature (°C)", {}},
    {"labelLiveModeTitle", S::LabelText, "Mode", {}},
    {"labelLiveFaultTitle", S::LabelText, "Fault", {}},
    {"labelLiveAgeTitle", S::LabelText, "Since last frame", {}},
};

// A tab page sits in the tab widget's stack; its title lives in the tab bar.
QTabWidget* tabWidgetOf(const QWidget* page, int& index)
{
    for (QWidget* up = page->parentWidget(); up; up = up->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(up)) {
            index = tabs->indexOf(const_cast<QWidget*>(page));
            return index >= 0 ? tabs : nullptr;
        }
    }
    return nullptr;
}

}  // namespace

Bilingual languageSwitchStatusText()
{
    return Bilingual("Please select and open a COM port!", "请选择串口并打开！");
}

QVector<Bilingual> runModeItems()
{
    return {Bilingual(QString(), QStringLiteral(" ")), Bilingual("MIT", "运控模式"),  Bilingual("CSP", "位置模式"),
            Bilingual("Velocity", "速度模式"),           Bilingual("Current", "电流模式"), Bilingual("PP", "插补位置模式")};
}

QVector<Bilingual> canTypeItems()
{
    return {Bilingual(), Bilingual("Standard Frame", "标准帧"), Bilingual("Extended Frame", "扩展帧")};
}

LanguageTable& LanguageTable::instance()
{
    static LanguageTable table;
    return table;
}

LanguageTable::LanguageTable() : entries(tableRows), count(sizeof tableRows / sizeof tableRows[0]) {}

std::size_t LanguageTable::size() const
{
    return count;
}

const LanguageEntry& LanguageTable::entry(std::size_t i) const
{
    return entries[i];
}

const LanguageEntry* LanguageTable::find(const char* objectName) const
{
    for (std::size_t i = 0; i < count; ++i)
        if (qstrcmp(entries[i].objectName, objectName) == 0)
            return &entries[i];
    return nullptr;
}

QString LanguageTable::currentText(const QWidget* root, const LanguageEntry& entry)
{
    const QString name = QString::fromLatin1(entry.objectName);
    switch (entry.slot) {
    case TextSlot::ButtonText:
        if (const auto* button = root->findChild<QAbstractButton*>(name))
            return button->text();
        break;
    case TextSlot::LabelText:
        if (const auto* label = root->findChild<QLabel*>(name))
            return label->text();
        break;
    case TextSlot::GroupTitle:
        if (const auto* group = root->findChild<QGroupBox*>(name))
            return group->title();
        break;
    case TextSlot::TabTitle:
        if (const auto* page = root->findChild<QWidget*>(name)) {
            int index = -1;
            if (const QTabWidget* tabs = tabWidgetOf(page, index))
                return tabs->tabText(index);
        }
        break;
    case TextSlot::Placeholder:
        if (const auto* field = root->findChild<QLineEdit*>(name))
            return field->placeholderText();
        break;
    }
    return QString();
}

bool LanguageTable::setText(QWidget* root, const LanguageEntry& entry, const QString& text)
{
    const QString name = QString::fromLatin1(entry.objectName);
    switch (entry.slot) {
    case TextSlot::ButtonText:
        if (auto* button = root->findChild<QAbstractButton*>(name)) {
            button->setText(text);
            return true;
        }
        break;
    case TextSlot::LabelText:
        if (auto* label = root->findChild<QLabel*>(name)) {
            label->setText(text);
            return true;
        }
        break;
    case TextSlot::GroupTitle:
        if (auto* group = root->findChild<QGroupBox*>(name)) {
            group->setTitle(text);
            return true;
        }
        break;
    case TextSlot::TabTitle:
        if (auto* page = root->findChild<QWidget*>(name)) {
            int index = -1;
            if (QTabWidget* tabs = tabWidgetOf(page, index)) {
                tabs->setTabText(index, text);
                return true;
            }
        }
        break;
    case TextSlot::Placeholder:
        if (auto* field = root->findChild<QLineEdit*>(name)) {
            field->setPlaceholderText(text);
            return true;
        }
        break;
    }
    return false;
}

void LanguageTable::captureChineseOnce(const QWidget* root)
{
    if (captured)
        return;
    for (std::size_t i = 0; i < count; ++i)
        entries[i].savedChinese = currentText(root, entries[i]);
    captured = true;
}

void LanguageTable::apply(QWidget* root, bool english) const
{
    if (!english && !captured)
        return;
    for (std::size_t i = 0; i < count; ++i)
        setText(root, entries[i], Bilingual(QString::fromUtf8(entries[i].english), entries[i].savedChinese).in(english));
}
