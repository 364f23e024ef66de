// The command catalogue: execute(code) builds the request, sends it and
// records the pending operation that the run loop then supervises.

#include "protocol/framecodec.h"
#include "protocol/otathread.h"

using namespace codec;

namespace {

void putUid(CanFrame& frame, uint64_t uid) { writeLe64(frame.data, uid); }

}  // namespace

void otaThread::execute(unsigned code)
{
    CanFrame frame = requestFrame(commProbe);
    ackFlag.store(0, std::memory_order_relaxed);
    elapsedMs.store(0, std::memory_order_relaxed);

    const auto sendTyped = [&](CommType type, int op) {
        frame.id = makeId(type, targetId, hostId);
        sendCanFrame(frame);
        setPending(op);
    };

    switch (code) {
    case cmdIdle:
        clearReceiveBuffer();
        setPending(opNone);
        break;
    case cmdProbeAdapter:
        clearReceiveBuffer();
        sendAdapterCommand(5);
        setPending(opAdapterProbe);
        break;
    case cmdAdapterEnterConfig:
        clearReceiveBuffer();
        adapterStep = 0;
        sendAdapterCommand(6);
        setPending(opAdapterEnterConfig);
        break;
    case cmdAdapterConfigStep:
        clearReceiveBuffer();
        sendAdapterCommand(adapterStep);
        setPending(opAdapterConfig);
        break;
    case cmdOtaErase:
    case cmdOtaSendInfo:
    case cmdOtaSendBlock:
    case cmdOtaFinish:
        executeUpgrade(code, frame);
        break;
    case cmdScanDevices:
        scanSlot = 0;
        scanGroup = 0;
        scanId = 0;
        setPending(opDeviceScan);
        break;
    case cmdSetCanId:  // GUI thread only: the device list is not the loop's to read
        putUid(frame, selectedDevice < maxDevices ? deviceUids[selectedDevice] : 0);
        frame.id = makeId(commSetCanId, targetId, uint16_t(hostId | (newCanId << 8)));
        sendCanFrame(frame);
        setPending(opSetCanId);
        break;
    case cmdResetMode: sendTyped(commResetMode, opResetMode); break;
    case cmdMotorMode: sendTyped(commMotorMode, opMotorMode); break;
    case cmdBrakeMode: sendTyped(commBrakeMode, opBrakeMode); break;
    case cmdEncoderCal: sendTyped(commEncoderCal, opEncoderCal); break;
    case cmdSetZero:
        frame.data[0] = uint8_t(zeroArgument & 0xFF);
        sendTyped(commSetZero, opSetZero);
        break;
    case cmdMotionOnce:
        sendMotionFrame();
        setPending(opMotionOnce);
        break;
    case cmdMotionContinuous:
        setPending(opMotionStream);
        break;
    case cmdReadParaTable:
    case cmdReadParaFirst:
    case cmdReadParaNext:
    case cmdWriteParaFirst:
    case cmdWriteParaRow:
    case cmdSaveParams:
    case cmdFactoryReset:
        executeParam(code, frame);
        break;
    case cmdScopeFrequency:
    case cmdScopeChannels:
    case cmdScopeStart:
    case cmdScopeStop:
        executeScope(code, frame);
        break;
    case cmdQueryModel:
        frame.id = makeId(commResetMode, lastCanId, hostId);
        frame.data[1] = 0xC4;
        sendCanFrame(frame);
        setPending(opQueryModel);
        break;
    default:
        setPending(opNone);
        break;
    }
}

void otaThread::sendMotionFrame()
{
    const SetPoints set{setPosition, setVelocity, setKp, setKd, setTorque};
    Ranges ranges;
    ranges.velMin = velMin;
    ranges.velMax = velMax;
    ranges.kpMax = kpMax;
    ranges.kdMax = kdMax;
    ranges.torqueMin = torqueMin;
    ranges.torqueMax = torqueMax;
    int32_t codes[5];
    CanFrame frame;
    encodeMotion(set, ranges, targetId, codes, frame);
    for (int i = 0; i < 5; ++i)
        encodedSetPoints[i] = codes[i];
    sendCanFrame(frame);
}

void otaThread::sendScanProbe(uint8_t id)
{
    CanFrame probe;
    probe.id = makeId(commProbe, id, hostId);
    probe.length = 0;
    sendCanFrame(probe);
}
