// Drives end to end: the real serial port against the simulated drives.
// Detection of one drive and of several, Set ID, the mode, zero and
// calibration commands, fault clearing and fault reports, reporting on and
// off, the continuous motion stream, run modes, per-mode set-points, jog and
// the sine test.

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
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

QList<CanFrame> framesOfType(const SimulatedRig& rig, uint8_t type)
{
    QList<CanFrame> out;
    for (const CanFrame& f : rig.sim.framesReceived())
        if (commType(f.id) == type)
            out << f;
    return out;
}

// Parameter writes (type 18) of one index, in the order sent.
QList<CanFrame> writesOf(const SimulatedRig& rig, uint16_t index)
{
    QList<CanFrame> out;
    for (const CanFrame& f : framesOfType(rig, 18))
        if (readLe16(f.data) == index)
            out << f;
    return out;
}

float floatAt(const uint8_t* p)
{
    return readLeFloat(p);
}

uint32_t bitsOf(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Waits with the event loop running: frames the run loop emits are written by the GUI thread.
bool sawFrame(const SimulatedRig& rig, const std::function<bool(const CanFrame&)>& match, int timeoutMs)
{
    const auto seen = [&] {
        for (const CanFrame& f : rig.sim.framesReceived())
            if (match(f))
                return true;
        return false;
    };
    return QTest::qWaitFor(seen, timeoutMs);
}

float framePosition(const CanFrame& f) { return uintToFloat(readBe16(f.data), -12.57f, 12.57f, 16); }

// Detection with multi-device operation off: the first drive answers and is asked for its model.
bool detectOne(SimulatedRig& rig)
{
    rig.click("pushButtonGetDevInfo");
    auto* model = rig.widget<QLabel>("label_motortype");
    return QTest::qWaitFor([&] { return devices(rig)->count() == 1 && !model->text().isEmpty(); }, 5000);
}

bool ready(SimulatedRig& rig)
{
    return rig.start() && rig.openAndHandshake() && detectOne(rig);
}

// One drive reporting these three model bytes, detected.
bool readyWithModel(SimulatedRig& rig, const QByteArray& model)
{
    SimDriveConfig drive;
    std::memcpy(drive.modelBytes, model.constData(), 3);
    rig.sim.drives = {drive};
    return ready(rig);
}

// The scan has walked ids 1..127 (or a reply replaced it).
bool waitScanEnd(SimulatedRig& rig)
{
    return QTest::qWaitFor([&] { return rig.window->worker.pendingOp.load() != opDeviceScan; }, 15000);
}

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

}  // namespace

class DrivesE2eTest : public QObject {
    Q_OBJECT

private slots:
    void singleDriveDetection();
    void multiDeviceDetection();
    void setCanId_data();
    void setCanId();
    void deviceCommands_data();
    void deviceCommands();
    void encoderCalibration();
    void faultFlagsClearAndFaultReport();
    void reporting_data();
    void reporting();
    void continuousMotionStream();
    void singleMotionFrame();
    void runModes_data();
    void runModes();
    void setPoints_data();
    void setPoints();
    void jog_data();
    void jog();
    void sineTest();
};

void DrivesE2eTest::singleDriveDetection()
{
    SimulatedRig rig;
    rig.sim.drives = {SimDriveConfig{1, defaultUid, {0, 2, 5}}, SimDriveConfig{2, 0x22, {0, 2, 5}}};
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    QVERIFY(detectOne(rig));

    QCOMPARE(devices(rig)->itemText(0), defaultEntry);
    QCOMPARE(devices(rig)->currentIndex(), 0);
    const QString detected = QString::fromUtf8("检测到设备,mcuId:0X1122334455667701 canId:1");
    auto* info = rig.widget<QLabel>("labelOtaInfo");
    QCOMPARE(info->text(), detected);
    QCOMPARE(info->styleSheet(), QString("color:green;"));
    QVERIFY(rig.statusMessages.contains(detected));

    // the model query follows the first answer and replaces the scan
    QVERIFY(sawFrame(rig, 
        [](const CanFrame& f) { return commType(f.id) == 4 && destination(f.id) == 1 && f.data[1] == 0xC4; }, 2000));
    QCOMPARE(rig.widget<QLabel>("label_motortype")->text(), QString::fromUtf8("电机类型 ZR02"));
    QCOMPARE(int(rig.window->worker.motorModelCode), 2);
    QCOMPARE(rig.window->worker.pendingOp.load(), int(opQueryModel));

    // without it drive 2 would have been probed after ids 1, 9, ..., 121
    QVERIFY(!sawFrame(rig, [](const CanFrame& f) { return commType(f.id) == 0 && destination(f.id) == 2; }, 500));
    QCOMPARE(devices(rig)->count(), 1);
    for (QPushButton* b : {rig.widget<QPushButton>("pushButtonCfgMotor"), rig.widget<QPushButton>("pushButtonRefreshTable"),
                           rig.widget<QPushButton>("pushButtonSetCanId")})
        QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
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
    QCOMPARE(rig.widget<QLabel>("label_motortype")->text(), QString::fromUtf8("多设备仅升级用"));
    QVERIFY(!rig.widget<QPushButton>("pushButton_6")->isEnabled());
    QVERIFY(!rig.widget<QPushButton>("pushButton_4")->isEnabled());

    rig.click("pushButtonGetDevInfo");
    QVERIFY(waitScanEnd(rig));
    QCOMPARE(rig.window->worker.pendingOp.load(), int(opNone));
    const QStringList expected = {"CAN:3  id:3003", "CAN:12  id:c0c", "CAN:5  id:ab"};
    QTRY_COMPARE_WITH_TIMEOUT(devices(rig)->count(), 3, 2000);
    QStringList listed;
    for (int i = 0; i < devices(rig)->count(); ++i)
        listed << devices(rig)->itemText(i);
    QCOMPARE(listed, expected);
    QCOMPARE(devices(rig)->currentIndex(), 0);

    // every id once, and no model query while several drives are listed (the last probe may still be on the line)
    QTRY_COMPARE_WITH_TIMEOUT(framesOfType(rig, 0).size(), 127, 3000);
    QSet<int> probed;
    int probes = 0;
    for (const CanFrame& f : framesOfType(rig, 0)) {
        probed.insert(destination(f.id));
        ++probes;
    }
    QCOMPARE(probes, 127);
    QCOMPARE(probed.size(), 127);
    QVERIFY(!probed.contains(0));
    QVERIFY(framesOfType(rig, 4).isEmpty());

    // a repeated reply from the first drive rebuilds the same three items
    devices(rig)->setCurrentIndex(2);
    QCOMPARE(int(rig.window->worker.selectedDevice), 2);
    rig.window->worker.sendScanProbe(3);
    QTRY_COMPARE_WITH_TIMEOUT(devices(rig)->currentIndex(), 0, 3000);
    listed.clear();
    for (int i = 0; i < devices(rig)->count(); ++i)
        listed << devices(rig)->itemText(i);
    QCOMPARE(listed, expected);
    QCOMPARE(int(rig.window->worker.selectedDevice), 0);

    // commands address the selected drive
    devices(rig)->setCurrentIndex(1);
    rig.sim.clearObservations();
    rig.click("pushButtonCfgMotor");
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置MOTOR模式成功!CAN:12  id:c0c"), 5000));
    QCOMPARE(onSim<int>(rig, [](SimDrive& d) { return d.mode; }, 2), 2);
    QCOMPARE(onSim<int>(rig, [](SimDrive& d) { return d.mode; }, 0), 0);
}

void DrivesE2eTest::setCanId_data()
{
    QTest::addColumn<bool>("multiDevice");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("outcome");  // empty: neither success nor failure is logged
    QTest::addColumn<QString>("entryAfter");

    QTest::newRow("answer under the new id, model query follows")
        << false << false << QString() << QString("CAN:7  id:1122334455667701");
    QTest::newRow("multi-device: success line")
        << true << false << QString::fromUtf8("设置CAN_ID成功!CAN:7  id:1122334455667701")
        << QString("CAN:7  id:1122334455667701");
    QTest::newRow("silent drive: failure line")
        << false << true << QString::fromUtf8("设置CAN_ID失败!") + defaultEntry << defaultEntry;
}

void DrivesE2eTest::setCanId()
{
    QFETCH(bool, multiDevice);
    QFETCH(bool, silent);
    QFETCH(QString, outcome);
    QFETCH(QString, entryAfter);

    SimulatedRig rig;
    QVERIFY(ready(rig));
    if (multiDevice)
        rig.click("pushButton_more");
    if (silent)
        rig.sim.runOnSimThread([&] { rig.sim.drive(0)->silent = true; });
    rig.sim.clearObservations();

    rig.widget<QLineEdit>("lineEditSetCanId")->setText("7");
    rig.click("pushButtonSetCanId");
    QVERIFY(rig.log().contains(QString::fromUtf8("\n设置CAN_ID--设备：") + defaultEntry + QString::fromUtf8("  设置ID:7")));
    QVERIFY(sawFrame(rig, [](const CanFrame& f) { return commType(f.id) == 7; }, 2000));
    const CanFrame request = framesOfType(rig, 7).value(0);
    QCOMPARE(int(destination(request.id)), 1);
    QCOMPARE(int(high(request.id)), 7);
    QCOMPARE(int(source(request.id)), 0xFD);
    QCOMPARE(readLe64(request.data), defaultUid);

    if (!outcome.isEmpty()) {
        QVERIFY2(rig.waitForLog(outcome, 5000), qPrintable(rig.log()));
    } else {
        // the identification under the new id replaces the wait by the model query
        QVERIFY(sawFrame(rig, 
            [](const CanFrame& f) { return commType(f.id) == 4 && destination(f.id) == 7 && f.data[1] == 0xC4; }, 3000));
        QCOMPARE(rig.window->worker.pendingOp.load(), int(opQueryModel));
    }
    QTRY_COMPARE_WITH_TIMEOUT(devices(rig)->itemText(0), entryAfter, 3000);
    QCOMPARE(devices(rig)->count(), 1);
    if (!silent)  // a drive that never answers may or may not have taken the new id
        QCOMPARE(int(onSim<uint8_t>(rig, [](SimDrive& d) { return d.canId(); })), 7);
    QVERIFY(!rig.log().contains(QString::fromUtf8(silent ? "设置CAN_ID成功!" : "设置CAN_ID失败!")));
    // after a success the next id is offered
    QCOMPARE(rig.widget<QLineEdit>("lineEditSetCanId")->text(), QString(multiDevice ? "8" : "7"));

    if (!silent) {
        // the drive is addressed under its new id from now on
        rig.click("pushButtonCfgMotor");
        QVERIFY(rig.waitForLog(QString::fromUtf8("设置MOTOR模式成功!") + entryAfter, 5000));
        QVERIFY(sawFrame(rig, [](const CanFrame& f) { return commType(f.id) == 3 && destination(f.id) == 7; }, 100));
    }
}

void DrivesE2eTest::deviceCommands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("english");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("outcomeLine");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("statusMode");  // mode name in the acknowledging status line
    QTest::addColumn<int>("modeAfter");       // the drive's mode afterwards; -1: not checked

    const auto t = [](const char* s) { return QString::fromUtf8(s); };
    QTest::newRow("stop") << "pushButtonCfgReset" << false << false << t("设置复位模式--设备：") << t("设置RESET模式成功!") << 4
                          << "RESET" << 0;
    QTest::newRow("enable") << "pushButtonCfgMotor" << false << false << t("设置motor模式--设备：")
                            << t("设置MOTOR模式成功!") << 3 << "MOTOR" << 2;
    QTest::newRow("zero") << "pushButtonZeroMech" << false << false << t("设置机械零点和电机index--设备：")
                          << t("设置机械零位成功!") << 6 << "MOTOR" << 2;
    // the calibration ends with the drive back in reset mode
    QTest::newRow("encoder calibration") << "pushButtonCaliEncoder" << false << false << t("设置高速编码器标定模式--设备：")
                                         << t("设置高速编码器标定模式成功!") << 5 << t("标定") << 0;
    QTest::newRow("stop, English") << "pushButtonCfgReset" << true << false << t("Set the reset mode--device：")
                                   << t("Set RESET mode successfully!") << 4 << "RESET" << 0;
    QTest::newRow("enable, English") << "pushButtonCfgMotor" << true << false << t("Set the motor mode--device：")
                                     << t("Set MOTOR mode successfully!") << 3 << "MOTOR" << 2;
    QTest::newRow("zero, English") << "pushButtonZeroMech" << true << false
                                   << t("Set the mechanical zero and motor index--device：")
                                   << t("Set the mechanical zero position successfully!") << 6 << "MOTOR" << 2;
    QTest::newRow("encoder calibration, English")
        << "pushButtonCaliEncoder" << true << false << t("Set the calibration mode for the high-speed encoder--deivce：")
        << t("High-speed encoder calibration mode is set successfully!") << 5 << "Calibration" << 0;
    QTest::newRow("stop, silent drive") << "pushButtonCfgReset" << false << true << t("设置复位模式--设备：")
                                        << t("设置RESET模式失败!") << 4 << QString() << -1;
    QTest::newRow("enable, silent drive") << "pushButtonCfgMotor" << false << true << t("设置motor模式--设备：")
                                          << t("设置MOTOR模式失败!") << 3 << QString() << -1;
    QTest::newRow("zero, silent drive") << "pushButtonZeroMech" << false << true << t("设置机械零点和电机index--设备：")
                                        << t("设置机械零位失败!") << 6 << QString() << -1;
    QTest::newRow("encoder calibration, silent drive (English)")
        << "pushButtonCaliEncoder" << true << true << t("Set the calibration mode for the high-speed encoder--deivce：")
        << t("Failed to set high-speed encoder calibration mode!") << 5 << QString() << -1;
}

void DrivesE2eTest::deviceCommands()
{
    QFETCH(QString, button);
    QFETCH(bool, english);
    QFETCH(bool, silent);
    QFETCH(QString, commandLine);
    QFETCH(QString, outcomeLine);
    QFETCH(int, type);
    QFETCH(QString, statusMode);
    QFETCH(int, modeAfter);

    SimulatedRig rig;
    rig.sim.drives = {SimDriveConfig{9, 0x5A17C0DE00000009ull, {0, 2, 5}}};
    const QString entry = "CAN:9  id:5a17c0de00000009";
    QVERIFY(rig.start());
    if (english)
        rig.click("pushButtonlanguage");
    QCOMPARE(rig.window->languageEnglish, english);
    QVERIFY(rig.openAndHandshake());
    QVERIFY(detectOne(rig));
    QCOMPARE(devices(rig)->itemText(0), entry);
    rig.sim.runOnSimThread([&] {
        rig.sim.drive(0)->mode = 2;  // running, so that Stop has something to change
        rig.sim.drive(0)->motion.position = 0.75f;
        rig.sim.drive(0)->silent = silent;
    });
    rig.sim.clearObservations();
    const QString motor = english ? QString("Motor:9 ") : QString::fromUtf8("电机：9 ");
    const int statusLines = countIn(rig, motor);

    rig.click(button.toLatin1().constData());
    QVERIFY2(rig.log().contains(QLatin1Char('\n') + commandLine + entry), qPrintable(rig.log()));
    QVERIFY(sawFrame(rig, [&](const CanFrame& f) { return commType(f.id) == type; }, 2000));
    const CanFrame request = framesOfType(rig, uint8_t(type)).value(0);
    QCOMPARE(int(destination(request.id)), 9);
    QCOMPARE(int(source(request.id)), 0xFD);
    if (button == "pushButtonZeroMech")
        QCOMPARE(int(request.data[0]), 1);

    // success after the drive's status frame; failure after the ~2.1 s limit
    QVERIFY2(rig.waitForLog(outcomeLine + entry, 5000), qPrintable(rig.log()));
    QCOMPARE(rig.window->worker.pendingOp.load(), int(opNone));
    if (silent) {
        QCOMPARE(countIn(rig, motor), statusLines);
        return;
    }
    QVERIFY(QTest::qWaitFor([&] { return onSim<int>(rig, [](SimDrive& d) { return d.mode; }) == modeAfter; }, 3000));
    // the status frame that acknowledged the command is logged as a feedback line
    const QString status = english ? QString(" model:") + statusMode + " temperature "
                                   : QString::fromUtf8(" 模式：") + statusMode + QString::fromUtf8(" 温度 ");
    QVERIFY2(rig.log().contains(status), qPrintable(rig.log()));
    if (button == "pushButtonZeroMech") {
        QCOMPARE(onSim<int>(rig, [](SimDrive& d) { return d.zeroSets; }), 1);
        // zero lies between two 16-bit codes: the drive reports it within one step of 0
        const QString line = lastLineStarting(rig, motor);
        const QString key = english ? QString("Location:") : QString::fromUtf8("位置：");
        const int at = line.indexOf(key) + key.size();
        QVERIFY2(at >= key.size(), qPrintable(line));
        const double location = line.mid(at, line.indexOf(' ', at) - at).toDouble();
        QVERIFY2(std::abs(location) < 0.0005, qPrintable(line));
    }
    if (button == "pushButtonCaliEncoder")
        QVERIFY(rig.waitForLog(english ? QString("Please wait patiently for the calibration to complete...")
                                       : QString::fromUtf8("请耐心等待标定完成...")));
}

void DrivesE2eTest::encoderCalibration()
{
    SimulatedRig rig;
    QVERIFY(ready(rig));
    rig.sim.runOnSimThread([&] { rig.sim.drive(0)->hallCalibrationOnEncoderCal = true; });
    rig.click("pushButtonCaliEncoder");

    const QString done = QString::fromUtf8("编码器标定完成-设备：1 Encoder Electrical Offset：2.356194");
    QVERIFY2(rig.waitForLog(done), qPrintable(rig.log()));
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置高速编码器标定模式成功!") + defaultEntry));
    const QString log = rig.log();
    // four progress samples, three result entries, in the order sent
    QStringList progress, results;
    for (const QString& line : log.split(QLatin1Char('\n'))) {
        if (line.startsWith(QString::fromUtf8("编码器标定中-")))
            progress << line;
        if (line.startsWith(QString::fromUtf8("编码器标定结果-")))
            results << line;
    }
    QCOMPARE(progress, (QStringList{QString::fromUtf8("编码器标定中-转子角度：1.5000 定子磁链角度：1.2500 传感器值：1100"),
                                    QString::fromUtf8("编码器标定中-转子角度：3.0000 定子磁链角度：2.5000 传感器值：1200"),
                                    QString::fromUtf8("编码器标定中-转子角度：4.5000 定子磁链角度：3.7500 传感器值：1300"),
                                    QString::fromUtf8("编码器标定中-转子角度：6.0000 定子磁链角度：5.0000 传感器值：1400")}));
    QCOMPARE(results, (QStringList{QString::fromUtf8("编码器标定结果-设备：1 编号：1 数组序号：5 校正值：-15"),
                                   QString::fromUtf8("编码器标定结果-设备：1 编号：2 数组序号：6 校正值：-18"),
                                   QString::fromUtf8("编码器标定结果-设备：1 编号：3 数组序号：7 校正值：-21")}));
    QVERIFY(log.indexOf(results.last()) < log.indexOf(done));

    // the Hall completion report follows: summary and six sensor lines
    QVERIFY(rig.waitForLog(QString::fromUtf8("HALL  编号：6")));
    const QString after = rig.log().mid(rig.log().indexOf(QString::fromUtf8("HALL标定完成")));
    const QStringList hall = after.split(QLatin1Char('\n')).mid(0, 7);
    QCOMPARE(hall, (QStringList{QString::fromUtf8("HALL标定完成-设备：1 故障：/极大值 警告：3/非单调/查表极大值超限"),
                                QString::fromUtf8("HALL  编号：1 故障：/极大值 警告："),
                                QString::fromUtf8("HALL  编号：2 故障： 警告："),
                                QString::fromUtf8("HALL  编号：3 故障： 警告：/查表极大值超限"),
                                QString::fromUtf8("HALL  编号：4 故障： 警告："),
                                QString::fromUtf8("HALL  编号：5 故障： 警告："),
                                QString::fromUtf8("HALL  编号：6 故障：/定位点 警告：")}));
}

void DrivesE2eTest::faultFlagsClearAndFaultReport()
{
    SimulatedRig rig;
    QVERIFY(ready(rig));
    rig.sim.runOnSimThread([&] { rig.sim.drive(0)->feedbackFaultBits = 0x22; });  // overcurrent, uncalibrated
    rig.click("pushButtonCfgMotor");
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置MOTOR模式成功!") + defaultEntry));
    QString line = lastLineStarting(rig, feedbackPrefix);
    QVERIFY2(line.endsWith(QString::fromUtf8(" 模式：MOTOR 温度 31.2000 故障：/过流/未标定")), qPrintable(line));

    rig.sim.clearObservations();
    rig.click("pushButtonErrorClear");
    QVERIFY(sawFrame(rig, [](const CanFrame& f) { return commType(f.id) == 4; }, 2000));
    const CanFrame clear = framesOfType(rig, 4).value(0);
    QCOMPARE(int(destination(clear.id)), 1);
    QCOMPARE(int(source(clear.id)), 0xFD);
    QCOMPARE(int(clear.length), 8);
    const uint8_t expected[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    QVERIFY(std::memcmp(clear.data, expected, 8) == 0);
    QVERIFY(waitOnSim(rig, [](SimDrive& d) { return d.faultClears == 1; }));

    // the next status frame carries no fault flag
    rig.click("pushButtonZeroMech");
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置机械零位成功!") + defaultEntry));
    line = lastLineStarting(rig, feedbackPrefix);
    QVERIFY2(line.endsWith(QString::fromUtf8(" 故障：无")), qPrintable(line));

    // a fault report lists the set bits under its headings
    rig.sim.runOnSimThread([&] { rig.sim.drive(0)->sendFaultReport(0x85, 0x09); });
    QVERIFY(rig.waitForLog(QString::fromUtf8("  力矩标定拟合零偏过大")));
    const QString log = rig.log();
    const int head = log.lastIndexOf(QString::fromUtf8("电机：1"));
    QVERIFY(head >= 0);
    const QString report = log.mid(head);
    for (const char* part : {"故障：", "  电机温度过高", "  母线电压过低", "  编码器未标定", "警告：", "  电机高温预警"})
        QVERIFY2(report.contains(QString::fromUtf8(part)), part);
    for (const char* absent : {"驱动芯片故障", "母线电压过高", "HALL未标定", "力矩标定故障"})
        QVERIFY2(!report.contains(QString::fromUtf8(absent)), absent);
    QVERIFY(report.indexOf(QString::fromUtf8("编码器未标定")) < report.indexOf(QString::fromUtf8("警告：")));
}

void DrivesE2eTest::reporting_data()
{
    QTest::addColumn<QByteArray>("model");  // bytes 3..5 of the model report
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("periodIndex");
    QTest::addColumn<bool>("keyed");  // 01..06 before the switch byte

    QTest::newRow("model 2: type 23, period 0x7024") << QByteArray("\x00\x02\x05", 3) << 23 << 0x7024 << false;
    QTest::newRow("model 0: type 24, period 0x7026") << QByteArray("\x00\x00\x02", 3) << 24 << 0x7026 << false;
    QTest::newRow("model 34: keyed frame") << QByteArray("\x00\x02\x03", 3) << 24 << 0x7026 << true;
}

void DrivesE2eTest::reporting()
{
    QFETCH(QByteArray, model);
    QFETCH(int, type);
    QFETCH(int, periodIndex);
    QFETCH(bool, keyed);

    SimulatedRig rig;
    QVERIFY(readyWithModel(rig, model));
    rig.sim.clearObservations();

    // period 20 ms: code 3
    rig.widget<QLineEdit>("lineEdit_timer")->setText("20");
    rig.click("pushButton_time");
    QCOMPARE(rig.widget<QLineEdit>("lineEdit_timer")->text(), QString("20"));
    QVERIFY(sawFrame(rig, [](const CanFrame& f) { return commType(f.id) == 18; }, 2000));
    const CanFrame period = framesOfType(rig, 18).value(0);
    QCOMPARE(int(readLe16(period.data)), periodIndex);
    QCOMPARE(readLe32(period.data + 4), uint32_t(3));
    QVERIFY(waitOnSim(rig, [](SimDrive& d) { return d.reportPeriodMs == 20; }));

    auto* toggle = rig.widget<QPushButton>("pushButton_17");
    const int before = countIn(rig, feedbackPrefix);
    rig.click("pushButton_17");
    QCOMPARE(toggle->text(), QString::fromUtf8("停止上报"));
    QVERIFY(sawFrame(rig, [&](const CanFrame& f) { return commType(f.id) == type; }, 2000));
    const CanFrame on = framesOfType(rig, uint8_t(type)).value(0);
    QCOMPARE(int(on.length), 7);
    QCOMPARE(int(destination(on.id)), 1);
    const uint8_t onKeyed[7] = {1, 2, 3, 4, 5, 6, 1};
    const uint8_t onPlain[7] = {1, 0, 0, 0, 0, 0, 0};
    QVERIFY(std::memcmp(on.data, keyed ? onKeyed : onPlain, 7) == 0);

    // periodic type 24 frames become feedback lines
    QVERIFY(QTest::qWaitFor([&] { return countIn(rig, feedbackPrefix) >= before + 10; }, 5000));
    const QString line = lastLineStarting(rig, feedbackPrefix);
    QVERIFY2(line.contains(QString::fromUtf8(" 温度 31.2000 故障：无")), qPrintable(line));

    rig.click("pushButton_17");
    QCOMPARE(toggle->text(), QString::fromUtf8("启动上报"));
    QVERIFY(waitOnSim(rig, [](SimDrive& d) { return !d.reporting; }));
    const QList<CanFrame> switches = framesOfType(rig, uint8_t(type));
    QCOMPARE(switches.size(), 2);
    const uint8_t offKeyed[7] = {1, 2, 3, 4, 5, 6, 0};
    const uint8_t offPlain[7] = {0, 0, 0, 0, 0, 0, 0};
    QVERIFY(std::memcmp(switches[1].data, keyed ? offKeyed : offPlain, 7) == 0);

    // a round trip behind the last periodic frame, then the lines stay as they are
    rig.click("pushButtonZeroMech");
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置机械零位成功!") + defaultEntry));
    const int stopped = countIn(rig, feedbackPrefix);
    QTest::qWait(300);  // fifteen report periods
    QCOMPARE(countIn(rig, feedbackPrefix), stopped);
}

void DrivesE2eTest::continuousMotionStream()
{
    SimulatedRig rig;
    QVERIFY(ready(rig));
    rig.click("pushButtonCfgMotor");  // a drive in reset mode holds still
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置MOTOR模式成功!") + defaultEntry));
    auto* position = rig.widget<QLineEdit>("lineEditSetPos");
    enter(position, "1.5");
    enter(rig.widget<QLineEdit>("lineEditSetKp"), "20");
    QCOMPARE(float(rig.window->worker.setPosition), 1.5f);
    QCOMPARE(float(rig.window->worker.setKp), 20.0f);
    rig.sim.clearObservations();

    rig.click("pushButtonCfgContinous");
    QVERIFY(rig.log().contains(QString::fromUtf8("\n连续控制--设备：") + defaultEntry));
    QCOMPARE(rig.window->worker.pendingOp.load(), int(opMotionStream));
    QVERIFY(QTest::qWaitFor([&] { return framesOfType(rig, 1).size() >= 3; }, 5000));

    // one frame per 50 ms pass of the loop: count over a second of wall time
    QElapsedTimer clock;
    clock.start();
    const int first = framesOfType(rig, 1).size();
    QTest::qWait(1000);
    const int counted = framesOfType(rig, 1).size() - first;
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(counted >= int(elapsed / 50 / 4) && counted <= int(elapsed / 50) + 3,
             qPrintable(QString("%1 frames in %2 ms").arg(counted).arg(elapsed)));

    const float kpMax = rig.window->worker.kpMax;
    for (const CanFrame& f : framesOfType(rig, 1)) {
        QCOMPARE(int(destination(f.id)), 1);
        QVERIFY(std::fabs(framePosition(f) - 1.5f) < 0.001f);
        QVERIFY(std::fabs(float(readBe16(f.data + 4)) * kpMax / 65535.0f - 20.0f) < 0.05f);
    }
    // the drive answers each frame with feedback moving toward the set-point
    QVERIFY(QTest::qWaitFor([&] { return std::fabs(rig.window->worker.fbPosition - 1.5f) < 0.01f; }, 3000));

    // a finished edit changes the stream at once
    enter(position, "-2");
    QVERIFY(sawFrame(rig, [](const CanFrame& f) { return commType(f.id) == 1 && framePosition(f) < -1.99f; }, 2000));
    const int changedAt = framesOfType(rig, 1).size();
    QVERIFY(QTest::qWaitFor([&] { return framesOfType(rig, 1).size() >= changedAt + 3; }, 5000));
    const QList<CanFrame> stream = framesOfType(rig, 1);
    for (int i = changedAt; i < stream.size(); ++i)
        QVERIFY(std::fabs(framePosition(stream[i]) + 2.0f) < 0.001f);
    QVERIFY(QTest::qWaitFor([&] { return rig.window->worker.fbPosition < -1.9f; }, 3000));
    QVERIFY(rig.log().contains(QString::fromUtf8("电机：1 位置：-")));

    // another command replaces the stream
    rig.click("pushButtonCfgReset");
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置RESET模式成功!") + defaultEntry));
    const int ended = framesOfType(rig, 1).size();
    QTest::qWait(300);  // six stream periods
    QCOMPARE(framesOfType(rig, 1).size(), ended);
}

void DrivesE2eTest::singleMotionFrame()
{
    SimulatedRig rig;
    QVERIFY(ready(rig));
    enter(rig.widget<QLineEdit>("lineEditSetPos"), "20");  // clamped while typed
    QCOMPARE(rig.widget<QLineEdit>("lineEditSetPos")->text(), QString("12.57"));
    enter(rig.widget<QLineEdit>("lineEditSetTorque"), "2.5");
    rig.sim.clearObservations();

    rig.click("pushButtonCfgSingle");
    QVERIFY(rig.log().contains(QString::fromUtf8("\n单次控制--设备：") + defaultEntry));
    QVERIFY(sawFrame(rig, [](const CanFrame& f) { return commType(f.id) == 1; }, 2000));
    QVERIFY(QTest::qWaitFor([&] { return countIn(rig, feedbackPrefix) >= 1; }, 3000));
    QTest::qWait(200);  // four stream periods: a single send stays single
    QCOMPARE(framesOfType(rig, 1).size(), 1);
    const CanFrame f = framesOfType(rig, 1).value(0);
    QVERIFY(std::fabs(framePosition(f) - 12.57f) < 0.001f);
    const float torque = uintToFloat(field(f.id), rig.window->worker.torqueMin, rig.window->worker.torqueMax, 16);
    QVERIFY(std::fabs(torque - 2.5f) < 0.01f);
    const float target = onSim<float>(rig, [](SimDrive& d) { return d.motion.targetTorque; });
    QVERIFY(std::fabs(target - 2.5f) < 0.01f);
}

void DrivesE2eTest::runModes_data()
{
    QTest::addColumn<QByteArray>("model");  // bytes 3..5 of the model report
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("code");

    QTest::newRow("MIT") << QByteArray("\x00\x02\x05", 3) << QString::fromUtf8("运控模式") << 0;
    QTest::newRow("PP") << QByteArray("\x00\x02\x05", 3) << QString::fromUtf8("插补位置模式") << 1;
    QTest::newRow("velocity") << QByteArray("\x00\x02\x05", 3) << QString::fromUtf8("速度模式") << 2;
    QTest::newRow("current") << QByteArray("\x00\x02\x05", 3) << QString::fromUtf8("电流模式") << 3;
    QTest::newRow("CSP") << QByteArray("\x00\x02\x05", 3) << QString::fromUtf8("位置模式") << 5;
    QTest::newRow("CSP on model 1") << QByteArray("\x00\x00\x00", 3) << QString::fromUtf8("位置模式") << 1;
}

void DrivesE2eTest::runModes()
{
    QFETCH(QByteArray, model);
    QFETCH(QString, item);
    QFETCH(int, code);

    SimulatedRig rig;
    QVERIFY(readyWithModel(rig, model));
    rig.sim.clearObservations();

    auto* modes = rig.widget<QComboBox>("comboBoxRunMode");
    const int at = modes->findText(item);
    QVERIFY(at > 0);
    modes->setCurrentIndex(at);
    QCOMPARE(int(rig.window->worker.runMode), code);
    QVERIFY(sawFrame(rig, [](const CanFrame& f) { return commType(f.id) == 18; }, 2000));
    const QList<CanFrame> writes = writesOf(rig, 0x7005);
    QCOMPARE(writes.size(), 1);
    QCOMPARE(int(destination(writes[0].id)), 1);
    QCOMPARE(int(writes[0].length), 8);
    const uint8_t value[4] = {uint8_t(code), 0, 0, 0};
    QVERIFY(std::memcmp(writes[0].data + 4, value, 4) == 0);
    QVERIFY(waitOnSim(rig, [&](SimDrive& d) {
        return !d.parameterWrites.isEmpty() && d.parameterWrites.last() == qMakePair(uint16_t(0x7005), uint32_t(code));
    }));

    // Detect Devices resets the list to its blank item: run mode 0 to the same drive.
    rig.click("pushButtonGetDevInfo");
    QCOMPARE(modes->currentIndex(), 0);
    QVERIFY(QTest::qWaitFor([&] { return writesOf(rig, 0x7005).size() == 2; }, 3000));
    const QList<CanFrame> reset = writesOf(rig, 0x7005);
    QCOMPARE(reset.size(), 2);
    QCOMPARE(int(destination(reset[1].id)), 1);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(reset[1].data), 8), QByteArray::fromHex("0570000000000000"));
}

void DrivesE2eTest::setPoints_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<float>("sent");

    QTest::newRow("PP speed") << "pushButton_9" << "lineEditSetPos_3" << 0x7024 << "3.25" << 3.25f;
    QTest::newRow("PP acceleration") << "pushButton_12" << "lineEditSetPos_5" << 0x7025 << "12" << 12.0f;
    QTest::newRow("PP angle") << "pushButton_5" << "lineEditSetPos_2" << 0x7016 << "-1.5" << -1.5f;
    QTest::newRow("velocity current limit") << "pushButton_10" << "lineEditSetVel_3" << 0x7018 << "23" << 23.0f;
    QTest::newRow("velocity step") << "pushButton_11" << "lineEditSetVel_4" << 0x7022 << "8.5" << 8.5f;
    QTest::newRow("velocity command") << "pushButton_8" << "lineEditSetVel_2" << 0x700A << "-4" << -4.0f;
    QTest::newRow("Iq preset 1") << "pushButton_2" << "lineEditSetIq1" << 0x7006 << "1.75" << 1.75f;
    QTest::newRow("Iq preset 2") << "pushButton_3" << "lineEditSetIq2" << 0x7006 << "-0.5" << -0.5f;
    QTest::newRow("Id") << "pushButton_7" << "lineEditSetId" << 0x7007 << "0.25" << 0.25f;
    QTest::newRow("CSP speed limit") << "pushButton_13" << "lineEdit_spd" << 0x7017 << "6" << 6.0f;
    QTest::newRow("CSP angle") << "pushButton_14" << "lineEdit_2" << 0x7016 << "2.5" << 2.5f;
    QTest::newRow("not a number sends 0") << "pushButton_8" << "lineEditSetVel_2" << 0x700A << "fast" << 0.0f;
    QTest::newRow("not validated") << "pushButton_14" << "lineEdit_2" << 0x7016 << "99" << 99.0f;
}

void DrivesE2eTest::setPoints()
{
    QFETCH(QString, button);
    QFETCH(QString, fieldName);
    QFETCH(int, index);
    QFETCH(QString, typed);
    QFETCH(float, sent);

    SimulatedRig rig;
    QVERIFY(ready(rig));
    rig.sim.clearObservations();
    auto* field = rig.widget<QLineEdit>(fieldName.toLatin1().constData());
    QVERIFY(field);
    field->setText(typed);
    rig.click(button.toLatin1().constData());
    QCOMPARE(field->text(), typed);  // nothing is written back

    QVERIFY(sawFrame(rig, [](const CanFrame& f) { return commType(f.id) == 18; }, 2000));
    const QList<CanFrame> writes = framesOfType(rig, 18);
    QCOMPARE(writes.size(), 1);
    QCOMPARE(int(readLe16(writes[0].data)), index);
    QCOMPARE(int(readLe16(writes[0].data + 2)), 0);
    QCOMPARE(floatAt(writes[0].data + 4), sent);
    QCOMPARE(int(destination(writes[0].id)), 1);
    QVERIFY(waitOnSim(rig, [&](SimDrive& d) {
        return !d.parameterWrites.isEmpty() && d.parameterWrites.last() == qMakePair(uint16_t(index), bitsOf(sent));
    }));
}

void DrivesE2eTest::jog_data()
{
    QTest::addColumn<QByteArray>("model");  // bytes 3..5 of the model report
    QTest::addColumn<int>("plusWord");
    QTest::addColumn<int>("minusWord");
    QTest::addColumn<int>("stopWord");

    QTest::newRow("default range ±50") << QByteArray("\x00\x09\x09", 3) << 33422 << 32112 << 32767;
    QTest::newRow("model 2 range ±44") << QByteArray("\x00\x02\x05", 3) << 33512 << 32022 << 32767;
}

void DrivesE2eTest::jog()
{
    QFETCH(QByteArray, model);
    QFETCH(int, plusWord);
    QFETCH(int, minusWord);
    QFETCH(int, stopWord);

    SimulatedRig rig;
    QVERIFY(readyWithModel(rig, model));
    rig.sim.clearObservations();

    const auto wordOf = [](const CanFrame& f) { return int(f.data[6]) << 8 | f.data[7]; };
    const auto targetVelocity = [&] { return onSim<float>(rig, [](SimDrive& d) { return d.motion.jogVelocity; }); };
    struct Step {
        const char* button;
        bool press;
        int word;
        float velocity;
    };
    const Step steps[] = {{"pushButton_6", true, plusWord, 1.0f},
                          {"pushButton_6", false, stopWord, 0.0f},
                          {"pushButton_4", true, minusWord, -1.0f},
                          {"pushButton_4", false, stopWord, 0.0f}};
    int sent = 0;
    for (const Step& step : steps) {
        auto* b = rig.widget<QPushButton>(step.button);
        QVERIFY(b->isEnabled());
        if (step.press)
            QTest::mousePress(b, Qt::LeftButton);
        else
            QTest::mouseRelease(b, Qt::LeftButton);
        ++sent;
        QVERIFY(QTest::qWaitFor([&] { return writesOf(rig, 0x7005).size() == sent; }, 2000));
        const CanFrame f = writesOf(rig, 0x7005).last();
        QCOMPARE(int(f.data[4]), 7);
        QCOMPARE(int(f.data[5]), step.press ? 1 : 0);
        QCOMPARE(wordOf(f), step.word);
        QVERIFY(waitOnSim(rig, [&](SimDrive& d) { return d.parameterWrites.size() == sent; }));
        const float v = targetVelocity();
        QVERIFY2(std::fabs(v - step.velocity) < 0.01f, qPrintable(QString::number(v)));
    }
}

void DrivesE2eTest::sineTest()
{
    SimulatedRig rig;
    rig.sim.drives = {SimDriveConfig{4, 0x44, {0, 2, 5}}};
    QVERIFY(ready(rig));
    // the start switch goes to the drive of the last device command
    rig.click("pushButtonCfgMotor");
    QVERIFY(rig.waitForLog(QString::fromUtf8("设置MOTOR模式成功!CAN:4  id:44")));
    rig.sim.clearObservations();

    rig.widget<QLineEdit>("lineEditSetSineFuzhi")->setText("2.5");
    rig.widget<QLineEdit>("lineEditSetSineFre")->setText("3");
    rig.click("pushButton");
    QVERIFY(QTest::qWaitFor([&] { return framesOfType(rig, 18).size() == 2; }, 3000));
    QList<CanFrame> writes = framesOfType(rig, 18);
    QCOMPARE(int(readLe16(writes[0].data)), 0x7003);
    QCOMPARE(floatAt(writes[0].data + 4), 2.5f);
    QCOMPARE(int(readLe16(writes[1].data)), 0x7002);
    QCOMPARE(floatAt(writes[1].data + 4), 3.0f);

    auto* sine = rig.widget<QPushButton>("pushButtonSineEn");
    QCOMPARE(sine->text(), QString::fromUtf8("启动"));
    rig.click("pushButtonSineEn");
    QCOMPARE(sine->text(), QString::fromUtf8("停止"));
    rig.click("pushButtonSineEn");
    QCOMPARE(sine->text(), QString::fromUtf8("启动"));
    QVERIFY(QTest::qWaitFor([&] { return writesOf(rig, 0x7001).size() == 2; }, 3000));
    writes = writesOf(rig, 0x7001);
    QCOMPARE(int(destination(writes[0].id)), 4);
    QCOMPARE(int(writes[0].data[4]), 1);
    QCOMPARE(int(writes[1].data[4]), 0);
    QVERIFY(waitOnSim(rig, [](SimDrive& d) {
        return d.parameterWrites.size() == 4 && d.parameterWrites[2] == qMakePair(uint16_t(0x7001), uint32_t(1)) &&
               d.parameterWrites[3] == qMakePair(uint16_t(0x7001), uint32_t(0));
    }));
}

QTEST_MAIN(DrivesE2eTest)
#include "tst_e2e_drives.moc"
