// Device management slots, offscreen, with the worker's output captured (port closed).

#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

#include "protocol/framecodec.h"
#include "support/inprocess.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

namespace {

// Lists drives as a detection reply would: ids 5, 9, 12 with MCU ids 0xab, 0xcd, 0xef.
void listDrives(MainWindow& w, int count = 3)
{
    const uint8_t ids[3] = {5, 9, 12};
    const uint64_t uids[3] = {0xab, 0xcd, 0xef};
    for (int i = 0; i < count; ++i) {
        w.worker.deviceIds[i] = ids[i];
        w.worker.deviceUids[i] = uids[i];
    }
    w.worker.deviceCount = uint8_t(count);
    w.worker.deviceListChanged = true;
    w.worker.lastCanId = ids[count - 1];
    w.worker.lastUid = uids[count - 1];
    w.worker.raiseState(stDeviceDetected);
}

QByteArray payload(const CanFrame& f, int n = 8) { return QByteArray(reinterpret_cast<const char*>(f.data), n); }

QString lastParagraph(const MainWindow& w)
{
    const QString text = logParagraphs(w).join(QLatin1Char('\n'));
    return text.mid(text.lastIndexOf(QLatin1Char('\n')) + 1);
}

void setLanguage(MainWindow& w, bool english) { w.languageEnglish = english; }

}  // namespace

class TestDeviceControls : public QObject {
    Q_OBJECT

private slots:
    void setCanIdField_data();
    void setCanIdField();
    void setCanIdLogsAndSends_data();
    void setCanIdLogsAndSends();
    void deviceCommands_data();
    void deviceCommands();
    void emptyListDisablesDeviceControls();
    void driveSelectionResetsParameterButtons();
    void reportingToggle_data();
    void reportingToggle();
    void reportPeriod_data();
    void reportPeriod();
    void multiDeviceTogglesJog();
    void adapterCommands_data();
    void adapterCommands();
    void directFrames();
};

void TestDeviceControls::setCanIdField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("newId");

    QTest::newRow("200") << "200" << "127" << 127;
    QTest::newRow("128") << "128" << "127" << 127;
    QTest::newRow("0") << "0" << "1" << 1;
    QTest::newRow("letters") << "x" << "1" << 1;
    QTest::newRow("55") << "55" << "55" << 55;
}

void TestDeviceControls::setCanIdField()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, newId);
    MainWindow w;
    // Typed over the selected old text: the check runs on every keystroke.
    w.ui->lineEditSetCanId->selectAll();
    QTest::keyClicks(w.ui->lineEditSetCanId, typed);
    QCOMPARE(w.ui->lineEditSetCanId->text(), shown);
    QCOMPARE(int(w.worker.newCanId), newId);
}

void TestDeviceControls::setCanIdLogsAndSends_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("line");
    QTest::newRow("English") << true << QString::fromUtf8("SetCAN_ID--device：CAN:9  id:cd  SetID:127");
    QTest::newRow("Chinese") << false << QString::fromUtf8("设置CAN_ID--设备：CAN:9  id:cd  设置ID:127");
}

void TestDeviceControls::setCanIdLogsAndSends()
{
    QFETCH(bool, english);
    QFETCH(QString, line);
    MainWindow w;
    listDrives(w);
    w.ui->comboBoxDev->setCurrentIndex(1);
    w.ui->lineEditSetCanId->setText(QStringLiteral("200"));
    setLanguage(w, english);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.ui->pushButtonSetCanId->click();

    QCOMPARE(lastParagraph(w), line);
    // The line starts with a line break: an empty paragraph above it.
    QVERIFY(logParagraphs(w).join(QLatin1Char('\n')).endsWith(QLatin1Char('\n') + line));
    const QList<CanFrame> frames = dataFrames(spy);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(int(codec::commType(frames[0].id)), 7);
    QCOMPARE(int(codec::high(frames[0].id)), 127);
    QCOMPARE(int(codec::destination(frames[0].id)), 9);
    QCOMPARE(int(w.worker.targetId), 9);
    QCOMPARE(int(w.worker.selectedDevice), 1);
}

void TestDeviceControls::deviceCommands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("pending");
    QTest::addColumn<QString>("line");

    QTest::newRow("stop en") << "pushButtonCfgReset" << true << 4 << int(opResetMode)
                             << QString::fromUtf8("Set the reset mode--device：CAN:12  id:ef");
    QTest::newRow("stop zh") << "pushButtonCfgReset" << false << 4 << int(opResetMode)
                             << QString::fromUtf8("设置复位模式--设备：CAN:12  id:ef");
    QTest::newRow("enable en") << "pushButtonCfgMotor" << true << 3 << int(opMotorMode)
                               << QString::fromUtf8("Set the motor mode--device：CAN:12  id:ef");
    QTest::newRow("enable zh") << "pushButtonCfgMotor" << false << 3 << int(opMotorMode)
                               << QString::fromUtf8("设置motor模式--设备：CAN:12  id:ef");
    QTest::newRow("encoder en")
        << "pushButtonCaliEncoder" << true << 5 << int(opEncoderCal)
        << QString::fromUtf8("Set the calibration mode for the high-speed encoder--deivce：CAN:12  id:ef");
    QTest::newRow("encoder zh") << "pushButtonCaliEncoder" << false << 5 << int(opEncoderCal)
                                << QString::fromUtf8("设置高速编码器标定模式--设备：CAN:12  id:ef");
    QTest::newRow("zero en") << "pushButtonZeroMech" << true << 6 << int(opSetZero)
                             << QString::fromUtf8("Set the mechanical zero and motor index--device：CAN:12  id:ef");
    QTest::newRow("zero zh") << "pushButtonZeroMech" << false << 6 << int(opSetZero)
                             << QString::fromUtf8("设置机械零点和电机index--设备：CAN:12  id:ef");
    QTest::newRow("single zh") << "pushButtonCfgSingle" << false << 1 << int(opMotionOnce)
                               << QString::fromUtf8("单次控制--设备：CAN:12  id:ef");
    QTest::newRow("single en") << "pushButtonCfgSingle" << true << 1 << int(opMotionOnce)
                               << QString::fromUtf8("Single - shot control--device：CAN:12  id:ef");
    QTest::newRow("continuous en") << "pushButtonCfgContinous" << true << -1 << int(opMotionStream)
                                   << QString::fromUtf8("Continuous control--device：CAN:12  id:ef");
    QTest::newRow("continuous zh") << "pushButtonCfgContinous" << false << -1 << int(opMotionStream)
                                   << QString::fromUtf8("连续控制--设备：CAN:12  id:ef");
}

void TestDeviceControls::deviceCommands()
{
    QFETCH(QString, button);
    QFETCH(bool, english);
    QFETCH(int, type);
    QFETCH(int, pending);
    QFETCH(QString, line);
    MainWindow w;
    w.worker.stop();  // the run loop would start streaming; only the slot's own output is wanted
    w.worker.wait();
    listDrives(w);
    w.ui->comboBoxDev->setCurrentIndex(2);
    setLanguage(w, english);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.findChild<QPushButton*>(button)->click();

    QCOMPARE(lastParagraph(w), line);
    QCOMPARE(int(w.worker.targetId), 12);
    QCOMPARE(w.worker.pendingOp.load(), pending);
    const QList<CanFrame> frames = dataFrames(spy);
    if (type < 0) {
        QVERIFY(frames.isEmpty());  // the stream is sent by the run loop
    } else {
        QCOMPARE(frames.size(), 1);
        QCOMPARE(int(codec::commType(frames[0].id)), type);
        QCOMPARE(int(codec::destination(frames[0].id)), 12);
        if (type == 6) {
            QCOMPARE(int(w.worker.zeroArgument), 1);
            QCOMPARE(int(frames[0].data[0]), 1);
        }
    }
}

void TestDeviceControls::emptyListDisablesDeviceControls()
{
    MainWindow w;
    const QList<QPushButton*> controls = {
        w.ui->pushButtonCaliEncoder, w.ui->pushButtonCfgReset,     w.ui->pushButtonSetCanId,
        w.ui->pushButtonZeroMech,    w.ui->pushButtonCfgMotor,     w.ui->pushButtonCfgSingle,
        w.ui->pushButtonCfgContinous, w.ui->pushButtonInOtaMode,   w.ui->pushButtonRefreshTable};

    listDrives(w, 1);
    for (QPushButton* b : controls)
        QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));

    // Detect Devices empties the list: nothing may address index -1.
    w.ui->pushButtonGetDevInfo->setEnabled(true);
    w.ui->pushButtonGetDevInfo->click();
    QCOMPARE(w.ui->comboBoxDev->count(), 0);
    for (QPushButton* b : controls)
        QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));

    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    const int logBefore = logParagraphs(w).join(QLatin1Char('\n')).size();
    w.on_pushButtonCfgReset_clicked();
    w.on_pushButtonSetCanId_clicked();
    w.on_pushButtonErrorClear_clicked();
    w.on_pushButton_6_pressed();
    w.on_pushButton_17_clicked();
    QVERIFY(dataFrames(spy).isEmpty());
    QCOMPARE(logParagraphs(w).join(QLatin1Char('\n')).size(), logBefore);
    QVERIFY(w.reportIdle);

    listDrives(w, 2);
    QCOMPARE(w.ui->comboBoxDev->count(), 2);
    QCOMPARE(w.ui->comboBoxDev->currentIndex(), 0);
    for (QPushButton* b : controls)
        QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
}

void TestDeviceControls::driveSelectionResetsParameterButtons()
{
    MainWindow w;
    listDrives(w);
    const QList<QPushButton*> reset = {w.ui->pushButtonReadPara, w.ui->pushButtonWritePara,
                                       w.ui->pushButtonExportExcel, w.ui->pushButtonRecoverFac};
    for (QPushButton* b : reset)
        b->setEnabled(true);
    w.ui->pushButtonRefreshTable->setEnabled(false);
    w.ui->labelParaInfo->setText(QStringLiteral("stale"));

    w.ui->comboBoxDev->setCurrentIndex(2);
    QCOMPARE(int(w.worker.selectedDevice), 2);
    QVERIFY(w.ui->pushButtonRefreshTable->isEnabled());
    for (QPushButton* b : reset)
        QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
    QVERIFY(w.ui->labelParaInfo->text().isEmpty());
}

void TestDeviceControls::reportingToggle_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("startData");
    QTest::addColumn<QByteArray>("stopData");
    QTest::addColumn<QString>("stopText");
    QTest::addColumn<QString>("startText");

    QTest::newRow("model 0 zh") << 0 << false << 24 << QByteArray::fromHex("01000000000000")
                                << QByteArray::fromHex("00000000000000") << QString::fromUtf8("停止上报")
                                << QString::fromUtf8("启动上报");
    QTest::newRow("model 2 en") << 2 << true << 23 << QByteArray::fromHex("01000000000000")
                                << QByteArray::fromHex("00000000000000") << "Stop reporting" << "Start reporting";
    QTest::newRow("model 40 en") << 40 << true << 24 << QByteArray::fromHex("01020304050601")
                                 << QByteArray::fromHex("01020304050600") << "Stop reporting" << "Start reporting";
}

void TestDeviceControls::reportingToggle()
{
    QFETCH(int, model);
    QFETCH(bool, english);
    QFETCH(int, type);
    QFETCH(QByteArray, startData);
    QFETCH(QByteArray, stopData);
    QFETCH(QString, stopText);
    QFETCH(QString, startText);
    MainWindow w;
    listDrives(w);
    w.ui->comboBoxDev->setCurrentIndex(1);
    w.worker.motorModelCode = uint8_t(model);
    setLanguage(w, english);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);

    w.ui->pushButton_17->click();
    QVERIFY(!w.reportIdle);
    QCOMPARE(w.ui->pushButton_17->text(), stopText);
    w.ui->pushButton_17->click();
    QVERIFY(w.reportIdle);
    QCOMPARE(w.ui->pushButton_17->text(), startText);

    const QList<CanFrame> frames = dataFrames(spy);
    QCOMPARE(frames.size(), 2);
    for (const CanFrame& f : frames) {
        QCOMPARE(int(codec::commType(f.id)), type);
        QCOMPARE(int(codec::destination(f.id)), 9);
        QCOMPARE(int(codec::source(f.id)), int(hostId));
        QCOMPARE(int(f.length), 7);
    }
    QCOMPARE(payload(frames[0], 7), startData);
    QCOMPARE(payload(frames[1], 7), stopData);
}

void TestDeviceControls::reportPeriod_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("code");

    QTest::newRow("3") << "3" << 0 << "5" << 0x7026 << 0;
    QTest::newRow("5") << "5" << 0 << "10" << 0x7026 << 1;
    QTest::newRow("12") << "12" << 0 << "10" << 0x7026 << 1;
    QTest::newRow("100") << "100" << 0 << "100" << 0x7026 << 19;
    QTest::newRow("100 on model 2") << "100" << 2 << "100" << 0x7024 << 19;
    QTest::newRow("not a number") << "fast" << 0 << "5" << 0x7026 << 0;
}

void TestDeviceControls::reportPeriod()
{
    QFETCH(QString, typed);
    QFETCH(int, model);
    QFETCH(QString, shown);
    QFETCH(int, index);
    QFETCH(int, code);
    MainWindow w;
    listDrives(w);
    w.worker.motorModelCode = uint8_t(model);
    w.ui->lineEdit_timer->setText(typed);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.ui->pushButton_time->click();

    QCOMPARE(w.ui->lineEdit_timer->text(), shown);
    const QList<CanFrame> frames = dataFrames(spy);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(int(codec::commType(frames[0].id)), 18);
    QCOMPARE(int(codec::destination(frames[0].id)), 5);
    QCOMPARE(int(codec::readLe16(frames[0].data)), index);
    QCOMPARE(int(codec::readLe16(frames[0].data + 2)), 0);
    QCOMPARE(int(codec::readLe32(frames[0].data + 4)), code);
}

void TestDeviceControls::multiDeviceTogglesJog()
{
    MainWindow w;
    setLanguage(w, true);
    w.ui->pushButton_more->click();
    QVERIFY(w.worker.multiDeviceMode);
    QVERIFY(!w.multiDeviceOff);
    QVERIFY(!w.ui->pushButton_6->isEnabled());
    QVERIFY(!w.ui->pushButton_4->isEnabled());
    QCOMPARE(w.ui->pushButton_more->text(), "Disable multi-device enablement");
    QCOMPARE(w.ui->label_motortype->text(), "Multi-device for upgrade only");

    setLanguage(w, false);
    w.ui->pushButton_more->click();
    QVERIFY(!w.worker.multiDeviceMode);
    QVERIFY(w.multiDeviceOff);
    QVERIFY(w.ui->pushButton_6->isEnabled());
    QVERIFY(w.ui->pushButton_4->isEnabled());
    QCOMPARE(w.ui->pushButton_more->text(), QString::fromUtf8("打开多设备使能"));
    QVERIFY(w.ui->label_motortype->text().isEmpty());

    w.ui->pushButton_more->click();
    QCOMPARE(w.ui->pushButton_more->text(), QString::fromUtf8("关闭多设备使能"));
    QCOMPARE(w.ui->label_motortype->text(), QString::fromUtf8("多设备仅升级用"));
    setLanguage(w, true);
    w.ui->pushButton_more->click();
    QCOMPARE(w.ui->pushButton_more->text(), " Enable multi-device function");
}

void TestDeviceControls::adapterCommands_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("rateItem");
    QTest::addColumn<int>("typeItem");
    QTest::addColumn<QByteArray>("rateLine");
    QTest::addColumn<QByteArray>("typeLine");

    QTest::newRow("blank items") << false << 0 << 0 << QByteArray::fromHex("41543b00000d0a")
                                 << QByteArray::fromHex("41544b01000d0a");
    QTest::newRow("1Mbps, standard") << false << 1 << 1 << QByteArray::fromHex("41543b01000d0a")
                                     << QByteArray::fromHex("41544b02000d0a");
    QTest::newRow("125kbps, extended") << false << 4 << 2 << QByteArray::fromHex("41543b04000d0a")
                                       << QByteArray::fromHex("41544b01000d0a");
}

void TestDeviceControls::adapterCommands()
{
    QFETCH(bool, english);
    QFETCH(int, rateItem);
    QFETCH(int, typeItem);
    QFETCH(QByteArray, rateLine);
    QFETCH(QByteArray, typeLine);
    MainWindow w;
    setLanguage(w, english);
    w.ui->comboBox_usb->setCurrentIndex(rateItem);
    w.ui->comboBox_cantype->setCurrentIndex(typeItem);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.ui->pushButton_16->click();
    w.ui->pushButton_18->click();
    w.ui->pushButton_15->click();
    QCOMPARE(spy.size(), 3);
    QCOMPARE(spy.at(0).at(0).toByteArray(), rateLine);
    QCOMPARE(spy.at(1).at(0).toByteArray(), typeLine);
    QCOMPARE(spy.at(2).at(0).toByteArray(), QByteArray::fromHex("41542b41000d0a"));
    QCOMPARE(spy.at(0).at(1).value<qint16>(), qint16(7));
}

void TestDeviceControls::directFrames()
{
    MainWindow w;
    listDrives(w);
    w.ui->comboBoxDev->setCurrentIndex(2);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.ui->pushButtonErrorClear->click();
    w.ui->pushButton_20->click();
    const QList<CanFrame> frames = dataFrames(spy);
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames[0].id, 0x0400FD0Cu);
    QCOMPARE(payload(frames[0]), QByteArray::fromHex("0100000000000000"));
    QCOMPARE(frames[1].id, 0xFFFu);
    QCOMPARE(payload(frames[1]), QByteArray::fromHex("0102030405060000"));
}

QTEST_MAIN(TestDeviceControls)
#include "tst_controls_device.moc"
