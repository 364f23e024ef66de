// The window's reactions to the upgrade notifications: labelOtaInfo's text
// and colour in both languages, the progress bar and the upgrade button.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "ui/mainwindow.h"

namespace {

void notify(MainWindow& window, int code)
{
    window.worker.stateCode = code;
    window.StateUpdate();
}

}  // namespace

class UpgradeReactionsTest : public QObject {
    Q_OBJECT

private slots:
    void labelTexts_data();
    void labelTexts();
    void enteredEnablesStart();
    void progressFollowsBlocks();
    void progressPastTheSixteenBitCounter();
    void outcomeResetsTheButton_data();
    void outcomeResetsTheButton();
    void outcomeWhileIdleTouchesOnlyBarAndLabel();
};

void UpgradeReactionsTest::labelTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("style");

    const auto row = [](int code, const char* en, const char* zh, const char* style) {
        QTest::addRow("%d en", code) << code << true << QString::fromUtf8(en) << QString(style);
        QTest::addRow("%d zh", code) << code << false << QString::fromUtf8(zh) << QString(style);
    };
    row(stOtaEnterFailed, "The device failed to enter the upgrade mode！", "设备进入升级模式失败！", "color:red;");
    row(stOtaEntered, "The equipment has entered the upgrade mode！", "设备已进入升级模式！", "color:green;");
    row(stOtaFileEmpty, "There is no data in the bin file！", "bin文件没有数据！", "color:red;");
    row(stOtaFileTooLarge, "The BIN file size exceeds 512KB!", "BIN文件大小超过512KB!", "color:red;");
    row(stOtaTransferStarted, "Transmitting...", "传输中...", "color:black;");
    row(stOtaInfoTimeout, "Failed to send bin file information!", "发送bin文件信息失败！", "color:red;");
    row(stOtaTransferDone, "File transfer complete!", "文件传输完成！", "color:black;");
    row(stOtaSucceeded, "Upgrade successful!", "升级成功！", "color:green;");
    row(stOtaFailed, "Upgrade failed", "升级失败", "color:red;");
    row(stOtaBlockUnanswered, "Upgrade stopped: no answer to block 7", "升级中止：数据块 7 无应答", "color:red;");
}

void UpgradeReactionsTest::labelTexts()
{
    QFETCH(int, code);
    QFETCH(bool, english);
    QFETCH(QString, text);
    QFETCH(QString, style);
    MainWindow window;
    window.languageEnglish = english;
    window.worker.blockPosition = 7;
    notify(window, code);
    auto* info = window.findChild<QLabel*>("labelOtaInfo");
    QCOMPARE(info->text(), text);
    QCOMPARE(info->styleSheet(), style);
}

void UpgradeReactionsTest::enteredEnablesStart()
{
    MainWindow window;
    auto* start = window.findChild<QPushButton*>("pushButtonStartOta");
    start->setEnabled(false);
    notify(window, stOtaEnterFailed);
    QVERIFY(!start->isEnabled());
    notify(window, stOtaEntered);
    QVERIFY(start->isEnabled());
}

void UpgradeReactionsTest::progressFollowsBlocks()
{
    MainWindow window;
    auto* bar = window.findChild<QProgressBar*>("progressBar");
    bar->setValue(40);
    window.worker.blockCount = 300;
    notify(window, stOtaTransferStarted);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 300);
    QCOMPARE(bar->value(), 0);
    window.worker.blockPosition = 120;
    window.worker.blockIndex = 120;
    notify(window, stOtaBlockAcked);
    QCOMPARE(bar->value(), 120);
    window.worker.blockPosition = 5;
    window.worker.blockIndex = 5;
    notify(window, stOtaBlockResend);
    QCOMPARE(bar->value(), 5);
}

void UpgradeReactionsTest::progressPastTheSixteenBitCounter()
{
    // The 65536th block's number does not fit the identifier's 16 bits; the bar still ends full.
    MainWindow window;
    auto* bar = window.findChild<QProgressBar*>("progressBar");
    window.worker.blockCount = 65536;
    notify(window, stOtaTransferStarted);
    window.worker.blockPosition = 65536;
    window.worker.blockIndex = 0;
    notify(window, stOtaBlockAcked);
    QCOMPARE(bar->value(), 65536);
}

void UpgradeReactionsTest::outcomeResetsTheButton_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("buttonText");
    QTest::addColumn<int>("barValue");
    QTest::newRow("success zh") << int(stOtaSucceeded) << false << QString::fromUtf8("启动升级") << 12;
    QTest::newRow("success en") << int(stOtaSucceeded) << true << QString("Start the upgrade") << 12;
    QTest::newRow("failure zh: the bar stays") << int(stOtaFailed) << false << QString::fromUtf8("启动升级") << 7;
    QTest::newRow("failure en") << int(stOtaFailed) << true << QString("Start the upgrade") << 7;
    QTest::newRow("block unanswered: the bar stays") << int(stOtaBlockUnanswered) << false << QString::fromUtf8("启动升级") << 7;
}

void UpgradeReactionsTest::outcomeResetsTheButton()
{
    QFETCH(int, code);
    QFETCH(bool, english);
    QFETCH(QString, buttonText);
    QFETCH(int, barValue);
    MainWindow window;
    window.languageEnglish = english;
    auto* bar = window.findChild<QProgressBar*>("progressBar");
    auto* button = window.findChild<QPushButton*>("pushButtonInOtaMode");
    bar->setRange(0, 12);
    bar->setValue(7);
    window.worker.blockCount = 12;
    button->setText("Stop the upgrade");
    window.otaIdle = false;
    notify(window, code);
    QCOMPARE(button->text(), buttonText);
    QVERIFY(window.otaIdle);
    QCOMPARE(bar->value(), barValue);
}

void UpgradeReactionsTest::outcomeWhileIdleTouchesOnlyBarAndLabel()
{
    MainWindow window;
    auto* button = window.findChild<QPushButton*>("pushButtonInOtaMode");
    button->setText("unchanged");
    window.otaIdle = true;
    auto* bar = window.findChild<QProgressBar*>("progressBar");
    bar->setRange(0, 9);
    window.worker.blockCount = 9;
    notify(window, stOtaSucceeded);
    QCOMPARE(button->text(), QString("unchanged"));
    QCOMPARE(bar->value(), 9);
    QCOMPARE(window.findChild<QLabel*>("labelOtaInfo")->text(), QString::fromUtf8("升级成功！"));
}

QTEST_MAIN(UpgradeReactionsTest)
#include "tst_upgrade_reactions.moc"
