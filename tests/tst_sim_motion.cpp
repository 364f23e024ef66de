// The simulated drive moves: every run mode steers the rotor toward its
// set-point (in virtual time), and the feedback and scope frames report it.

#include <QtTest>

#include <cmath>
#include <cstring>
#include <functional>

#include "protocol/framecodec.h"
#include "sim/simdrive.h"
#include "sim/simmotion.h"

using namespace codec;

using Setup = std::function<void(SimMotion&)>;
using Reading = std::function<float(const SimMotion&)>;
Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(Reading)

namespace {

void write(SimMotion& m, uint16_t index, float value)
{
    uint8_t bytes[4];
    writeLeFloat(bytes, value);
    m.writeParameter(index, bytes);
}

void runMode(SimMotion& m, uint8_t code)
{
    const uint8_t bytes[4] = {code, 0, 0, 0};
    m.writeParameter(0x7005, bytes);
}

// A drive on a local bus: the frames it sends are kept.
struct BenchDrive {
    QList<CanFrame> sent;
    SimDrive drive{SimDriveConfig{}, [this](const CanFrame& f) { sent << f; }};

    void request(uint8_t type, const uint8_t data[8] = nullptr, uint16_t field = 0xFD)
    {
        CanFrame f;
        f.id = makeId(type, drive.canId(), field);
        f.length = 8;
        if (data)
            std::memcpy(f.data, data, 8);
        drive.receive(f);
    }
    void writeFloat(uint16_t index, float value)
    {
        uint8_t data[8] = {};
        writeLe16(data, index);
        writeLeFloat(data + 4, value);
        request(18, data);
    }
};

}  // namespace

class SimMotionTest : public QObject {
    Q_OBJECT

private slots:
    void modesFollowTheirSetPoints_data();
    void modesFollowTheirSetPoints();
    void feedbackReportsTheRotor();
    void scopePositionFollowsTheRotor();
};

void SimMotionTest::modesFollowTheirSetPoints_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<Reading>("reading");
    QTest::addColumn<float>("expected");
    QTest::addColumn<float>("tolerance");

    const Reading position = [](const SimMotion& m) { return m.position; };
    const Reading velocity = [](const SimMotion& m) { return m.velocity; };
    const Reading torque = [](const SimMotion& m) { return m.torque; };
    const auto velocityMode = [](float speed) {
        return Setup([speed](SimMotion& m) {
            runMode(m, SimMotion::velocityMode);
            write(m, 0x700A, speed);
        });
    };

    // first order: 1 - 1/e of the step after one time constant
    QTest::newRow("velocity after one lag") << velocityMode(5) << double(SimMotion::velocityLag) << velocity
                                            << 5.0f * (1.0f - std::exp(-1.0f)) << 0.05f;
    QTest::newRow("velocity holds friction") << velocityMode(5) << 1.0 << torque << 5.0f * SimMotion::friction << 0.01f;
    QTest::newRow("velocity beyond the model range") << velocityMode(500) << 2.0 << velocity << 44.0f << 0.05f;
    QTest::newRow("velocity ramp 10 rad/s/s") << Setup([velocityMode](SimMotion& m) {
        velocityMode(5)(m);
        write(m, 0x7022, 10);
    }) << 0.25 << velocity << 2.5f << 0.05f;
    QTest::newRow("current 1 A: torque") << Setup([](SimMotion& m) {
        runMode(m, SimMotion::currentMode);
        write(m, 0x7006, 1);
    }) << 1.0 << torque << 1.0f << 0.01f;
    QTest::newRow("current 1 A: speed") << Setup([](SimMotion& m) {
        runMode(m, SimMotion::currentMode);
        write(m, 0x7006, 1);
    }) << 1.0 << velocity << 1.0f / SimMotion::friction << 0.05f;
    QTest::newRow("PP to 3 rad") << Setup([](SimMotion& m) {
        runMode(m, SimMotion::profilePosition);
        write(m, 0x7016, 3);
    }) << 4.0 << position << 3.0f << 0.01f;
    QTest::newRow("PP keeps its speed") << Setup([](SimMotion& m) {
        runMode(m, SimMotion::profilePosition);
        write(m, 0x7024, 1.5f);
        write(m, 0x7016, 3);
    }) << 0.8 << velocity << 1.5f << 0.01f;
    QTest::newRow("CSP to -2 rad") << Setup([](SimMotion& m) {
        runMode(m, SimMotion::cyclicPosition);
        write(m, 0x7016, -2);
    }) << 3.0 << position << -2.0f << 0.01f;
    QTest::newRow("MIT feed-forward torque") << Setup([](SimMotion& m) { m.targetTorque = 0.3f; })
                                             << 1.0 << velocity << 0.3f / SimMotion::friction << 0.05f;
    QTest::newRow("jog +1 rad/s") << Setup([](SimMotion& m) {
        const uint8_t jog[4] = {7, 1, 0x82, 0x8E};  // +1 rad/s over ±50
        m.ranges = Ranges();
        m.writeParameter(0x7005, jog);
    }) << 1.0 << velocity << 1.0f << 0.01f;
    QTest::newRow("sine 1 rad at 1 Hz: a quarter period up") << Setup([](SimMotion& m) {
        write(m, 0x7003, 1);
        write(m, 0x7002, 1);
        const uint8_t on[4] = {1, 0, 0, 0};
        m.writeParameter(0x7001, on);
    }) << 3.25 << position << 1.0f << 0.05f;
    QTest::newRow("reset mode holds still") << Setup([velocityMode](SimMotion& m) {
        velocityMode(5)(m);
        m.setEnabled(false);
    }) << 1.0 << velocity << 0.0f << 0.0f;
}

void SimMotionTest::modesFollowTheirSetPoints()
{
    QFETCH(Setup, setup);
    QFETCH(double, seconds);
    QFETCH(Reading, reading);
    QFETCH(float, expected);
    QFETCH(float, tolerance);

    SimMotion motion;
    motion.ranges = *decodeModelReport(0, 2, 5).ranges;  // ±44 rad/s, ±17 N·m
    motion.setEnabled(true);
    setup(motion);
    motion.advanceTo(seconds);
    const float value = reading(motion);
    QVERIFY2(std::fabs(value - expected) <= tolerance,
             qPrintable(QString("%1 after %2 s, expected %3").arg(value).arg(seconds).arg(expected)));
    QVERIFY(std::fabs(motion.position) <= SimMotion::positionSpan);
}

void SimMotionTest::feedbackReportsTheRotor()
{
    BenchDrive bench;
    bench.request(3);  // motor mode
    const uint8_t velocityMode[8] = {0x05, 0x70, 0, 0, 2, 0, 0, 0};
    bench.request(18, velocityMode);
    bench.writeFloat(0x700A, -5);
    // the drive's clock a second ahead: its status shows the settled rotor
    double speed = 0;
    QVERIFY(bench.drive.measure(QStringLiteral("Velocity"), bench.drive.clockSeconds() + 1.0, speed));
    QVERIFY(std::fabs(speed + 5) < 0.01);
    bench.sent.clear();
    bench.drive.sendStatus();
    QCOMPARE(bench.sent.size(), 1);
    const CanFrame& f = bench.sent[0];
    const Feedback fb = decodeFeedback(readBe16(f.data), readBe16(f.data + 2), readBe16(f.data + 4),
                                       int16_t(readBe16(f.data + 6)), *decodeModelReport(0, 2, 5).ranges);
    QVERIFY2(std::fabs(fb.velocity + 5) < 0.01f, qPrintable(QString::number(fb.velocity)));
    QVERIFY(std::fabs(fb.torque + 0.5f) < 0.01f);
    QVERIFY(fb.position < -4.0f);
    QCOMPARE(int((f.id >> 22) & 3), 2);

    // reset mode: the rotor coasts to a stop and the drive reports no torque
    bench.request(4);
    QVERIFY(bench.drive.measure(QStringLiteral("Velocity"), bench.drive.motion.now + 1.0, speed));
    QCOMPARE(speed, 0.0);
    double position = 0;
    QVERIFY(bench.drive.measure(QStringLiteral("Position"), bench.drive.motion.now, position));
    QCOMPARE(float(position), bench.drive.motion.position);
    QVERIFY(!bench.drive.measure(QStringLiteral("BusVoltage"), bench.drive.motion.now, speed));
}

void SimMotionTest::scopePositionFollowsTheRotor()
{
    BenchDrive bench;
    bench.request(3);
    const uint8_t velocityMode[8] = {0x05, 0x70, 0, 0, 2, 0, 0, 0};
    bench.request(18, velocityMode);
    bench.writeFloat(0x700A, -5);
    // one channel, the drive's Position (a double), at 500 Hz
    const uint8_t frequency[8] = {0xF4, 0x01, 17, 0, 0, 0, 0, 0};
    bench.request(10, frequency, 0xFD | 0 << 8);
    const uint8_t channels[8] = {0x02, 0x30, 0, 0, 0, 0, 0, 0};
    bench.request(10, channels, 0xFD | 1 << 8);
    bench.sent.clear();
    bench.request(10, nullptr, 0xFD | 2 << 8);

    QVector<double> positions;
    const auto collect = [&] {
        positions.clear();
        for (int i = 0; i + 1 < bench.sent.size(); ++i) {
            const CanFrame& a = bench.sent[i];
            const CanFrame& b = bench.sent[i + 1];
            if (commType(a.id) != 10 || ((a.id >> 16) & 3) != 2 || ((a.id >> 20) & 0xF) != 0)
                continue;
            uint8_t raw[8];
            std::memcpy(raw, a.data + 2, 6);
            std::memcpy(raw + 6, b.data, 2);
            double value = 0;
            std::memcpy(&value, raw, 8);
            positions << value;
        }
        return positions.size() >= 300;
    };
    QVERIFY(QTest::qWaitFor(collect, 5000));
    // settled at -5 rad/s: 10 mrad less per sample of 2 ms
    for (int k = 200; k < positions.size(); ++k)
        QVERIFY2(std::fabs(positions[k] - positions[k - 1] + 0.01) < 0.0005,
                 qPrintable(QString("%1 -> %2").arg(positions[k - 1]).arg(positions[k])));
}

QTEST_GUILESS_MAIN(SimMotionTest)
#include "tst_sim_motion.moc"
