// Drives end to end: the real serial port against the simulated drives.
// Detection of one drive and of several, Set ID, the mode, zero and
// calibration commands, fault clearing and fault reports, reporting on and
// off, the motion frames, and the parameter writes of run modes, set-points,
// jog and the sine test with the drive following them.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <cmath>
#include <cstring>

#include "protocol/framecodec.h"
#include "support/e2e.h"

using namespace codec;

namespace {

const uint64_t defaultUid = 0x1122334455667701ull;
const QString defaultEntry = QStringLiteral("CAN:1  id:1122334455667701");
const QString feedbackPrefix = QString::fromUtf8("电机：1 位置：");

QComboBox* devices(SimulatedRig& rig) { return rig.widget<QComboBox>("comboBoxDev"); }

uint32_t bitsOf(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float framePosition(const CanFrame& f) { return uintToFloat(readBe16(f.data), -12.57f, 12.57f, 16); }

int countIn(const SimulatedRig& rig, const QString& text) { return rig.log().count(text); }

// The last log line that starts with `prefix`.
QString lastLineStarting(const SimulatedRig& rig, const QString& prefix)
{
    const QStringList lines = rig.log().split(QLatin1Char('\n'));
    for (int i = lines.size() - 1; i >= 0; --i)
        if (lines[i].startsWith(prefix))
            return lines[i];
    return QString();
}

// Typing a value and pressing Enter finishes the edit.
void enter(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->setText(text);
    QTest::keyClick(field, Qt::Key_Return);
}

template <class T>
T onSim(SimulatedRig& rig, const std::function<T(SimDrive&)>& read, int driveIndex = 0)
{
    T value{};
    rig.sim.runOnSimThread([&] { value = read(*rig.sim.drive(driveIndex)); });
    return value;
}

bool waitOnSim(SimulatedRig& rig, const std::function<bool(SimDrive&)>& test, int timeoutMs = 5000)
{
    return QTest::qWaitFor([&] { return onSim<bool>(rig, test); }, timeoutMs);
}

// The drive's last parameter write was `index` with these four value bytes.
bool driveApplied(SimulatedRig& rig, uint16_t index, uint32_t value)
{
    return waitOnSim(rig, [=](SimDrive& d) {
        return !d.parameterWrites.isEmpty() && d.parameterWrites.last() == qMakePair(index, value);
    });
}

}  // namespace

class DrivesE2eTest : public QObject {
    Q_OBJECT

private slots:
    void singleDriveDetection();
    void multiDeviceDetection();
    void setCanId();
    void deviceCommands_data();
    void deviceCommands();
    void encoderCalibration();
    void faultFlagsClearAndFaultReport();
    void reporting();
    void motionFrames();
    void parameterWritesReachTheDrive();
};

void DrivesE2eTest::singleDriveDetection()
{
    SimulatedRig rig;
    rig.sim.drives = {SimDriveConfig{1, defaultUid, {0, 2, 5}}, SimDriveConfig{2, 0x22, {0, 2, 5}}};
    QVERIFY(rig.ready());
    QCOMPARE(devices(rig)->itemText(0), defaultEntry);
    const QString detected = QString::fromUtf8("检测到设备,mcuId:0X1122334455667701 canId:1");
    QCOMPARE(rig.widget<QLabel>("labelOtaInfo")->text(), detected);
    QVERIFY(rig.statusMessages.contains(detected));

    // the model query follows the first answer and replaces the scan
    QVERIFY(rig.sawFrame([](const CanFrame& f) { return commType(f.id) == 4 && destination(f.id) == 1 && f.data[1] == 0xC4; }));
    QCOMPARE(rig.widget<QLabel>("label_motortype")->text(), QString::fromUtf8("电机类型 ZR02"));
    QCOMPARE(rig.window->worker.pendingOp.load(), int(opQueryModel));
    // without it drive 2 would have been probed after ids 1, 9, ..., 121
    QVERIFY(!rig.sawFrame([](const CanFrame& f) { return commType(f.id) == 0 && destination(f.id) == 2; }, 500));
    QCOMPARE(devices(rig)->count(), 1);
}

void DrivesE2eTest::multiDeviceDetection()
{
    SimulatedRig rig;
    // The scan walks 1, 9, ..., 121, then 2, 10, ...: these answer in the order 3, 12, 5.
    rig.sim.drives = {SimDriveConfig{5, 0xAB, {0, 2, 5}}, SimDriveConfig{3, 0x3003, {0, 2, 5}},
                      SimDriveConfig{12, 0xC0C, {0, 2, 5}}};
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    rig.click("pushButton_more");
    QVERIFY(rig.detect(3));
    QVERIFY(QTest::qWaitFor([&] { return rig.window->worker.pendingOp.load() == opNone; }, 15000));
    QStringList listed;
    for (int i = 0; i < devices(rig)->count(); ++i)
        listed << devices(rig)->itemText(i);
    QCOMPARE(listed, (QStringList{"CAN:3  id:3003", "CAN:12  id:c0c", "CAN:5  id:ab"}));
    QCOMPARE(devices(rig)->currentIndex(), 0);
    QVERIFY(rig.framesOfType(4).isEmpty());  // no model query while several drives are listed

    // commands address the selected drive
    devices(rig)->setCurrentIndex(1);
    rig.click("pushButtonCfgMotor");
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置MOTOR模式成功!CAN:12  id:c0c")));
    QCOMPARE(onSim<int>(rig, [](SimDrive& d) { return d.mode; }, 2), 2);
    QCOMPARE(onSim<int>(rig, [](SimDrive& d) { return d.mode; }, 0), 0);
}

void DrivesE2eTest::setCanId()
{
    SimulatedRig rig;
    QVERIFY(rig.ready());
    rig.sim.clearObservations();
    rig.widget<QLineEdit>("lineEditSetCanId")->setText("7");
    rig.click("pushButtonSetCanId");
    QVERIFY(rig.sawFrame([](const CanFrame& f) { return commType(f.id) == 7 && destination(f.id) == 1 && high(f.id) == 7; }));
    // the identification under the new id replaces the wait by the model query
    QVERIFY(rig.sawFrame([](const CanFrame& f) { return commType(f.id) == 4 && destination(f.id) == 7 && f.data[1] == 0xC4; }, 3000));
    QCOMPARE(rig.window->worker.pendingOp.load(), int(opQueryModel));
    const QString moved = QStringLiteral("CAN:7  id:1122334455667701");
    QTRY_COMPARE_WITH_TIMEOUT(devices(rig)->itemText(0), moved, 3000);
    QCOMPARE(devices(rig)->count(), 1);
    QCOMPARE(int(onSim<uint8_t>(rig, [](SimDrive& d) { return d.canId(); })), 7);
    QVERIFY(!rig.log().contains(QString::fromUtf8("设置CAN_ID失败!")));
    // the drive is addressed under its new id from now on
    rig.click("pushButtonCfgMotor");
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置MOTOR模式成功!") + moved, 5000));
    QVERIFY(rig.sawFrame([](const CanFrame& f) { return commType(f.id) == 3 && destination(f.id) == 7; }, 100));
}

void DrivesE2eTest::deviceCommands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("outcomeLine");
    QTest::addColumn<int>("type");
    QTest::newRow("zero") << "pushButtonZeroMech" << false << QString::fromUtf8("设置机械零位成功!") << 6;
    QTest::newRow("stop, silent drive") << "pushButtonCfgReset" << true << QString::fromUtf8("设置RESET模式失败!") << 4;
}

void DrivesE2eTest::deviceCommands()
{
    QFETCH(QString, button);
    QFETCH(bool, silent);
    QFETCH(QString, outcomeLine);
    QFETCH(int, type);

    SimulatedRig rig;
    rig.sim.drives = {SimDriveConfig{9, 0x5A17C0DE00000009ull, {0, 2, 5}}};
    const QString entry = "CAN:9  id:5a17c0de00000009";
    QVERIFY(rig.ready());
    QCOMPARE(devices(rig)->itemText(0), entry);
    rig.sim.runOnSimThread([&] {
        rig.sim.drive(0)->mode = 2;  // running, so that Stop has something to change
        rig.sim.drive(0)->motion.position = 0.75f;
        rig.sim.drive(0)->silent = silent;
    });
    rig.sim.clearObservations();
    const QString motor = QString::fromUtf8("电机：9 ");
    const int statusLines = countIn(rig, motor);

    rig.click(button.toLatin1().constData());
    QVERIFY(rig.sawFrame([&](const CanFrame& f) { return commType(f.id) == type && destination(f.id) == 9; }));
    // success after the drive's status frame; failure after the ~2.1 s limit
    QVERIFY2(rig.waitForLog(outcomeLine + entry, 5000), qPrintable(rig.log()));
    QCOMPARE(rig.window->worker.pendingOp.load(), int(opNone));
    if (silent) {
        QCOMPARE(countIn(rig, motor), statusLines);
        return;
    }
    QCOMPARE(onSim<int>(rig, [](SimDrive& d) { return d.zeroSets; }), 1);
    // the acknowledging status frame is logged; zero lies between two 16-bit codes: within one step of 0
    const QString line = lastLineStarting(rig, motor);
    QVERIFY2(line.contains(QString::fromUtf8(" 模式：MOTOR 温度 ")), qPrintable(line));
    const QString key = QString::fromUtf8("位置：");
    const int at = line.indexOf(key) + key.size();
    QVERIFY2(at >= key.size(), qPrintable(line));
    QVERIFY2(std::abs(line.mid(at, line.indexOf(' ', at) - at).toDouble()) < 0.0005, qPrintable(line));
}

void DrivesE2eTest::encoderCalibration()
{
    SimulatedRig rig;
    QVERIFY(rig.ready());
    rig.sim.runOnSimThread([&] { rig.sim.drive(0)->hallCalibrationOnEncoderCal = true; });
    rig.click("pushButtonCaliEncoder");

    const QString done = QString::fromUtf8("编码器标定完成-设备：1 Encoder Electrical Offset：2.356194");
    QVERIFY2(rig.waitForLog(done), qPrintable(rig.log()));
    QVERIFY(rig.waitForLog(QString::fromUtf8("HALL  编号：6")));
    // four progress samples, three result entries, the offset, then the Hall report: in the order sent
    QStringList reports;
    for (const QString& line : rig.log().split(QLatin1Char('\n')))
        if (line.startsWith(QString::fromUtf8("编码器标定")) || line.startsWith(QLatin1String("HALL")))
            reports << line;
    QCOMPARE(reports, (QStringList{QString::fromUtf8("编码器标定中-转子角度：1.5000 定子磁链角度：1.2500 传感器值：1100"),
                                            QString::fromUtf8("编码器标定中-转子角度：3.0000 定子磁链角度：2.5000 传感器值：1200"),
                                            QString::fromUtf8("编码器标定中-转子角度：4.5000 定子磁链角度：3.7500 传感器值：1300"),
                                            QString::fromUtf8("编码器标定中-转子角度：6.0000 定子磁链角度：5.0000 传感器值：1400"),
                                            QString::fromUtf8("编码器标定结果-设备：1 编号：1 数组序号：5 校正值：-15"),
                                            QString::fromUtf8("编码器标定结果-设备：1 编号：2 数组序号：6 校正值：-18"),
                                            QString::fromUtf8("编码器标定结果-设备：1 编号：3 数组序号：7 校正值：-21"),
                                            done,
                                            QString::fromUtf8("HALL标定完成-设备：1 故障：/极大值 警告：3/非单调/查表极大值超限"),
                                            QString::fromUtf8("HALL  编号：1 故障：/极大值 警告："),
                                            QString::fromUtf8("HALL  编号：2 故障： 警告："),
                                            QString::fromUtf8("HALL  编号：3 故障： 警告：/查表极大值超限"),
                                            QString::fromUtf8("HALL  编号：4 故障： 警告："),
                                            QString::fromUtf8("HALL  编号：5 故障： 警告："),
                                            QString::fromUtf8("HALL  编号：6 故障：/定位点 警告：")}));
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置高速编码器标定模式成功!") + defaultEntry));
}

void DrivesE2eTest::faultFlagsClearAndFaultReport()
{
    SimulatedRig rig;
    QVERIFY(rig.ready());
    rig.sim.runOnSimThread([&] { rig.sim.drive(0)->feedbackFaultBits = 0x22; });  // overcurrent, uncalibrated
    rig.click("pushButtonCfgMotor");
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置MOTOR模式成功!") + defaultEntry));
    QString line = lastLineStarting(rig, feedbackPrefix);
    QVERIFY2(line.endsWith(QString::fromUtf8(" 模式：MOTOR 温度 31.2000 故障：/过流/未标定")), qPrintable(line));

    rig.click("pushButtonErrorClear");
    QVERIFY(waitOnSim(rig, [](SimDrive& d) { return d.faultClears == 1; }));

    // the next status frame carries no fault flag
    rig.click("pushButtonZeroMech");
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置机械零位成功!") + defaultEntry));
    line = lastLineStarting(rig, feedbackPrefix);
    QVERIFY2(line.endsWith(QString::fromUtf8(" 故障：无")), qPrintable(line));

    // a fault report reaches the log whole (its texts are the reaction texts' table)
    rig.sim.runOnSimThread([&] { rig.sim.drive(0)->sendFaultReport(0x85, 0x09); });
    QVERIFY(rig.waitForLog(QString::fromUtf8("  力矩标定拟合零偏过大")));
    const QString log = rig.log();
    const QString report = QString::fromUtf8("电机：1\n故障：\n  电机温度过高\n  母线电压过低\n  编码器未标定\n\n"
                                             "警告：\n  电机高温预警\n  力矩标定拟合零偏过大");
    QCOMPARE(log.mid(log.lastIndexOf(QString::fromUtf8("电机：1"))).left(report.size()), report);
}

void DrivesE2eTest::reporting()
{
    // model 34: type 24 switch frames keyed 01..06 before the switch byte, period at 0x7026
    const uint8_t type = 24;
    SimulatedRig rig;
    SimDriveConfig drive;
    drive.modelBytes[2] = 3;
    rig.sim.drives = {drive};
    QVERIFY(rig.ready());
    rig.sim.clearObservations();

    // the frames' bytes are the frame rules' table; here the drive takes them
    rig.widget<QLineEdit>("lineEdit_timer")->setText("20");
    rig.click("pushButton_time");
    QVERIFY(waitOnSim(rig, [](SimDrive& d) { return d.reportPeriodMs == 20; }));

    const int before = countIn(rig, feedbackPrefix);
    rig.click("pushButton_17");
    QVERIFY(rig.sawFrame([&](const CanFrame& f) { return commType(f.id) == type && destination(f.id) == 1; }));
    // periodic type 24 frames become feedback lines
    QVERIFY(QTest::qWaitFor([&] { return countIn(rig, feedbackPrefix) >= before + 10; }, 5000));
    const QString line = lastLineStarting(rig, feedbackPrefix);
    QVERIFY2(line.contains(QString::fromUtf8(" 温度 31.2000 故障：无")), qPrintable(line));

    rig.click("pushButton_17");
    QVERIFY(waitOnSim(rig, [](SimDrive& d) { return !d.reporting; }));
    QCOMPARE(rig.framesOfType(type).size(), 2);
    // a round trip behind the last periodic frame, then the lines stay as they are
    rig.click("pushButtonZeroMech");
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置机械零位成功!") + defaultEntry));
    const int stopped = countIn(rig, feedbackPrefix);
    QTest::qWait(300);  // fifteen report periods
    QCOMPARE(countIn(rig, feedbackPrefix), stopped);
}

void DrivesE2eTest::motionFrames()
{
    SimulatedRig rig;
    QVERIFY(rig.ready());
    rig.click("pushButtonCfgMotor");  // a drive in reset mode holds still
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置MOTOR模式成功!") + defaultEntry));
    auto* position = rig.widget<QLineEdit>("lineEditSetPos");
    enter(position, "1.5");
    enter(rig.widget<QLineEdit>("lineEditSetKp"), "20");
    rig.sim.clearObservations();

    rig.click("pushButtonCfgContinous");
    QVERIFY(QTest::qWaitFor([&] { return rig.framesOfType(1).size() >= 3; }, 5000));
    const float kpMax = rig.window->worker.kpMax;
    for (const CanFrame& f : rig.framesOfType(1)) {
        QCOMPARE(int(destination(f.id)), 1);
        QVERIFY(std::fabs(framePosition(f) - 1.5f) < 0.001f);
        QVERIFY(std::fabs(float(readBe16(f.data + 4)) * kpMax / 65535.0f - 20.0f) < 0.05f);
    }
    // the drive answers each frame with feedback moving toward the set-point
    QVERIFY(QTest::qWaitFor([&] { return std::fabs(rig.window->worker.fbPosition - 1.5f) < 0.01f; }, 3000));

    // another command replaces the stream
    rig.click("pushButtonCfgReset");
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置RESET模式成功!") + defaultEntry));
    const int ended = rig.framesOfType(1).size();
    const int lines = countIn(rig, feedbackPrefix);

    // a single send stays single and is answered; the torque travels in the identifier
    enter(rig.widget<QLineEdit>("lineEditSetTorque"), "2.5");
    rig.click("pushButtonCfgSingle");
    QVERIFY(QTest::qWaitFor([&] { return countIn(rig, feedbackPrefix) > lines; }, 3000));
    QTest::qWait(300);  // six stream periods
    QCOMPARE(rig.framesOfType(1).size(), ended + 1);
    const CanFrame single = rig.framesOfType(1).last();
    const float torque = uintToFloat(field(single.id), rig.window->worker.torqueMin, rig.window->worker.torqueMax, 16);
    QVERIFY(std::fabs(torque - 2.5f) < 0.01f);
    QVERIFY(std::fabs(onSim<float>(rig, [](SimDrive& d) { return d.motion.targetTorque; }) - 2.5f) < 0.01f);
}

void DrivesE2eTest::parameterWritesReachTheDrive()
{
    SimulatedRig rig;
    rig.sim.drives = {SimDriveConfig{4, 0x44, {0, 2, 5}}};  // model 2: ±44 rad/s
    QVERIFY(rig.ready());
    rig.click("pushButtonCfgMotor");
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置MOTOR模式成功!CAN:4  id:44")));
    rig.sim.clearObservations();

    // velocity mode at 5 rad/s: the reported feedback shows 5 rad/s
    auto* modes = rig.widget<QComboBox>("comboBoxRunMode");
    modes->setCurrentIndex(modes->findText(QString::fromUtf8("速度模式")));
    QVERIFY(driveApplied(rig, 0x7005, 2));
    rig.widget<QLineEdit>("lineEditSetVel_2")->setText("5");
    rig.click("pushButton_8");
    QVERIFY(driveApplied(rig, 0x700A, bitsOf(5.0f)));
    rig.click("pushButton_17");
    QVERIFY2(QTest::qWaitFor([&] { return std::fabs(rig.window->worker.fbVelocity - 5.0f) < 0.01f; }, 3000),
             qPrintable(QString::number(rig.window->worker.fbVelocity)));
    rig.click("pushButton_17");

    // Detect Devices resets the run mode list to its blank item: run mode 0 to the same drive
    rig.click("pushButtonGetDevInfo");
    QCOMPARE(modes->currentIndex(), 0);
    QVERIFY(driveApplied(rig, 0x7005, 0));
    for (const CanFrame& f : rig.framesOfType(18))
        QCOMPARE(int(destination(f.id)), 4);
}

QTEST_MAIN(DrivesE2eTest)
#include "tst_e2e_drives.moc"
