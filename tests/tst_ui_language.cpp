// The language switch, offscreen: the widget texts swapped both ways, the
// lists refilled, the last reaction replayed, and texts written afterwards.

#include <QtTest>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>

#include "support/inprocess.h"
#include "ui/languagetable.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

namespace {

struct Expected {
    const char* name;
    const char* english;
    const char* chinese;  // the text after construction
};

// Every widget whose text the switch swaps, with both of its texts.
const Expected swapped[] = {
    {"groupBox_8", "Connect Motor", "连接电机"},
    {"pushButtonRefreshCom", "Refresh COM", "刷新串口"},
    {"pushButtonOpenCom", "Open COM", "打开串口"},
    {"pushButtonGetDevInfo", "Detection Devices", "检测设备"},
    {"pushButtonlanguage", "中文", "English"},
    {"pushButtonCaliEncoder", "Encoder Calibation", "磁编标定"},
    {"pushButton_17", "Start Auto Report", "开始上报"},
    {"pushButton_time", "Set Report Time", "上报时间设置"},
    {"pushButtonSetCanId", "Set ID", "设置ID"},
    {"pushButtonZeroMech", "Set Zero Postion", "设零位"},
    {"pushButtonInOtaMode", "Erase", "启动升级"},
    {"pushButtonOpenFile", "Open File", "打开文件"},
    {"pushButtonStartOta", "Start Update", "开始升级"},
    {"pushButton_15", "Device Read", "设备查询"},
    {"pushButton_18", "CAN Type", "帧类型设置"},
    {"pushButton_16", "CAN Baud rate", "波特率设置"},
    {"pushButton_20", "Canopen to Private Protocol", " canopen 协议 转私有协议"},
    {"pushButtonRefreshTable", "Refresh Para Table", "参数表刷新"},
    {"pushButtonWritePara", "Write Para", "写参数"},
    {"pushButtonRecoverFac", "Factory Reset", "恢复出厂"},
    {"pushButtonExportExcel", "Export ParaTable", "导出"},
    {"pushButton_more", "Open Multi-device", "打开多设备连接"},
    {"pushButtonErrorClear", "Clear Motor Fault", "清故障"},
    {"pushButtonclear", "Clear testEdit", "清空"},
    {"pushButtonSaveLog", "Save Log", "保存日志"},
    {"pushButtonSaveParaFile", "Save Para File", "保存参数文件"},
    {"pushButtonLoadParaFile", "Load Para File", "载入参数文件"},
    {"checkBoxModifiedOnly", "Modified only", "仅显示已修改"},
    {"lineEditParaFilter", "Search name or code", "搜索名称或功能码"},
    {"lineEditComName", "No CH340 port found: type a port name, e.g. /dev/ttyACM0",
     "未找到CH340串口，可输入串口名，例如 /dev/ttyACM0"},
    {"groupBox_3", "Run and Debug Area", "运行调试区"},
    {"pushButtonCfgMotor", "Enable", "运行"},
    {"pushButtonCfgReset", "Stop", "停止"},
    {"tab_setPara", "Parameter Setting", "参数设置"},
    {"tab_Oscilloscope", "oscilloscope", "示波器"},
    {"groupBox_2", "Channel selection", "通道选择"},
    {"label_13", "Output frequency", "输出频率"},
    {"pushButton", "Apply", "确定"},
    {"pushButtonSineEn", "Start", "启动"},
    {"pushButtonReadPara", "Read Para", "读参数"},
    {"pushButtonCfgContinous", "Continuous Send", "连续输出"},
    {"pushButtonCfgSingle", "Single Send", "单次控制"},
    {"pushButtonEchoStart", "Start", "启动"},
    {"pushButtonSaveWave", "Data Storage", "数据保存"},
    {"pushButtonEchoSet", "Apply", "设置"},
    {"groupBox_6", "Motor Configuration", "电机配置"},
    {"groupBox_7", "OAT", "升级"},
    {"groupBox", "Sine Wave Test", "正弦信号测试"},
    {"label", "COM send Data", "发送数据："},
    {"labelOtaInfo", "info", ""},
    {"label_2", "USB-CAN Module", "USB-CAN模块"},
    {"label_4", "TextLabe1", ""},
    {"tab", "MIT", "运控模式"},
    {"tab_3", "PP", "插补位置模式（PP）"},
    {"tab_5", "Velocity", "速度模式"},
    {"tab_4", "Current", "电流控制"},
    {"tab_2", "CSP", "位置模式（CSP）"},
    {"label_17", "Run Mode", "运行模式"},
    {"label_11", "Torque(Nm)", "力矩（nm）"},
    {"label_7", "Angle(rad)", "角度（rad）"},
    {"label_10", "Velocity\n(rad/s)", "速度(rad/s)"},
    {"label_8", "KP", "Kp"},
    {"label_9", "KD", "Kd"},
    {"label_18", "Amplitude", "幅值"},
    {"label_19", "Frequency\n(Hz)", "<html><head/><body><p>频率</p><p>(Hz)</p></body></html>"},
    {"label_20", "Speed\n(rad/s)", "<html><head/><body><p>速度设置</p><p>（rad/s）</p></body></html>"},
    {"label_27", "Acc.\n(Rad/s/s)", "<html><head/><body><p>加减速度设置</p><p>（rad/s/s）</p></body></html>"},
    {"label_12", "Angle Cmd\n(rad)", "<html><head/><body><p>角度指令</p><p>（rad）</p></body></html>"},
    {"label_24", "Current Limit\n(A)", "电流限制(A)"},
    {"label_25", "Speed Step\n(rad/s/s)", "<html><head/><body><p>速度步进值</p><p>(rad/s/s)</p></body></html>"},
    {"label_16", "Velocity\n(rad/s)", "速度指令\n(rad/s)"},
    {"label_22", "Iq Cmd 1(Amp)", "Iq指令1(A)"},
    {"label_23", "Iq Cmd 2(Amp)", "Iq指令2(A)"},
    {"label_21", "Iq Cmd(Amp)", "Id指令(A)"},
    {"label_26", "Velocity Limit\n(rad/s)", "<html><head/><body><p>速度设置</p><p>(rad/s)</p></body></html>"},
    {"label_28", "Angle Command\n(rad)", "<html><head/><body><p>角度指令</p><p>(rad)</p></body></html>"},
    {"pushButtonScopeFreeze", "Freeze", "冻结"},
    {"pushButtonScopeCursors", "Cursors", "游标"},
    {"pushButtonScopeExport", "Export", "导出"},
};

// What the operator reads on the widget: button or label text, group title, or the page's tab title.
QString shownText(const MainWindow& w, const char* name)
{
    QWidget* widget = w.findChild<QWidget*>(QString::fromLatin1(name));
    if (!widget)
        return QStringLiteral("<missing>");
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return group->title();
    if (auto* field = qobject_cast<QLineEdit*>(widget))
        return field->placeholderText();
    QWidget* stack = widget->parentWidget();
    if (auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr)
        return tabs->tabText(tabs->indexOf(widget));
    return QStringLiteral("<no text>");
}

QStringList shownTexts(const MainWindow& w)
{
    QStringList texts;
    for (const Expected& e : swapped)
        texts << QString::fromLatin1(e.name) + "=" + shownText(w, e.name);
    return texts;
}

void switchLanguage(MainWindow& w)
{
    w.ui->pushButtonlanguage->click();
}

}  // namespace

class LanguageSwitchTest : public QObject {
    Q_OBJECT

private slots:
    // Runs first: the Chinese texts are captured once per program run.
    void roundTripRestoresCapturedChinese();
    void listsEndOnTheirBlankItem();
    void replayRewritesTheLastReaction_data();
    void replayRewritesTheLastReaction();
    void laterTextsFollowTheNewLanguage_data();
    void laterTextsFollowTheNewLanguage();
};

void LanguageSwitchTest::roundTripRestoresCapturedChinese()
{
    QVERIFY2(!LanguageTable::instance().chineseCaptured(), "another switch ran first in this process");
    MainWindow w;
    announceDrive(w, 5, 0xab);
    w.ui->pushButton_17->click();  // reporting runs: the button shows its stop text
    QCOMPARE(w.ui->pushButton_17->text(), QString::fromUtf8("停止上报"));

    // Construction's texts, apart from the two that the operator's actions have changed.
    const QMap<QString, QString> runtime = {{"pushButton_17", QString::fromUtf8("停止上报")},
                                            {"labelOtaInfo", QString::fromUtf8("检测到设备,mcuId:0Xab canId:5")}};
    QStringList constructed;
    for (const Expected& e : swapped) {
        const QString name = QString::fromLatin1(e.name);
        constructed << name + "=" + runtime.value(name, QString::fromUtf8(e.chinese));
    }
    const QStringList before = shownTexts(w);
    QCOMPARE(before, constructed);

    switchLanguage(w);
    QVERIFY(w.languageEnglish);
    for (const Expected& e : swapped)
        QCOMPARE(QString::fromLatin1(e.name) + "=" + shownText(w, e.name),
                 QString::fromLatin1(e.name) + "=" + QString::fromUtf8(e.english));
    QCOMPARE(w.statusBar()->currentMessage(), QString("Please select and open a COM port!"));

    switchLanguage(w);
    QVERIFY(!w.languageEnglish);
    QCOMPARE(shownTexts(w), before);
    QCOMPARE(w.statusBar()->currentMessage(), QString::fromUtf8("请选择串口并打开！"));

    // A later switch does not capture again: the stop text comes back although the button now offers starting.
    w.ui->pushButton_17->click();
    QCOMPARE(w.ui->pushButton_17->text(), QString::fromUtf8("启动上报"));
    switchLanguage(w);
    QCOMPARE(w.ui->pushButton_17->text(), QString("Start Auto Report"));
    w.ui->pushButton_17->click();
    QCOMPARE(w.ui->pushButton_17->text(), QString("Stop reporting"));
    switchLanguage(w);
    QCOMPARE(shownTexts(w), before);
}

void LanguageSwitchTest::listsEndOnTheirBlankItem()
{
    MainWindow w;
    QComboBox* runMode = w.ui->comboBoxRunMode;
    QComboBox* canType = w.ui->comboBox_cantype;
    runMode->setCurrentIndex(3);
    canType->setCurrentIndex(2);

    switchLanguage(w);
    QCOMPARE(comboItems(runMode), (QStringList{"", "MIT", "CSP", "Velocity", "Current", "PP"}));
    QCOMPARE(runMode->currentIndex(), 0);
    QCOMPARE(comboItems(canType), (QStringList{"", "Standard Frame", "Extended Frame"}));
    QCOMPARE(canType->currentIndex(), 0);

    runMode->setCurrentIndex(5);
    canType->setCurrentIndex(1);
    switchLanguage(w);
    QCOMPARE(comboItems(runMode), (QStringList{" ", QString::fromUtf8("运控模式"), QString::fromUtf8("位置模式"),
                                          QString::fromUtf8("速度模式"), QString::fromUtf8("电流模式"),
                                          QString::fromUtf8("插补位置模式")}));
    QCOMPARE(runMode->currentIndex(), 0);
    QCOMPARE(comboItems(canType), (QStringList{"", QString::fromUtf8("标准帧"), QString::fromUtf8("扩展帧")}));
    QCOMPARE(canType->currentIndex(), 0);
}

void LanguageSwitchTest::replayRewritesTheLastReaction_data()
{
    QTest::addColumn<bool>("startEnglish");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QString>("replayedLine");
    const QString zh = QString::fromUtf8("设置CAN_ID成功!CAN:5  id:ab");
    const QString en = QStringLiteral("CAN_ID set successfully!CAN:5  id:ab");
    QTest::newRow("Chinese to English") << false << zh << en;
    QTest::newRow("English to Chinese") << true << en << zh;
}

void LanguageSwitchTest::replayRewritesTheLastReaction()
{
    QFETCH(bool, startEnglish);
    QFETCH(QString, firstLine);
    QFETCH(QString, replayedLine);
    MainWindow w;
    announceDrive(w, 5, 0xab);
    if (startEnglish)
        switchLanguage(w);
    w.ui->lineEditSetCanId->setText("9");
    QCOMPARE(int(w.worker.newCanId), 9);

    w.worker.raiseState(stCanIdSetOk);
    QCOMPARE(logParagraphs(w).last(), firstLine);
    QCOMPARE(int(w.worker.newCanId), 10);

    const int linesBefore = logParagraphs(w).size();
    switchLanguage(w);
    QCOMPARE(w.languageEnglish, !startEnglish);
    const QStringList lines = logParagraphs(w);
    QCOMPARE(lines.size(), linesBefore + 1);
    QCOMPARE(lines.at(lines.size() - 2), firstLine);  // what was shown stays as written
    QCOMPARE(lines.last(), replayedLine);
    QCOMPARE(int(w.worker.newCanId), 11);
    QCOMPARE(w.ui->lineEditSetCanId->text(), QString("11"));
}

void LanguageSwitchTest::laterTextsFollowTheNewLanguage_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("acknowledged");
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("outcomeLine");

    QTest::newRow("Set ID acknowledged") << "pushButtonSetCanId" << true
                                         << QString::fromUtf8("设置CAN_ID--设备：CAN:5  id:ab  设置ID:1")
                                         << "CAN_ID set successfully!CAN:5  id:ab";
    QTest::newRow("Set ID timed out") << "pushButtonSetCanId" << false
                                      << QString::fromUtf8("设置CAN_ID--设备：CAN:5  id:ab  设置ID:1")
                                      << "Failed to set CAN_ID!CAN:5  id:ab";
    QTest::newRow("Stop timed out") << "pushButtonCfgReset" << false
                                    << QString::fromUtf8("设置复位模式--设备：CAN:5  id:ab")
                                    << "Failed to set RESET mode!CAN:5  id:ab";
}

void LanguageSwitchTest::laterTextsFollowTheNewLanguage()
{
    QFETCH(QString, button);
    QFETCH(bool, acknowledged);
    QFETCH(QString, commandLine);
    QFETCH(QString, outcomeLine);
    MainWindow w;
    announceDrive(w, 5, 0xab);
    QVERIFY(!w.languageEnglish);

    w.findChild<QAbstractButton*>(button)->click();  // the operation starts in Chinese
    QCOMPARE(logParagraphs(w).last(), commandLine);
    switchLanguage(w);
    QVERIFY(w.languageEnglish);
    if (acknowledged)
        w.worker.ackFlag.store(1);  // what the drive's reply does in the receive path

    QVERIFY(QTest::qWaitFor([&] { return logParagraphs(w).last() == outcomeLine; }, 5000));
    QCOMPARE(logParagraphs(w).join(QLatin1Char('\n')).count(commandLine), 1);  // the command line keeps its language
}

QTEST_MAIN(LanguageSwitchTest)
#include "tst_ui_language.moc"
