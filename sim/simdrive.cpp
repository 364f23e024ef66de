#include "sim/simdrive.h"

#include <algorithm>
#include <cmath>

#include "protocol/framecodec.h"

using namespace codec;

namespace {
}

SimDrive::SimDrive(const SimDriveConfig& config, std::function<void(const CanFrame&)> bus, QObject* parent)
    : QObject(parent), id(config.canId), uid(config.mcuId), toBus(std::move(bus))
{
    for (int i = 0; i < 3; ++i)
        model[i] = config.modelBytes[i];
    connect(&reportTimer, &QTimer::timeout, this, [this] { reportTick(); });
    calibrationTimer.setInterval(5);
    connect(&calibrationTimer, &QTimer::timeout, this, [this] { startCalibration(); });
    motion.ranges = ranges();
    clock.start();
    installSimFeatures(*this);
}

SimDrive::~SimDrive() = default;

void SimDrive::transmit(const CanFrame& frame)
{
    toBus(frame);
}

double SimDrive::clockSeconds() const
{
    return double(clock.nsecsElapsed()) / 1e9;
}

bool SimDrive::measure(const QString& variable, double atSeconds, double& value)
{
    motion.advanceTo(atSeconds);
    if (variable == QLatin1String("Position"))
        value = double(motion.position);
    else if (variable == QLatin1String("Velocity"))
        value = double(motion.velocity);
    else if (variable == QLatin1String("Torque"))
        value = double(motion.torque);
    else
        return false;
    return true;
}

codec::Ranges SimDrive::ranges() const
{
    const ModelReport report = decodeModelReport(model[0], model[1], model[2]);
    return report.ranges ? *report.ranges : Ranges();
}

void SimDrive::setMode(int newMode)
{
    motion.advanceTo(clockSeconds());
    mode = newMode;
    motion.setEnabled(newMode == 2);
}

void SimDrive::answer(const CanFrame& frame)
{
    if (silent)
        return;
    if (dropNextAnswers > 0) {
        --dropNextAnswers;
        return;
    }
    transmit(frame);
}

void SimDrive::sendStatus(uint8_t type)
{
    // Feedback: the rotor now, as position, velocity and torque codes over the drive's ranges.
    motion.advanceTo(clockSeconds());
    const Ranges r = ranges();
    const auto code = [](float x, float min, float max) {
        return uint16_t(std::min<uint32_t>(floatToUint(x, min, max, 16), 0xFFFF));
    };
    const uint16_t p = code(motion.position, -12.57f, 12.57f);
    const uint16_t v = code(motion.velocity, r.velMin, r.velMax);
    const uint16_t t = code(motion.torque, r.torqueMin, r.torqueMax);
    const int16_t c = int16_t(std::lround(motion.temperature * 10.0f));
    CanFrame frame;
    frame.id = makeId(type, hostId, uint16_t(id | ((feedbackFaultBits & 0x3F) << 8) | ((mode & 3) << 14)));
    frame.length = 8;
    const uint16_t words[4] = {p, v, t, uint16_t(c)};
    for (int i = 0; i < 4; ++i) {
        frame.data[2 * i] = uint8_t(words[i] >> 8);
        frame.data[2 * i + 1] = uint8_t(words[i]);
    }
    answer(frame);
}

void SimDrive::sendIdentification()
{
    CanFrame reply;
    reply.id = makeId(commProbe, hostId, id);
    reply.length = 8;
    writeLe64(reply.data, uid);
    answer(reply);
}

void SimDrive::sendModelReport()
{
    CanFrame frame;
    frame.id = makeId(commStatus, hostId, uint16_t(id | ((mode & 3) << 14)));
    frame.length = 8;
    frame.data[1] = 0xC4;
    frame.data[3] = model[0];
    frame.data[4] = model[1];
    frame.data[5] = model[2];
    answer(frame);
}

void SimDrive::sendFaultReport(uint32_t faultWord, uint32_t warningWord)
{
    CanFrame frame;
    frame.id = makeId(commFaultReport, hostId, id);
    frame.length = 8;
    writeLe32(frame.data, faultWord);
    writeLe32(frame.data + 4, warningWord);
    transmit(frame);
}

void SimDrive::sendHallCalibrationDone(const uint8_t sensorBytes[6], uint8_t faults, uint8_t warnings)
{
    CanFrame frame;
    frame.id = makeId(commEncoderCal, hostId, uint16_t(id | (1 << 8)));
    frame.length = 8;
    for (int i = 0; i < 6; ++i)
        frame.data[i] = sensorBytes[i];
    frame.data[6] = faults;
    frame.data[7] = warnings;
    transmit(frame);
}

void SimDrive::startCalibration()
{
    // Progress samples, result entries, then the completion report.
    ++calibrationStep;
    CanFrame frame;
    frame.length = 8;
    if (calibrationStep <= 4) {
        frame.id = makeId(commCalProgress, hostId, uint16_t(1000 + calibrationStep * 100));
        writeLeFloat(frame.data, float(calibrationStep) * 1.5f);
        writeLeFloat(frame.data + 4, float(calibrationStep) * 1.25f);
        transmit(frame);
    } else if (calibrationStep <= 7) {
        frame.id = makeId(commCalResult, hostId, id);
        writeLe16(frame.data, uint16_t(calibrationStep - 4));
        writeLe16(frame.data + 2, uint16_t(calibrationStep));
        writeLe32(frame.data + 4, uint32_t(int32_t(-3 * calibrationStep)));
        transmit(frame);
    } else {
        calibrationTimer.stop();
        frame.id = makeId(commEncoderCal, hostId, id);
        writeLeFloat(frame.data, 2.356194f);
        transmit(frame);
        if (hallCalibrationOnEncoderCal) {
            const uint8_t sensors[6] = {0x10, 0x00, 0x02, 0x00, 0x00, 0x40};
            sendHallCalibrationDone(sensors, 0x01, 0x03);
        }
        setMode(0);
    }
}

void SimDrive::reportTick()
{
    sendStatus(commReport);
}

void SimDrive::receive(const CanFrame& frame)
{
    for (const auto& f : features)
        if (f->handleFrame(frame))
            return;

    const uint8_t type = commType(frame.id);
    switch (type) {
    case commProbe:
        sendIdentification();
        break;
    case commMotion: {  // motion control: the set-points hold from now on; feedback answers
        const Ranges r = ranges();
        motion.advanceTo(clockSeconds());
        motion.targetPosition = uintToFloat(readBe16(frame.data), -12.57f, 12.57f, 16);
        motion.targetVelocity = uintToFloat(readBe16(frame.data + 2), r.velMin, r.velMax, 16);
        motion.kp = uintToFloat(readBe16(frame.data + 4), 0.0f, r.kpMax, 16);
        motion.kd = uintToFloat(readBe16(frame.data + 6), 0.0f, r.kdMax, 16);
        motion.targetTorque = uintToFloat(field(frame.id), r.torqueMin, r.torqueMax, 16);
        sendStatus(commStatus);
        break;
    }
    case commMotorMode: setMode(2); sendStatus(commStatus); break;
    case commResetMode:
        if (frame.data[1] == 0xC4) {
            sendModelReport();
        } else if (frame.data[0] == 1) {
            ++faultClears;
            feedbackFaultBits = 0;
        } else {
            setMode(0);
            sendStatus(commStatus);
        }
        break;
    case commEncoderCal:
        setMode(1);
        sendStatus(commStatus);
        calibrationStep = 0;
        if (!silent)  // a silent drive sends no calibration reports either
            calibrationTimer.start();
        break;
    case commSetZero:
        ++zeroSets;
        motion.advanceTo(clockSeconds());
        motion.setZero();
        sendStatus(commStatus);
        break;
    case commSetCanId: {
        if (readLe64(frame.data) != uid)
            break;
        id = high(frame.id);
        sendIdentification();
        break;
    }
    case commSingleParam: {
        const uint16_t index = readLe16(frame.data);
        const uint32_t value = readLe32(frame.data + 4);
        parameterWrites.append({index, value});
        const bool reportsOnType23 = decodeModelReport(model[0], model[1], model[2]).code == 2;
        if (index == (reportsOnType23 ? 0x7024 : 0x7026)) {
            reportPeriodMs = (int(value & 0xFFFF) + 1) * 5;
            if (reporting)
                reportTimer.start(reportPeriodMs);
            break;  // on these models the profile speed has no index of its own
        }
        motion.advanceTo(clockSeconds());
        motion.writeParameter(index, frame.data + 4);
        break;
    }
    case commBrakeMode: setMode(3); sendStatus(commStatus); break;
    case commReportModel2:
    case commReport:
        // Newer models switch with 01 02 03 04 05 06 xx (byte 6), the others with byte 0.
        reporting = frame.data[1] == 2 ? frame.data[6] == 1 : frame.data[0] == 1;
        if (reporting)
            reportTimer.start(reportPeriodMs);
        else
            reportTimer.stop();
        break;
    default:
        break;
    }
}
