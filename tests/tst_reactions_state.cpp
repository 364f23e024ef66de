// The window's reactions to adapter, device and motor notifications, offscreen.

#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTextEdit>

#include "support/inprocess.h"
#include "ui/mainwindow.h"
#include "ui/statustexts.h"
#include "ui_mainwindow.h"

namespace {

// Everything a reaction may touch, to show that a code changed nothing.
QStringList snapshot(MainWindow& w)
{
    QStringList s;
    s << logParagraphs(w).join(QLatin1Char('\n')) << w.statusBar()->currentMessage();
    for (QLabel* l : {w.ui->labelOtaInfo, w.ui->label_3, w.ui->label_4, w.ui->label_6, w.ui->label_motortype,
                      w.ui->labelParaInfo, w.ui->label_selChInfo})
        s << l->text() << l->styleSheet();
    s << comboItems(w.ui->comboBoxDev) << w.ui->comboBox_usb->currentText() << w.ui->comboBox_cantype->currentText();
    s << w.ui->lineEditSetCanId->text() << QString::number(w.worker.newCanId) << QString::number(w.baudProbeIndex);
    for (QPushButton* b : w.findChildren<QPushButton*>())
        s << b->objectName() + (b->isEnabled() ? "+" : "-") + b->text();
    return s;
}

}  // namespace

class TestStateReactions : public QObject {
    Q_OBJECT

private slots:
    void codesWithoutReaction_data();
    void codesWithoutReaction();
    void tableSignalsRestored();
    void detectionListsDrivesInOrder();
    void detectionText_data();
    void detectionText();
    void deviceOutcomes_data();
    void deviceOutcomes();
    void canIdSuccessOffersNextId_data();
    void canIdSuccessOffersNextId();
    void calibrationModeAddsWaitLine();
    void motorReports();
    void modelLabel_data();
    void modelLabel();
    void moduleReports_data();
    void moduleReports();
    void adapterSetup_data();
    void adapterSetup();
};

void TestStateReactions::codesWithoutReaction_data()
{
    QTest::addColumn<int>("code");
    for (int code : {33, 34, 35, 51, 99, -1, 1000})
        QTest::addRow("%d", code) << code;
}

void TestStateReactions::codesWithoutReaction()
{
    QFETCH(int, code);
    MainWindow w;
    announceDrive(w, 5, 0xab);
    const QStringList before = snapshot(w);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.worker.raiseState(code);
    QCOMPARE(snapshot(w), before);
    QCOMPARE(spy.size(), 0);
    QVERIFY(!w.ui->tableWidgetPara->signalsBlocked());
}

void TestStateReactions::tableSignalsRestored()
{
    MainWindow w;
    for (int code : {0, 28, 59, 57, 16, 63}) {
        w.worker.raiseState(code);
        QVERIFY(!w.ui->tableWidgetPara->signalsBlocked());
    }
}

void TestStateReactions::detectionListsDrivesInOrder()
{
    MainWindow w;
    announceDrive(w, 3, 0x1003);
    announceDrive(w, 1, 0x1001);
    announceDrive(w, 2, 0x1002);
    const QStringList three = {"CAN:3  id:1003", "CAN:1  id:1001", "CAN:2  id:1002"};
    QCOMPARE(comboItems(w.ui->comboBoxDev), three);
    QCOMPARE(w.ui->comboBoxDev->currentIndex(), 0);

    // A repeated reply from the first drive rebuilds the same list, first drive selected.
    w.ui->comboBoxDev->setCurrentIndex(2);
    w.ui->pushButtonReadPara->setEnabled(true);
    announceDrive(w, 3, 0x1003);
    QCOMPARE(comboItems(w.ui->comboBoxDev), three);
    QCOMPARE(w.ui->comboBoxDev->currentIndex(), 0);
    QCOMPARE(int(w.worker.selectedDevice), 0);
    QVERIFY(!w.ui->pushButtonReadPara->isEnabled());
    const QTableWidget* table = w.ui->tableWidgetPara;
    for (int r = 0; r < table->rowCount(); ++r)
        for (int c = 0; c < table->columnCount(); ++c)
            QVERIFY(!table->item(r, c) || table->item(r, c)->text().isEmpty());
}

void TestStateReactions::detectionText_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("text");
    QTest::newRow("English") << true << "Detected equipment,mcuId:0Xab canId:5";
    QTest::newRow("Chinese") << false << QString::fromUtf8("检测到设备,mcuId:0Xab canId:5");
}

void TestStateReactions::detectionText()
{
    QFETCH(bool, english);
    QFETCH(QString, text);
    MainWindow w;
    w.languageEnglish = english;
    announceDrive(w, 5, 0xab);
    QCOMPARE(w.ui->labelOtaInfo->text(), text);
    QCOMPARE(w.ui->labelOtaInfo->styleSheet(), "color:green;");
    QCOMPARE(w.statusBar()->currentMessage(), text);
    QCOMPARE(comboItems(w.ui->comboBoxDev), QStringList{"CAN:5  id:ab"});

    // Without a change to the table the list stays as it is.
    w.worker.deviceListChanged = false;
    w.ui->comboBoxDev->addItem(QStringLiteral("kept"));
    w.worker.raiseState(stDeviceDetected);
    QCOMPARE(w.ui->comboBoxDev->count(), 2);
}

void TestStateReactions::deviceOutcomes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("line");

    QTest::newRow("17 en") << 17 << true << "Failed to set CAN_ID!CAN:5  id:ab";
    QTest::newRow("26 zh") << 26 << false << QString::fromUtf8("设置机械零位成功!CAN:5  id:ab");
    QTest::newRow("55 has no suffix") << 55 << true << "Set motor type 0 successfully";
}

void TestStateReactions::deviceOutcomes()
{
    QFETCH(int, code);
    QFETCH(bool, english);
    QFETCH(QString, line);
    MainWindow w;
    announceDrive(w, 5, 0xab);
    w.languageEnglish = english;
    w.worker.raiseState(code);
    QCOMPARE(logParagraphs(w).last(), line);
}

void TestStateReactions::canIdSuccessOffersNextId_data()
{
    QTest::addColumn<int>("assigned");
    QTest::addColumn<QString>("offered");
    QTest::addColumn<int>("newId");
    QTest::newRow("5 offers 6") << 5 << "6" << 6;
    QTest::newRow("127 stays within the range") << 127 << "127" << 127;
}

void TestStateReactions::canIdSuccessOffersNextId()
{
    QFETCH(int, assigned);
    QFETCH(QString, offered);
    QFETCH(int, newId);
    MainWindow w;
    announceDrive(w, 5, 0xab);
    w.ui->lineEditSetCanId->setText(QString::number(assigned));
    w.languageEnglish = true;
    w.worker.raiseState(stCanIdSetOk);
    QCOMPARE(logParagraphs(w).last(), "CAN_ID set successfully!CAN:5  id:ab");
    QCOMPARE(w.ui->lineEditSetCanId->text(), offered);
    QCOMPARE(int(w.worker.newCanId), newId);
}

void TestStateReactions::calibrationModeAddsWaitLine()
{
    MainWindow w;
    announceDrive(w, 5, 0xab);
    w.worker.raiseState(stEncoderCalModeOk);
    const QStringList lines = logParagraphs(w);
    QCOMPARE(lines.at(lines.size() - 2), QString::fromUtf8("设置高速编码器标定模式成功!CAN:5  id:ab"));
    QCOMPARE(lines.last(), QString::fromUtf8("请耐心等待标定完成..."));
}

void TestStateReactions::motorReports()
{
    MainWindow w;
    otaThread& t = w.worker;
    t.sourceId = 1;
    t.fbPosition = 1.5f;
    t.fbVelocity = 0.0f;
    t.fbTorque = -0.25f;
    t.fbTemperature = 31.2f;
    t.fbMode = 2;
    t.fbNoFault = true;
    w.languageEnglish = true;
    t.raiseState(stMotorFeedback);
    QCOMPARE(logParagraphs(w).last(),
             "Motor:1 Location:1.5000 speed:0.0000 Torque:-0.2500 model:MOTOR temperature 31.2000 Fault:None");

    // The language of the moment, not of the previous line.
    w.languageEnglish = false;
    t.raiseState(stMotorFeedback);
    QVERIFY(logParagraphs(w).last().startsWith(QString::fromUtf8("电机：1 位置：1.5000")));

    const int before = logParagraphs(w).size();
    t.hallFaultFlags = 0;
    t.hallWarnFlags = 3;
    t.raiseState(stHallCalDone);
    QCOMPARE(logParagraphs(w).size(), before + 7);

    t.faultWord = 0x40;
    t.warningWord = 0;
    w.languageEnglish = true;
    t.raiseState(stFaultReport);
    QVERIFY(logParagraphs(w).join(QLatin1Char('\n')).endsWith(QString::fromUtf8("Motor:1\nFault：\n\nWarning：\n")));
}

void TestStateReactions::modelLabel_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("label");
    QTest::newRow("17 en") << 17 << true << "motor type ZR01";
    QTest::newRow("81 zh") << 81 << false << QString::fromUtf8("电机类型 VP81");
}

void TestStateReactions::modelLabel()
{
    QFETCH(int, code);
    QFETCH(bool, english);
    QFETCH(QString, label);
    MainWindow w;
    w.languageEnglish = english;
    w.worker.motorModelCode = uint8_t(code);
    w.worker.raiseState(stMotorModel);
    QCOMPARE(w.ui->label_motortype->text(), label);
    QCOMPARE(w.ui->label_motortype->styleSheet(), "color:green;");
    QVERIFY(label.endsWith(motorModelName));
}

void TestStateReactions::moduleReports_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("label3");
    QTest::addColumn<QString>("label4");
    QTest::addColumn<QString>("label6");
    QTest::addColumn<QString>("usb");
    QTest::addColumn<QString>("cantype");

    const QString blank = QStringLiteral(" ");
    QTest::newRow("58: 250k") << 58 << 3 << true << "Connected module" << "The module baud rate is 250kbps" << ""
                              << "250kbps" << blank;
    QTest::newRow("59") << 59 << 0 << true << "Connected module"
                        << "Please upgrade the latest firmware to obtain the function of modifying the baud rate" << ""
                        << blank << blank;
    QTest::newRow("60") << 60 << 0 << false << "" << QString::fromUtf8("模块CAN波特率已修改成功，重新插拔生效") << ""
                        << blank << blank;
    QTest::newRow("61: standard") << 61 << 2 << false << "" << "" << QString::fromUtf8("标准帧") << blank
                                  << QString::fromUtf8("标准帧");
    QTest::newRow("62") << 62 << 0 << true << "" << ""
                        << "The module frame type has been modified successfully. Re-plugging and unplugging will "
                           "take effect"
                        << blank << blank;
}

void TestStateReactions::moduleReports()
{
    QFETCH(int, code);
    QFETCH(int, value);
    QFETCH(bool, english);
    QFETCH(QString, label3);
    QFETCH(QString, label4);
    QFETCH(QString, label6);
    QFETCH(QString, usb);
    QFETCH(QString, cantype);
    MainWindow w;
    w.languageEnglish = english;
    w.worker.adapterBaudCode = uint8_t(value);
    w.worker.adapterFrameCode = uint8_t(value);
    w.worker.raiseState(code);
    QCOMPARE(w.ui->label_3->text(), label3);
    QCOMPARE(w.ui->label_4->text(), label4);
    QCOMPARE(w.ui->label_6->text(), label6);
    QCOMPARE(w.ui->comboBox_usb->currentText(), usb);
    QCOMPARE(w.ui->comboBox_cantype->currentText(), cantype);
    for (QLabel* l : {w.ui->label_3, w.ui->label_4, w.ui->label_6})
        if (!l->text().isEmpty())
            QCOMPARE(l->styleSheet(), "color:green;");
}

void TestStateReactions::adapterSetup_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("probeIndexBefore");
    QTest::addColumn<int>("probeIndexAfter");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("1: scan from 9600") << 1 << 7 << 1 << "Configuring a Serial Interface：9600" << QByteArray("AT+CG\r\n");
    QTest::newRow("3: next rate") << 3 << 1 << 2 << "Configuring a Serial Interface：115200" << QByteArray("AT+CG\r\n");
    QTest::newRow("3: last rate") << 3 << 10 << 11 << "Configuring a Serial Interface：1152000"
                                  << QByteArray("AT+CG\r\n");
    QTest::newRow("3: past the table")
        << 3 << 11 << 12
        << "The CAN module configuration failed. Please check the CAN device and its configuration！" << QByteArray();
    QTest::newRow("3: replayed failure stays failed")
        << 3 << 12 << 12
        << "The CAN module configuration failed. Please check the CAN device and its configuration！" << QByteArray();
    QTest::newRow("2") << 2 << 1 << 1 << "CAN Module configuration successful！" << QByteArray();
    QTest::newRow("5") << 5 << 1 << 1
                       << "The CAN module configuration failed. Please check the CAN device and its configuration！"
                       << QByteArray();
    QTest::newRow("6: probe again") << 6 << 3 << 3 << "CAN Module configuration successful！" << QByteArray("AT+AT\r\n");
}

void TestStateReactions::adapterSetup()
{
    QFETCH(int, code);
    QFETCH(int, probeIndexBefore);
    QFETCH(int, probeIndexAfter);
    QFETCH(QString, status);
    QFETCH(QByteArray, line);
    MainWindow w;
    w.languageEnglish = true;
    w.baudProbeIndex = uint8_t(probeIndexBefore);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.worker.raiseState(code);
    QCOMPARE(int(w.baudProbeIndex), probeIndexAfter);
    QCOMPARE(w.statusBar()->currentMessage(), status);
    if (line.isEmpty()) {
        QCOMPARE(spy.size(), 0);
    } else {
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toByteArray(), line);
    }
    if (code == stAdapterReady)
        QVERIFY(w.ui->pushButtonGetDevInfo->isEnabled());
}

QTEST_MAIN(TestStateReactions)
#include "tst_reactions_state.moc"
