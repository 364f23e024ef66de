// The live status panel: the labels show the feedback line's values for
// drives of several models, follow the drive selected in the list, empty with
// the list, and the age turns red once reporting runs without frames (in
// virtual time).

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <cstring>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "reactions/livestatus.h"
#include "support/inprocess.h"
#include "support/virtualclock.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

using namespace codec;

namespace {

// A status frame from the drive through the receive path.
void receiveStatus(MainWindow& w, uint8_t canId, uint8_t modeAndFaults, const uint8_t data[8])
{
    CanFrame f;
    f.id = makeId(2, 0xFD, uint16_t(canId | modeAndFaults << 8));
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

class LiveStatusTest : public QObject {
    Q_OBJECT

private slots:
    void labelsShowTheFeedbackLineValues_data();
    void labelsShowTheFeedbackLineValues();
    void ageTurnsRedWhenReportedFramesStop();
    void followsTheSelectedDriveAndEmptiesWithTheList();
    void textsSwitchWithTheLanguage();
    void fitsTheWindow();
};

void LiveStatusTest::labelsShowTheFeedbackLineValues_data()
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

void LiveStatusTest::labelsShowTheFeedbackLineValues()
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

void LiveStatusTest::ageTurnsRedWhenReportedFramesStop()
{
    MainWindow w;
    VirtualClock clock;
    clock.now = 10000;
    w.setClock(&clock);
    announceDrive(w, 1, 0x11);
    QLabel* age = label(w, "labelLiveAge");
    const auto at = [&](qint64 ms) {
        clock.now = ms;
        w.liveStatus->redraw();
    };
    const auto red = [&] { return age->styleSheet() == QString("color:red;"); };

    // reporting on, nothing yet: red a second after the switch
    w.findChild<QPushButton*>("pushButton_17")->click();
    at(10000);
    QCOMPARE(age->text(), QString::fromUtf8("尚无反馈"));
    at(10999);
    QVERIFY(!red());
    at(11000);
    QVERIFY(red());
    QCOMPARE(valueOf(w, "Position"), QString());

    receiveFeedback(w, 1, 0x8000, 0x8000, 0x8000, 300);
    at(11000);
    QCOMPARE(age->text(), QString::fromUtf8("0.0 秒"));
    QVERIFY(!red());
    at(11950);
    QCOMPARE(age->text(), QString::fromUtf8("0.9 秒"));
    QVERIFY(!red());
    at(12000);
    QCOMPARE(age->text(), QString::fromUtf8("1.0 秒"));
    QVERIFY(red());

    // reporting off: an old frame is only old
    w.findChild<QPushButton*>("pushButton_17")->click();
    at(15000);
    QCOMPARE(age->text(), QString::fromUtf8("4.0 秒"));
    QVERIFY(!red());
    // on again: the old frame counts from the switch-on
    w.findChild<QPushButton*>("pushButton_17")->click();
    at(15500);
    QVERIFY(!red());
    at(16500);
    QVERIFY(red());
}

void LiveStatusTest::followsTheSelectedDriveAndEmptiesWithTheList()
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

void LiveStatusTest::textsSwitchWithTheLanguage()
{
    MainWindow w;
    announceDrive(w, 3, 0x33);
    receiveFeedback(w, 3, 0x8000, 0x8000, 0x8000, 300, 1, 0x08);
    w.liveStatus->redraw();
    auto* group = w.findChild<QGroupBox*>("groupBoxLiveStatus");
    QCOMPARE(group->title(), QString::fromUtf8("实时状态"));
    QCOMPARE(valueOf(w, "Mode"), QString::fromUtf8("标定"));
    QCOMPARE(valueOf(w, "Fault"), QString::fromUtf8("编码器"));

    w.findChild<QPushButton*>("pushButtonlanguage")->click();
    w.liveStatus->redraw();
    QCOMPARE(group->title(), QString("Live Status"));
    QCOMPARE(label(w, "labelLiveTorqueTitle")->text(), QString::fromUtf8("Torque (N·m)"));
    QCOMPARE(valueOf(w, "Mode"), QString("Calibration"));
    QCOMPARE(valueOf(w, "Fault"), QString("Encoder"));

    w.findChild<QPushButton*>("pushButtonlanguage")->click();
    QCOMPARE(group->title(), QString::fromUtf8("实时状态"));
    QCOMPARE(label(w, "labelLiveTemperatureTitle")->text(), QString::fromUtf8("温度(°C)"));
}

void LiveStatusTest::fitsTheWindow()
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

QTEST_MAIN(LiveStatusTest)
#include "tst_reactions_livestatus.moc"
