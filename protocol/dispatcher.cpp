// The receive dispatcher: every complete line is classified, a data line is
// decoded into rxFrame and routed by communication type, and then matched
// against the pending operation.

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "protocol/otathread.h"
#include "protocol/pendingops.h"

using namespace codec;

void otaThread::decodeLine(const QByteArray& line)
{
    if (!adapterline::isDataLine(line)) {
        uint8_t code = 0;
        const int state = adapterline::classifyAnswer(line, code);
        if (state == stModuleBaudRate)
            adapterBaudCode = code;
        else if (state == stModuleFrameType)
            adapterFrameCode = code;
        if (state >= 0)
            raiseState(state);
        matchAcknowledgement(line, false, false);
        return;
    }

    rxFrame = adapterline::parseDataLine(line, rxFrame);
    switch (commType(rxFrame.id)) {
    case commProbe: handleIdentification(); break;
    case commStatus:
    case commReport: handleStatus(); break;
    case commEncoderCal: handleCalibrationDone(); break;
    case commParamWrite: handleParamWriteReply(); break;
    case commParamRead:
        if (pendingOp.load(std::memory_order_acquire) == opReadPara)
            handleParamValueReply();
        break;
    case commScope: handleScopeFrame(); break;
    case commCalProgress: handleCalibrationProgress(); break;
    case commCalResult: handleCalibrationResult(); break;
    case commSingleParam: handleSingleParamReply(); break;
    case commParamTable: handleDescriptorFrame(); break;
    case commFaultReport: handleFaultReport(); break;
    default: break;
    }
    matchAcknowledgement(line, true, destination(rxFrame.id) == hostId);
}

void otaThread::handleIdentification()
{
    const uint8_t src = source(rxFrame.id);
    lastUid = readLe64(rxFrame.data);
    lastCanId = src;
    if (deviceCount == 0) {
        deviceUids[0] = lastUid;
        deviceIds[0] = src;
        deviceCount = 1;
        deviceListChanged = true;
    } else {
        int found = -1;
        for (int k = 0; k < deviceCount && k < maxDevices; ++k)
            if (deviceUids[k] == lastUid) {
                found = k;
                break;
            }
        if (found >= 0) {
            if (deviceIds[found] != src) {
                deviceIds[found] = src;
                deviceListChanged = true;
            }
        } else if (deviceCount < maxDevices) {
            deviceUids[deviceCount] = lastUid;
            deviceIds[deviceCount] = src;
            ++deviceCount;
            deviceListChanged = true;
        }
    }
    raiseState(stDeviceDetected);
    if (!multiDeviceMode)
        execute(cmdQueryModel);
}

void otaThread::handleStatus()
{
    const uint32_t id = rxFrame.id;
    const uint8_t* d = rxFrame.data;
    sourceId = source(id);
    fbNoFault = true;
    for (int i = 0; i < 6; ++i) {
        fbFaultFlags[i] = (id >> (16 + i)) & 1u;
        if (fbFaultFlags[i])
            fbNoFault = false;
    }
    fbMode = int((id >> 22) & 0x3);

    if (d[0] == 0x00 && d[1] == 0xC4) {
        const ModelReport report = decodeModelReport(d[3], d[4], d[5]);
        motorModelCode = report.code;
        if (report.ranges) {
            velMin = report.ranges->velMin;
            velMax = report.ranges->velMax;
            kpMax = report.ranges->kpMax;
            kdMax = report.ranges->kdMax;
            torqueMin = report.ranges->torqueMin;
            torqueMax = report.ranges->torqueMax;
        }
        raiseState(stMotorModel);
        return;
    }
    if (d[0] == 0x00 && d[1] >= 0xD1 && d[1] <= 0xD4) {
        const float value = readLeFloat(d + 2);
        switch (d[1]) {
        case 0xD1: velMax = value; velMin = -value; break;
        case 0xD2: torqueMax = value; torqueMin = -value; break;
        case 0xD3: kpMax = value; break;
        default: kdMax = value; break;
        }
        return;
    }

    fbRawPosition = readBe16(d);
    fbRawVelocity = readBe16(d + 2);
    fbRawTorque = readBe16(d + 4);
    fbRawTemperature = int16_t(readBe16(d + 6));
    Ranges ranges;
    ranges.velMin = velMin;
    ranges.velMax = velMax;
    ranges.torqueMin = torqueMin;
    ranges.torqueMax = torqueMax;
    const Feedback fb = decodeFeedback(fbRawPosition, fbRawVelocity, fbRawTorque, fbRawTemperature, ranges);
    fbPosition = fb.position;
    fbVelocity = fb.velocity;
    fbTorque = fb.torque;
    fbTemperature = fb.temperature;
    raiseState(stMotorFeedback);
}

void otaThread::handleCalibrationDone()
{
    sourceId = source(rxFrame.id);
    const uint8_t hi = high(rxFrame.id);
    if (hi == 0) {
        encoderOffset = readLeFloat(rxFrame.data);
        raiseState(stEncoderCalDone);
    } else if (hi == 1) {
        for (int i = 0; i < 6; ++i) {
            const uint8_t b = rxFrame.data[i];
            hallSensorFlags[i] = uint8_t((b << 4) | (b >> 4));
        }
        hallFaultFlags = rxFrame.data[6];
        hallWarnFlags = rxFrame.data[7];
        raiseState(stHallCalDone);
    }
}

void otaThread::handleCalibrationProgress()
{
    calSensorValue = field(rxFrame.id);
    calRotorAngle = readLeFloat(rxFrame.data);
    calFluxAngle = readLeFloat(rxFrame.data + 4);
    raiseState(stEncoderCalProgress);
}

void otaThread::handleCalibrationResult()
{
    sourceId = source(rxFrame.id);
    calSerial = readLe16(rxFrame.data);
    calArrayIndex = readLe16(rxFrame.data + 2);
    calCorrection = int32_t(readLe32(rxFrame.data + 4));
    raiseState(stEncoderCalResult);
}

void otaThread::handleSingleParamReply()
{
    if (readLe16(rxFrame.data) != 0x7012)
        return;
    if (rxFrame.data[4] == 0)
        raiseState(stMotorTypeSet0);
    else if (rxFrame.data[4] == 1)
        raiseState(stMotorTypeSet1);
}

void otaThread::handleFaultReport()
{
    if (rxFrame.length != 8)
        return;
    sourceId = source(rxFrame.id);
    faultWord = readLe32(rxFrame.data);
    warningWord = readLe32(rxFrame.data + 4);
    raiseState(stFaultReport);
}

namespace {

bool awaitedReply(const pending::Row& row, const QByteArray& line, bool dataLine, bool addressedToHost,
                  const CanFrame& frame, uint8_t target, int mode)
{
    using pending::Awaits;
    if (row.awaits == Awaits::adapterOk)
        return line.contains("OK");
    if (!dataLine)
        return false;
    const bool ofType = commType(frame.id) == row.replyType;
    switch (row.awaits) {
    case Awaits::anyFrame: return true;
    case Awaits::frame: return ofType;
    case Awaits::frameToHost: return addressedToHost && ofType;
    case Awaits::frameFromTarget: return addressedToHost && ofType && field(frame.id) == target;
    case Awaits::statusToHost: return addressedToHost && ofType && (row.replyMode < 0 || mode == row.replyMode);
    default: return false;
    }
}

}  // namespace

void otaThread::matchAcknowledgement(const QByteArray& line, bool dataLine, bool addressedToHost)
{
    const pending::Row* row = pending::rowOf(pendingOp.load(std::memory_order_acquire));
    if (!row || !awaitedReply(*row, line, dataLine, addressedToHost, rxFrame, targetId, fbMode))
        return;
    using pending::OnReply;
    switch (row->onReply) {
    case OnReply::acknowledge:
        ackFlag.store(1, std::memory_order_release);
        break;
    case OnReply::judgeBlock:
        handleBlockReply();
        break;
    case OnReply::startTransfer:
        ackFlag.store(1, std::memory_order_release);
        raiseState(stOtaTransferStarted);
        execute(cmdOtaSendBlock);
        break;
    case OnReply::finishUpgrade:
        ackFlag.store(1, std::memory_order_release);
        handleFinishReply();
        break;
    }
}
