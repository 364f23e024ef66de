// Device management, run-mode and motion slots, offscreen, with the worker's
// output captured (port closed). The frames' bytes are tst_controls_frames';
// here: which drive, which field, which text.

#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "protocol/framecodec.h"
#include "support/inprocess.h"
#include "support/virtualclock.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

namespace {

// Drives 5, 9, 12 with MCU ids ab, cd, ef, detected in that order.
void listDrives(MainWindow& w, int count = 3)
{
    const uint8_t ids[3] = {5, 9, 12};
    for (int i = 0; i < count; ++i)
        announceDrive(w, ids[i], 0xab + 0x22 * i);
}

// The frames a spy on WriteToSerial caught, each as "identifier length data" in hex.
QStringList sent(const QSignalSpy& writes)
{
    QStringList frames;
    for (const CanFrame& f : dataFrames(writes))
        frames << QStringLiteral("%1 %2 ").arg(f.id, 8, 16, QLatin1Char('0')).arg(f.length)
                      + QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(f.data), 8).toHex());
    return frames;
}

}  // namespace

class TestControls : public QObject {
    Q_OBJECT

private slots:
    void setCanIdField_data();
    void setCanIdField();
    void deviceCommands_data();
    void deviceCommands();
    void emptyListDisablesDeviceControls();
    void driveSelectionResetsParameterButtons();
    void reportingToggle_data();
    void reportingToggle();
    void reportPeriod();
    void multiDeviceTogglesJog();
    void adapterCommands();
    void directFrames();
    void motionFields_data();
    void motionFields();
    void runMode();
    void jog_data();
    void jog();
    void setPointButtons_data();
    void setPointButtons();
    void applySineParameters();
    void sineStartStop_data();
    void sineStartStop();
};

void TestControls::setCanIdField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("newId");
    QTest::newRow("200") << "200" << "127" << 127;
    QTest::newRow("55") << "55" << "55" << 55;
}

void TestControls::setCanIdField()
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

void TestControls::deviceCommands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("type");  // -1: nothing sent by the slot itself
    QTest::addColumn<int>("pending");
    QTest::addColumn<QString>("line");

    const auto row = [](const char* button, int type, int pending, const char* en, const char* zh) {
        const QString drive = QStringLiteral("CAN:12  id:ef");
        QTest::addRow("%s en", button) << button << true << type << pending << QString::fromUtf8(en).arg(drive);
        QTest::addRow("%s zh", button) << button << false << type << pending << QString::fromUtf8(zh).arg(drive);
    };
    row("pushButtonSetCanId", 7, opSetCanId, "SetCAN_ID--device：%1  SetID:127", "设置CAN_ID--设备：%1  设置ID:127");
    row("pushButtonCfgReset", 4, opResetMode, "Set the reset mode--device：%1", "设置复位模式--设备：%1");
    row("pushButtonCfgMotor", 3, opMotorMode, "Set the motor mode--device：%1", "设置motor模式--设备：%1");
    row("pushButtonCaliEncoder", 5, opEncoderCal, "Set the calibration mode for the high-speed encoder--deivce：%1",
        "设置高速编码器标定模式--设备：%1");
    row("pushButtonZeroMech", 6, opSetZero, "Set the mechanical zero and motor index--device：%1",
        "设置机械零点和电机index--设备：%1");
    row("pushButtonCfgSingle", 1, opMotionOnce, "Single - shot control--device：%1", "单次控制--设备：%1");
    row("pushButtonCfgContinous", -1, opMotionStream, "Continuous control--device：%1", "连续控制--设备：%1");
}

void TestControls::deviceCommands()
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
    w.ui->lineEditSetCanId->setText(QStringLiteral("200"));
    w.languageEnglish = english;
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.findChild<QPushButton*>(button)->click();

    // The line starts with a line break: an empty paragraph above it.
    QCOMPARE(logParagraphs(w).mid(logParagraphs(w).size() - 2), (QStringList{QString(), line}));
    QCOMPARE(int(w.worker.targetId), 12);
    QCOMPARE(int(w.worker.selectedDevice), 2);
    QCOMPARE(w.worker.pendingOp.load(), pending);
    const QList<CanFrame> frames = dataFrames(spy);
    if (type < 0) {
        QVERIFY(frames.isEmpty());  // the stream is sent by the run loop
        return;
    }
    QCOMPARE(frames.size(), 1);
    QCOMPARE(int(codec::commType(frames[0].id)), type);
    QCOMPARE(int(codec::destination(frames[0].id)), 12);
    if (type == 7)
        QCOMPARE(int(codec::high(frames[0].id)), 127);
    if (type == 6)
        QCOMPARE(int(frames[0].data[0]), 1);
}

void TestControls::emptyListDisablesDeviceControls()
{
    MainWindow w;
    const QList<QPushButton*> controls = {
        w.ui->pushButtonCaliEncoder, w.ui->pushButtonCfgReset,     w.ui->pushButtonSetCanId,
        w.ui->pushButtonZeroMech,    w.ui->pushButtonCfgMotor,     w.ui->pushButtonCfgSingle,
        w.ui->pushButtonCfgContinous, w.ui->pushButtonInOtaMode,   w.ui->pushButtonRefreshTable};
    const auto allEnabled = [&](bool enabled) {
        for (QPushButton* b : controls)
            QVERIFY2(b->isEnabled() == enabled, qPrintable(b->objectName()));
    };
    listDrives(w, 1);
    allEnabled(true);

    // Detect Devices empties the list: nothing may address index -1.
    w.ui->pushButtonGetDevInfo->setEnabled(true);
    w.ui->pushButtonGetDevInfo->click();
    QCOMPARE(w.ui->comboBoxDev->count(), 0);
    allEnabled(false);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    const QStringList logBefore = logParagraphs(w);
    w.on_pushButtonCfgReset_clicked();
    w.on_pushButtonSetCanId_clicked();
    w.on_pushButtonErrorClear_clicked();
    w.on_pushButton_6_pressed();
    w.on_pushButton_17_clicked();
    QVERIFY(dataFrames(spy).isEmpty());
    QCOMPARE(logParagraphs(w), logBefore);
    QVERIFY(w.reportIdle);

    listDrives(w, 2);
    QCOMPARE(w.ui->comboBoxDev->count(), 2);
    QCOMPARE(w.ui->comboBoxDev->currentIndex(), 0);
    allEnabled(true);
}

void TestControls::driveSelectionResetsParameterButtons()
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

void TestControls::reportingToggle_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("texts");  // after the first click and after the second
    QTest::addColumn<QStringList>("frames");
    QTest::newRow("model 2 zh") << 2 << false << QString::fromUtf8("停止上报 启动上报")
                                << QStringList{"1700fd09 7 0100000000000000", "1700fd09 7 0000000000000000"};
    QTest::newRow("model 40 en") << 40 << true << "Stop reporting Start reporting"
                                 << QStringList{"1800fd09 7 0102030405060100", "1800fd09 7 0102030405060000"};
}

void TestControls::reportingToggle()
{
    QFETCH(int, model);
    QFETCH(bool, english);
    QFETCH(QString, texts);
    QFETCH(QStringList, frames);
    MainWindow w;
    listDrives(w);
    w.ui->comboBoxDev->setCurrentIndex(1);
    w.worker.motorModelCode = uint8_t(model);
    w.languageEnglish = english;
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.ui->pushButton_17->click();
    QVERIFY(!w.reportIdle);
    const QString first = w.ui->pushButton_17->text();
    w.ui->pushButton_17->click();
    QVERIFY(w.reportIdle);
    QCOMPARE(first + " " + w.ui->pushButton_17->text(), texts);
    QCOMPARE(sent(spy), frames);
}

// The period field shows the period the code stands for; the drive's model picks the index.
void TestControls::reportPeriod()
{
    MainWindow w;
    listDrives(w);
    w.worker.motorModelCode = 2;
    w.ui->lineEdit_timer->setText("12");
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.ui->pushButton_time->click();
    QCOMPARE(w.ui->lineEdit_timer->text(), "10");
    QCOMPARE(sent(spy), QStringList{"1200fd05 8 2470000001000000"});
}

void TestControls::multiDeviceTogglesJog()
{
    MainWindow w;
    const auto shown = [&] {  // the button's text, the model label, whether jog is offered
        return w.ui->pushButton_more->text() + "|" + w.ui->label_motortype->text()
               + (w.ui->pushButton_6->isEnabled() && w.ui->pushButton_4->isEnabled() ? "|jog" : "|");
    };
    w.languageEnglish = true;
    w.ui->pushButton_more->click();
    QVERIFY(w.worker.multiDeviceMode);
    QCOMPARE(shown(), "Disable multi-device enablement|Multi-device for upgrade only|");
    w.languageEnglish = false;
    w.ui->pushButton_more->click();
    QVERIFY(!w.worker.multiDeviceMode);
    QCOMPARE(shown(), QString::fromUtf8("打开多设备使能||jog"));
    w.ui->pushButton_more->click();
    QCOMPARE(shown(), QString::fromUtf8("关闭多设备使能|多设备仅升级用|"));
    w.languageEnglish = true;
    w.ui->pushButton_more->click();
    QCOMPARE(shown(), " Enable multi-device function||jog");
}

void TestControls::adapterCommands()
{
    MainWindow w;
    w.ui->comboBox_usb->setCurrentIndex(4);  // 125kbps
    w.ui->comboBox_cantype->setCurrentIndex(1);  // standard frames
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.ui->pushButton_16->click();
    w.ui->pushButton_18->click();
    w.ui->pushButton_15->click();
    QByteArrayList lines;
    for (const QList<QVariant>& args : spy) {
        QCOMPARE(args.at(1).value<qint16>(), qint16(7));
        lines << args.at(0).toByteArray();
    }
    QCOMPARE(lines, (QByteArrayList{QByteArray("AT;\x04\x00\r\n", 7), QByteArray("ATK\x02\x00\r\n", 7),
                                    QByteArray("AT+A\x00\r\n", 7)}));
}

void TestControls::directFrames()
{
    MainWindow w;
    listDrives(w);
    w.ui->comboBoxDev->setCurrentIndex(2);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.ui->pushButtonErrorClear->click();
    w.ui->pushButton_20->click();
    QCOMPARE(sent(spy), (QStringList{"0400fd0c 8 0100000000000000", "00000fff 8 0102030405060000"}));
}

void TestControls::motionFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");     // after each keystroke's check
    QTest::addColumn<QString>("finished");  // after the edit ends
    QTest::addColumn<float>("stored");

    QTest::newRow("position 20") << "lineEditSetPos" << "20" << "12.57" << "12.57" << 12.57f;
    QTest::newRow("Kp 6000") << "lineEditSetKp" << "6000" << "5000.00" << "5000.00" << 5000.0f;
    QTest::newRow("Kd 7") << "lineEditSetKd" << "7" << "5.00" << "5.00" << 5.0f;
    QTest::newRow("velocity -60") << "lineEditSetVel" << "-60" << "-50.00" << "-50.00" << -50.0f;
    QTest::newRow("velocity not a number") << "lineEditSetVel" << "abc" << "abc" << "0" << 0.0f;
    QTest::newRow("torque 51") << "lineEditSetTorque" << "51" << "50.00" << "50.00" << 50.0f;
    QTest::newRow("lone minus stands, then is 0") << "lineEditSetTorque" << "-" << "-" << "0" << 0.0f;
}

void TestControls::motionFields()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, finished);
    QFETCH(float, stored);
    MainWindow w;
    QLineEdit* edit = w.findChild<QLineEdit*>(field);
    edit->clear();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
    QVERIFY(QMetaObject::invokeMethod(&w, qPrintable("on_" + field + "_editingFinished")));
    QCOMPARE(edit->text(), finished);
    const QMap<QString, float> members = {{"lineEditSetPos", w.worker.setPosition},
                                          {"lineEditSetVel", w.worker.setVelocity},
                                          {"lineEditSetKp", w.worker.setKp},
                                          {"lineEditSetKd", w.worker.setKd},
                                          {"lineEditSetTorque", w.worker.setTorque}};
    for (auto it = members.begin(); it != members.end(); ++it)
        QCOMPARE(it.value(), it.key() == field ? stored : 0.0f);
}

// Position mode is code 1 on model 1 (5 elsewhere): the window passes the drive's model on.
void TestControls::runMode()
{
    MainWindow w;
    announceDrive(w, 21, 0x1234);
    w.worker.motorModelCode = 1;
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.ui->comboBoxRunMode->setCurrentIndex(w.ui->comboBoxRunMode->findText(QString::fromUtf8("位置模式")));
    QCOMPARE(int(w.worker.runMode), 1);
    w.ui->comboBoxRunMode->setCurrentIndex(0);  // back to the blank item: run mode 0
    QCOMPARE(int(w.worker.runMode), 0);
    QCOMPARE(sent(spy), (QStringList{"1200fd15 8 0570000001000000", "1200fd15 8 0570000000000000"}));
}

void TestControls::jog_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<float>("velMax");
    QTest::addColumn<QString>("pressWord");
    QTest::newRow("jog- default range") << "pushButton_4" << 50.0f << "7d70";
    QTest::newRow("jog+ reported 20 rad/s") << "pushButton_6" << 20.0f << "8665";
}

void TestControls::jog()
{
    QFETCH(QString, button);
    QFETCH(float, velMax);
    QFETCH(QString, pressWord);
    MainWindow w;
    announceDrive(w, 3, 0x1234);
    w.worker.velMax = velMax;
    w.worker.velMin = -velMax;
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    QPushButton* b = w.findChild<QPushButton*>(button);
    QTest::mousePress(b, Qt::LeftButton);
    QTest::mouseRelease(b, Qt::LeftButton);
    QCOMPARE(sent(spy), (QStringList{"1200fd03 8 057000000701" + pressWord, "1200fd03 8 0570000007007fff"}));
}

void TestControls::setPointButtons_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("index");  // low byte first

    QTest::newRow("PP speed") << "lineEditSetPos_3" << "pushButton_9" << "2470";
    QTest::newRow("PP acceleration") << "lineEditSetPos_5" << "pushButton_12" << "2570";
    QTest::newRow("PP angle") << "lineEditSetPos_2" << "pushButton_5" << "1670";
    QTest::newRow("current limit") << "lineEditSetVel_3" << "pushButton_10" << "1870";
    QTest::newRow("speed step") << "lineEditSetVel_4" << "pushButton_11" << "2270";
    QTest::newRow("velocity") << "lineEditSetVel_2" << "pushButton_8" << "0a70";
    QTest::newRow("Iq preset 1") << "lineEditSetIq1" << "pushButton_2" << "0670";
    QTest::newRow("Iq preset 2") << "lineEditSetIq2" << "pushButton_3" << "0670";
    QTest::newRow("Id") << "lineEditSetId" << "pushButton_7" << "0770";
    QTest::newRow("CSP speed limit") << "lineEdit_spd" << "pushButton_13" << "1770";
    QTest::newRow("CSP angle") << "lineEdit_2" << "pushButton_14" << "1670";
}

void TestControls::setPointButtons()
{
    QFETCH(QString, field);
    QFETCH(QString, button);
    QFETCH(QString, index);
    MainWindow w;
    announceDrive(w, 8, 0x1234);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.findChild<QLineEdit*>(field)->setText(QStringLiteral("-123.25"));
    w.findChild<QPushButton*>(button)->click();
    w.findChild<QLineEdit*>(field)->setText(QStringLiteral("not a number"));
    w.findChild<QPushButton*>(button)->click();
    // -123.25 as a float, then 0 for the text that does not parse
    QCOMPARE(sent(spy), (QStringList{"1200fd08 8 " + index + "00000080f6c2", "1200fd08 8 " + index + "000000000000"}));
    QCOMPARE(w.findChild<QLineEdit*>(field)->text(), "not a number");  // nothing is written back
}

void TestControls::applySineParameters()
{
    MainWindow w;
    announceDrive(w, 6, 0x1234);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    QVector<QPair<unsigned, int>> sleeps;  // (ms, frames sent before the sleep)
    VirtualClock clock;
    w.setClock(&clock);
    clock.onSleep = [&](unsigned ms) { sleeps << qMakePair(ms, spy.size()); };
    w.ui->lineEditSetSineFuzhi->setText(QStringLiteral("2.5"));
    w.ui->lineEditSetSineFre->setText(QStringLiteral("4"));
    w.ui->pushButton->click();
    // amplitude 2.5, frequency 4.0
    QCOMPARE(sent(spy), (QStringList{"1200fd06 8 0370000000002040", "1200fd06 8 0270000000008040"}));
    QCOMPARE(sleeps, (QVector<QPair<unsigned, int>>{{200u, 1}}));  // between the two writes
}

void TestControls::sineStartStop_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("enable");
    QTest::addColumn<QString>("after");
    QTest::newRow("start zh, now English") << QString::fromUtf8("启动") << true << 1 << "Stop";
    QTest::newRow("start en") << "Start" << false << 1 << QString::fromUtf8("停止");
    QTest::newRow("stop zh") << QString::fromUtf8("停止") << false << 0 << QString::fromUtf8("启动");
    QTest::newRow("stop en") << "Stop" << true << 0 << "Start";
}

void TestControls::sineStartStop()
{
    QFETCH(QString, before);
    QFETCH(bool, english);
    QFETCH(int, enable);
    QFETCH(QString, after);
    MainWindow w;
    w.languageEnglish = english;
    w.worker.targetId = 77;  // the drive of the last device command, not the selection
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    QVector<unsigned> sleeps;
    VirtualClock clock;
    w.setClock(&clock);
    clock.onSleep = [&](unsigned ms) { sleeps << ms; };
    w.ui->pushButtonSineEn->setText(before);
    w.ui->pushButtonSineEn->click();

    QCOMPARE(sent(spy), QStringList{"1200fd4d 8 017000000" + QString::number(enable) + "000000"});
    QCOMPARE(sleeps, QVector<unsigned>{100});
    QCOMPARE(w.ui->pushButtonSineEn->text(), after);
}

QTEST_MAIN(TestControls)
#include "tst_controls_device.moc"
