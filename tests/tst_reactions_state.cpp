// The window's reactions to adapter, device and motor notifications, offscreen;
// and the live status panel: the labels show the feedback line's values for
// drives of several models, follow the drive selected in the list, empty with
// the list, and the age turns red once reporting runs without frames (in
// virtual time).

#include <QtTest>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTextEdit>

#include <cstring>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "reactions/livestatus.h"
#include "support/inprocess.h"
#include "support/virtualclock.h"
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

// A status frame from the drive through the receive path.
void receiveStatus(MainWindow& w, uint8_t canId, uint8_t modeAndFaults, const uint8_t data[8])
{
    CanFrame f;
    f.id = codec::makeId(2, 0xFD, uint16_t(canId | modeAndFaults << 8));
    f.length = 8;
    std::memcpy(f.data, data, 8);
    w.worker.getSerialData(adapterline::encodeDataLine(f));
}

void receiveFeedback(MainWindow& w, uint8_t canId, uint16_t p, uint16_t v, uint16_t t, int16_t c, int mode = 2,
                     uint8_t faults = 0)
{
    const uint8_t data[8] = {uint8_t(p >> 8), uint8_t(p), uint8_t(v >> 8), uint8_t(v),
                             uint8_t(t >> 8), uint8_t(t), uint8_t(uint16_t(c) >> 8), uint8_t(c)};
    receiveStatus(w, canId, uint8_t((faults & 0x3F) | mode << 6), data);
}

// The text after `key` up to the next blank (or the end) in the log's last line.
QString fieldOf(const QString& line, const QString& key)
{
    const int at = line.indexOf(key);
    if (at < 0)
        return QStringLiteral("<missing>");
    const int from = at + key.size();
    const int end = line.indexOf(QLatin1Char(' '), from);
    return line.mid(from, end < 0 ? -1 : end - from);
}

QLabel* label(MainWindow& w, const char* name) { return w.findChild<QLabel*>(QString::fromLatin1(name)); }

QString valueOf(MainWindow& w, const char* which)
{
    return label(w, (QByteArray("labelLive") + which).constData())->text();
}

}  // namespace

class TestStateReactions : public QObject {
    Q_OBJECT

private slots:
    void codesWithoutReaction_data();
    void codesWithoutReaction();
    void detection();
    void deviceOutcomes_data();
    void deviceOutcomes();
    void motorReports();
    void moduleAndModelReports_data();
    void moduleAndModelReports();
    void adapterSetup_data();
    void adapterSetup();
    void labelsShowTheFeedbackLineValues_data();
    void labelsShowTheFeedbackLineValues();
    void ageTurnsRedWhenReportedFramesStop();
    void followsTheSelectedDriveAndEmptiesWithTheList();
    void valuesFollowTheLanguage();
    void fitsTheWindow();
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

void TestStateReactions::detection()
{
    const QString text = "Detected equipment,mcuId:0X1002 canId:2";
    MainWindow w;
    w.languageEnglish = true;
    announceDrive(w, 3, 0x1003);
    announceDrive(w, 1, 0x1001);
    announceDrive(w, 2, 0x1002);
    const QStringList three = {"CAN:3  id:1003", "CAN:1  id:1001", "CAN:2  id:1002"};
    QCOMPARE(comboItems(w.ui->comboBoxDev), three);
    QCOMPARE(w.ui->comboBoxDev->currentIndex(), 0);
    QCOMPARE(w.ui->labelOtaInfo->text(), text);
    QCOMPARE(w.ui->labelOtaInfo->styleSheet(), "color:green;");
    QCOMPARE(w.statusBar()->currentMessage(), text);

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

    // Without a change to the table the list stays as it is.
    w.worker.deviceListChanged = false;
    w.ui->comboBoxDev->addItem(QStringLiteral("kept"));
    w.worker.raiseState(stDeviceDetected);
    QCOMPARE(w.ui->comboBoxDev->count(), 4);
}

void TestStateReactions::deviceOutcomes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("idField");   // the Set ID field before; afterwards the id offered next
    QTest::addColumn<QStringList>("lines");  // the log's last lines
    QTest::addColumn<QString>("offered");

    const auto z = [](const char* s) { return QString::fromUtf8(s); };
    QTest::newRow("26 zh") << 26 << false << "5" << QStringList{z("设置机械零位成功!CAN:5  id:ab")} << "5";
    QTest::newRow("55 has no suffix") << 55 << true << "5" << QStringList{"Set motor type 0 successfully"} << "5";
    QTest::newRow("24 adds the wait line")
        << 24 << false << "5" << QStringList{z("设置高速编码器标定模式成功!CAN:5  id:ab"), z("请耐心等待标定完成...")} << "5";
    QTest::newRow("16: 5 offers 6") << 16 << true << "5" << QStringList{"CAN_ID set successfully!CAN:5  id:ab"} << "6";
    QTest::newRow("16: 127 stays within the range")
        << 16 << true << "127" << QStringList{"CAN_ID set successfully!CAN:5  id:ab"} << "127";
}

void TestStateReactions::deviceOutcomes()
{
    QFETCH(int, code);
    QFETCH(bool, english);
    QFETCH(QString, idField);
    QFETCH(QStringList, lines);
    QFETCH(QString, offered);
    MainWindow w;
    announceDrive(w, 5, 0xab);
    w.ui->lineEditSetCanId->setText(idField);
    w.languageEnglish = english;
    w.worker.raiseState(code);
    QCOMPARE(logParagraphs(w).mid(logParagraphs(w).size() - lines.size()), lines);
    QCOMPARE(w.ui->lineEditSetCanId->text(), offered);
    QCOMPARE(QString::number(w.worker.newCanId), offered);
}

void TestStateReactions::motorReports()
{
    MainWindow w;
    otaThread& t = w.worker;
    t.sourceId = 1;
    t.fbNoFault = true;
    w.languageEnglish = true;
    t.raiseState(stMotorFeedback);
    QVERIFY(logParagraphs(w).last().startsWith("Motor:1 Location:0.0000"));
    w.languageEnglish = false;  // the language of the moment, not of the previous line
    t.raiseState(stMotorFeedback);
    QVERIFY(logParagraphs(w).last().startsWith(QString::fromUtf8("电机：1 位置：0.0000")));

    const int before = logParagraphs(w).size();
    t.hallWarnFlags = 3;
    t.raiseState(stHallCalDone);
    QCOMPARE(logParagraphs(w).size(), before + 7);
    t.faultWord = 0x40;
    w.languageEnglish = true;
    t.raiseState(stFaultReport);
    QVERIFY(logParagraphs(w).join(QLatin1Char('\n')).endsWith(QString::fromUtf8("Motor:1\nFault：\n\nWarning：\n")));
}

void TestStateReactions::moduleAndModelReports_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("value");  // the adapter's rate and frame codes, or the motor model code
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("shown");  // label_3|label_4|label_6|label_motortype|rate item|frame type item

    const auto z = [](const char* s) { return QString::fromUtf8(s); };
    QTest::newRow("58: 250k") << 58 << 3 << true << "Connected module|The module baud rate is 250kbps|||250kbps| ";
    QTest::newRow("59") << 59 << 0 << true
                        << "Connected module|Please upgrade the latest firmware to obtain the function of modifying "
                           "the baud rate||| | ";
    QTest::newRow("60") << 60 << 0 << false << z("|模块CAN波特率已修改成功，重新插拔生效||| | ");
    QTest::newRow("61: standard") << 61 << 2 << false << z("||标准帧|| |标准帧");
    QTest::newRow("62") << 62 << 0 << true
                        << "||The module frame type has been modified successfully. Re-plugging and unplugging will "
                           "take effect|| | ";
    QTest::newRow("model 17 en") << int(stMotorModel) << 17 << true << "|||motor type ZR01| | ";
}

void TestStateReactions::moduleAndModelReports()
{
    QFETCH(int, code);
    QFETCH(int, value);
    QFETCH(bool, english);
    QFETCH(QString, shown);
    MainWindow w;
    w.languageEnglish = english;
    w.worker.adapterBaudCode = uint8_t(value);
    w.worker.adapterFrameCode = uint8_t(value);
    w.worker.motorModelCode = uint8_t(value);
    w.worker.raiseState(code);
    const QList<QLabel*> labels = {w.ui->label_3, w.ui->label_4, w.ui->label_6, w.ui->label_motortype};
    QStringList texts;
    for (QLabel* l : labels)
        texts << l->text();
    texts << w.ui->comboBox_usb->currentText() << w.ui->comboBox_cantype->currentText();
    QCOMPARE(texts.join('|'), shown);
    for (QLabel* l : labels)
        if (!l->text().isEmpty())
            QCOMPARE(l->styleSheet(), "color:green;");
    if (code == stMotorModel)
        QVERIFY(w.ui->label_motortype->text().endsWith(motorModelName));
}

void TestStateReactions::adapterSetup_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("probeIndexBefore");
    QTest::addColumn<int>("probeIndexAfter");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QByteArrayList>("lines");

    const QString scan = QString::fromUtf8("Configuring a Serial Interface：");
    const QString failed =
        QString::fromUtf8("The CAN module configuration failed. Please check the CAN device and its configuration！");
    const QString ready = QString::fromUtf8("CAN Module configuration successful！");
    const QByteArrayList query{"AT+CG\r\n"};
    QTest::newRow("1: scan from 9600") << 1 << 7 << 1 << scan + "9600" << query;
    QTest::newRow("3: last rate") << 3 << 10 << 11 << scan + "1152000" << query;
    QTest::newRow("3: past the table") << 3 << 11 << 12 << failed << QByteArrayList();
    QTest::newRow("3: replayed failure stays failed") << 3 << 12 << 12 << failed << QByteArrayList();
    QTest::newRow("2") << 2 << 1 << 1 << ready << QByteArrayList();
    QTest::newRow("5") << 5 << 1 << 1 << failed << QByteArrayList();
    QTest::newRow("6: probe again") << 6 << 3 << 3 << ready << QByteArrayList{"AT+AT\r\n"};
}

void TestStateReactions::adapterSetup()
{
    QFETCH(int, code);
    QFETCH(int, probeIndexBefore);
    QFETCH(int, probeIndexAfter);
    QFETCH(QString, status);
    QFETCH(QByteArrayList, lines);
    MainWindow w;
    w.languageEnglish = true;
    w.baudProbeIndex = uint8_t(probeIndexBefore);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.worker.raiseState(code);
    QCOMPARE(int(w.baudProbeIndex), probeIndexAfter);
    QCOMPARE(w.statusBar()->currentMessage(), status);
    QByteArrayList written;
    for (const QList<QVariant>& args : spy)
        written << args.at(0).toByteArray();
    QCOMPARE(written, lines);
    if (code == stAdapterReady)
        QVERIFY(w.ui->pushButtonGetDevInfo->isEnabled());
}

void TestStateReactions::labelsShowTheFeedbackLineValues_data()
{
    QTest::addColumn<QByteArray>("model");  // bytes 3..5 of the model report
    QTest::addColumn<QList<int>>("raw");    // position, velocity, torque codes, temperature in 0.1 °C
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("faults");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("fault");

    QTest::newRow("±44 rad/s, ±17 N·m, running, en") << QByteArray("\x00\x02\x05", 3)
        << QList<int>{0x8000, 0x9000, 0x7000, 312} << 2 << 0 << true << "none";
    QTest::newRow("±20 rad/s, ±60 N·m, brake, two faults") << QByteArray("\x00\x02\x00", 3)
        << QList<int>{0x1234, 0xFEDC, 0x0101, 455} << 3 << 0x22 << false << QString::fromUtf8("过流/未标定");
    QTest::newRow("±15 rad/s, ±120 N·m, calibration, all faults, en") << QByteArray("\x00\x04\x00", 3)
        << QList<int>{0xFFFF, 0, 0xFFFF, -100} << 1 << 0x3F << true
        << "low pressure/Overcurrent/Overheating/Encoder/Hall/Uncalibrated";
    QTest::newRow("unknown model keeps ±50, reset, none") << QByteArray("\x01\x07\x00", 3)
        << QList<int>{0, 0xFFFF, 0x8000, 0} << 0 << 0 << false << QString::fromUtf8("无");
}

void TestStateReactions::labelsShowTheFeedbackLineValues()
{
    QFETCH(QByteArray, model);
    QFETCH(QList<int>, raw);
    QFETCH(int, mode);
    QFETCH(int, faults);
    QFETCH(bool, english);
    QFETCH(QString, fault);

    MainWindow w;
    w.languageEnglish = english;
    announceDrive(w, 7, 0x77);
    const uint8_t report[8] = {0x00, 0xC4, 0, uint8_t(model[0]), uint8_t(model[1]), uint8_t(model[2]), 0, 0};
    receiveStatus(w, 7, 0, report);
    receiveFeedback(w, 7, uint16_t(raw[0]), uint16_t(raw[1]), uint16_t(raw[2]), int16_t(raw[3]), mode, uint8_t(faults));
    w.liveStatus->redraw();

    const QString line = logParagraphs(w).last();
    QVERIFY2(line.startsWith(english ? QString("Motor:7 ") : QString::fromUtf8("电机：7 ")), qPrintable(line));
    const auto key = [english](const char* en, const char* zh) { return english ? QString(en) : QString::fromUtf8(zh); };
    QCOMPARE(valueOf(w, "Position"), fieldOf(line, key("Location:", "位置：")));
    QCOMPARE(valueOf(w, "Velocity"), fieldOf(line, key("speed:", "速度：")));
    QCOMPARE(valueOf(w, "Torque"), fieldOf(line, key("Torque:", "力矩：")));
    QCOMPARE(valueOf(w, "Temperature"), fieldOf(line, key("temperature ", "温度 ")));
    QCOMPARE(valueOf(w, "Mode"), fieldOf(line, key("model:", "模式：")));
    QCOMPARE(valueOf(w, "Fault"), fault);
    QCOMPARE(label(w, "labelLiveFault")->styleSheet(), QString(faults ? "color:red;" : "color:green;"));
    QCOMPARE(valueOf(w, "Age"), english ? QString("0.0 s") : QString::fromUtf8("0.0 秒"));
}

void TestStateReactions::ageTurnsRedWhenReportedFramesStop()
{
    MainWindow w;
    VirtualClock clock;
    clock.now = 10000;
    w.setClock(&clock);
    announceDrive(w, 1, 0x11);
    QLabel* age = label(w, "labelLiveAge");
    const auto at = [&](qint64 ms) {  // the age as drawn at `ms`, " red" when it warns
        clock.now = ms;
        w.liveStatus->redraw();
        return age->text() + (age->styleSheet() == QString("color:red;") ? " red" : "");
    };
    const auto z = [](const char* s) { return QString::fromUtf8(s); };

    // reporting on, nothing yet: red a second after the switch
    w.findChild<QPushButton*>("pushButton_17")->click();
    QCOMPARE(at(10000), z("尚无反馈"));
    QCOMPARE(at(10999), z("尚无反馈"));
    QCOMPARE(at(11000), z("尚无反馈 red"));
    QCOMPARE(valueOf(w, "Position"), QString());

    receiveFeedback(w, 1, 0x8000, 0x8000, 0x8000, 300);
    QCOMPARE(at(11000), z("0.0 秒"));
    QCOMPARE(at(11950), z("0.9 秒"));
    QCOMPARE(at(12000), z("1.0 秒 red"));
    // reporting off: an old frame is only old
    w.findChild<QPushButton*>("pushButton_17")->click();
    QCOMPARE(at(15000), z("4.0 秒"));
    // on again: the old frame counts from the switch-on
    w.findChild<QPushButton*>("pushButton_17")->click();
    QCOMPARE(at(15500), z("4.5 秒"));
    QCOMPARE(at(16500), z("5.5 秒 red"));
}

void TestStateReactions::followsTheSelectedDriveAndEmptiesWithTheList()
{
    MainWindow w;
    announceDrive(w, 1, 0x11);
    announceDrive(w, 2, 0x22);
    auto* devices = w.findChild<QComboBox*>("comboBoxDev");
    QCOMPARE(devices->count(), 2);
    devices->setCurrentIndex(0);
    receiveFeedback(w, 1, 0x9000, 0x8000, 0x8000, 300);
    receiveFeedback(w, 2, 0x6000, 0x8000, 0x8000, 400);
    const QString one = logParagraphs(w).at(logParagraphs(w).size() - 2);
    const QString two = logParagraphs(w).last();
    // frames are drawn by the redraw timer, not one by one
    QCOMPARE(valueOf(w, "Position"), QString());
    QVERIFY(QTest::qWaitFor([&] { return !valueOf(w, "Position").isEmpty(); }, 1000));
    QCOMPARE(valueOf(w, "Position"), fieldOf(one, QString::fromUtf8("位置：")));

    devices->setCurrentIndex(1);  // drawn at once
    QCOMPARE(valueOf(w, "Position"), fieldOf(two, QString::fromUtf8("位置：")));
    QCOMPARE(valueOf(w, "Temperature"), QString("40.0000"));

    w.resetDeviceListAndLog();
    for (const char* name : {"Position", "Velocity", "Torque", "Temperature", "Mode", "Fault", "Age"})
        QVERIFY2(valueOf(w, name).isEmpty(), name);
    QTest::qWait(2 * livestatus::redrawPeriodMs);
    QVERIFY(valueOf(w, "Age").isEmpty());
    // the frames went with the list
    announceDrive(w, 2, 0x22);
    QCOMPARE(valueOf(w, "Position"), QString());
    QCOMPARE(valueOf(w, "Age"), QString::fromUtf8("尚无反馈"));
}

void TestStateReactions::valuesFollowTheLanguage()
{
    MainWindow w;
    announceDrive(w, 3, 0x33);
    receiveFeedback(w, 3, 0x8000, 0x8000, 0x8000, 300, 1, 0x08);
    w.liveStatus->redraw();
    QCOMPARE(valueOf(w, "Mode") + valueOf(w, "Fault"), QString::fromUtf8("标定编码器"));
    w.findChild<QPushButton*>("pushButtonlanguage")->click();
    w.liveStatus->redraw();
    QCOMPARE(valueOf(w, "Mode") + valueOf(w, "Fault"), QString("CalibrationEncoder"));
}

void TestStateReactions::fitsTheWindow()
{
    MainWindow w;
    announceDrive(w, 1, 0x11);
    receiveFeedback(w, 1, 0x8000, 0x8000, 0x8000, 300, 2, 0x3F);  // the longest fault text
    w.liveStatus->redraw();
    w.resize(1700, 843);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* group = w.findChild<QGroupBox*>("groupBoxLiveStatus");
    QVERIFY(group->height() >= group->minimumSizeHint().height());
    QVERIFY(group->width() >= group->minimumSizeHint().width());
    QVERIFY(w.findChild<QWidget*>("frame_3")->height() >= 110);
    QVERIFY(w.findChild<QWidget*>("pushButtonErrorClear")->width() >= 100);
    // the window needs no more room with the panel than without it
    const QSize needed = w.minimumSizeHint();
    QVERIFY(needed.width() <= 1700);
    group->hide();
    w.centralWidget()->layout()->activate();
    QCOMPARE(w.minimumSizeHint(), needed);
}

QTEST_MAIN(TestStateReactions)
#include "tst_reactions_state.moc"
