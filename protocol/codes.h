#pragma once
// The codes the worker and the window exchange, and the drives' communication
// types, by name. Nothing else spells them as numbers.

#include <cstdint>

// Pending operations supervised by the run loop.
enum PendingOp : int {
    opNone = 0,
    opAdapterProbe = 1,
    opAdapterEnterConfig = 2,
    opAdapterConfig = 3,
    opOtaErase = 4,
    opOtaInfo = 5,
    opOtaBlock = 6,
    opOtaFinish = 7,
    opDeviceScan = 8,
    opSetCanId = 9,
    opResetMode = 10,
    opMotorMode = 11,
    opBrakeMode = 12,
    opEncoderCal = 13,
    opSetZero = 14,
    opMotionOnce = 15,
    opMotionStream = 16,
    opReadParaTable = 17,
    opReadPara = 19,
    opWritePara = 21,
    opScopeStart = 26,
    opScopeStop = 27,
    opScopeConfig = 28,
    opQueryModel = 29,
    opScopeStopConfirm = 30,  // the stop is no longer repeated; its confirmation is still awaited
};

// Command codes of execute().
enum CommandCode : unsigned {
    cmdIdle = 0,
    cmdProbeAdapter = 1,
    cmdAdapterEnterConfig = 2,
    cmdAdapterConfigStep = 3,
    cmdOtaErase = 4,
    cmdOtaSendInfo = 5,
    cmdOtaSendBlock = 6,
    cmdOtaFinish = 7,
    cmdScanDevices = 8,
    cmdSetCanId = 9,
    cmdResetMode = 10,
    cmdMotorMode = 11,
    cmdBrakeMode = 12,
    cmdEncoderCal = 13,
    cmdSetZero = 14,
    cmdMotionOnce = 15,
    cmdMotionContinuous = 16,
    cmdReadParaTable = 17,
    cmdReadParaFirst = 18,
    cmdReadParaNext = 19,
    cmdWriteParaFirst = 20,
    cmdWriteParaRow = 21,
    cmdSaveParams = 22,
    cmdFactoryReset = 23,
    cmdScopeFrequency = 24,
    cmdScopeChannels = 25,
    cmdScopeStart = 26,
    cmdScopeStop = 27,
    cmdQueryModel = 29,
};

// State notification codes (reactions in the window's StateUpdate).
enum StateCode : int {
    stDeviceDetected = 0,
    stAdapterProbeTimeout = 1,
    stAdapterReady = 2,
    stBaudScanTimeout = 3,
    stBaudScanAnswered = 4,
    stAdapterSetupFailed = 5,
    stAdapterSetupDone = 6,
    stOtaEnterFailed = 7,
    stOtaEntered = 8,
    stOtaFileEmpty = 9,
    stOtaFileTooLarge = 10,
    stOtaTransferStarted = 11,
    stOtaInfoTimeout = 12,
    stOtaBlockAcked = 13,
    stOtaBlockResend = 14,
    stOtaTransferDone = 15,
    stCanIdSetOk = 16,
    stCanIdSetFailed = 17,
    stResetModeOk = 18,
    stResetModeFailed = 19,
    stMotorModeOk = 20,
    stMotorModeFailed = 21,
    stBrakeModeOk = 22,
    stBrakeModeFailed = 23,
    stEncoderCalModeOk = 24,
    stEncoderCalModeFailed = 25,
    stZeroSetOk = 26,
    stZeroSetFailed = 27,
    stMotorFeedback = 28,
    stFaultReport = 29,
    stEncoderCalProgress = 30,
    stEncoderCalResult = 31,
    stEncoderCalDone = 32,
    stHallCalDone = 36,
    stParaTableOk = 37,
    stParaTableFailed = 38,
    stParaTableError = 39,
    stParaReadOk = 40,
    stParaReadTimeout = 41,
    stParaReadError = 42,
    stParaWriteOk = 43,
    stParaWriteTimeout = 44,
    stParaWriteError = 45,
    stParaSaveOk = 46,
    stScopeConfigError = 47,
    stScopeConfigTimeout = 48,
    stScopeFreqOk = 49,
    stScopeChannelsOk = 50,
    stScopeStopped = 52,
    stOtaSucceeded = 53,
    stOtaFailed = 54,
    stMotorTypeSet0 = 55,
    stMotorTypeSet1 = 56,
    stMotorModel = 57,
    stModuleBaudRate = 58,
    stModuleLegacyFirmware = 59,
    stModuleBaudChanged = 60,
    stModuleFrameType = 61,
    stModuleFrameTypeChanged = 62,
    stOtaBlockUnanswered = 63,  // a block stayed unanswered after its re-sends: the upgrade ended
    stScopeStopUnconfirmed = 64,  // the drive did not confirm a stop of its oscilloscope within the limit
};

// Communication types: identifier bits 24..28 of the drives' CAN frames.
enum CommType : uint8_t {
    commProbe = 0,            // device probe; the identification reply
    commMotion = 1,           // motion-control set-points
    commStatus = 2,           // status: feedback, model report or range report
    commMotorMode = 3,        // motor mode request
    commResetMode = 4,        // reset mode request; also fault clear and model query
    commEncoderCal = 5,       // encoder calibration request; the calibration-completed report
    commSetZero = 6,          // set the mechanical zero
    commSetCanId = 7,         // set the CAN id
    commParamWrite = 8,       // parameter write and its reply
    commParamRead = 9,        // parameter value read and its reply
    commScope = 10,           // oscilloscope commands, replies and samples
    commOtaErase = 11,        // enter upgrade mode and erase; its reply
    commOtaInfo = 12,         // firmware image information; its reply
    commOtaBlock = 13,        // firmware block
    commOtaFinish = 14,       // upgrade finish; its reply
    commCalProgress = 15,     // encoder calibration progress sample
    commCalResult = 16,       // encoder calibration result entry
    commSingleParam = 18,     // single parameter write; its reply
    commParamTable = 19,      // descriptor table request; the descriptor frames
    commBrakeMode = 20,       // brake mode request
    commFaultReport = 21,     // fault and warning report
    commReportModel2 = 23,    // reporting on/off, drives of model code 2
    commReport = 24,          // reporting on/off; a status frame from the drive
};
