#pragma once
// Members of the worker used by the parameter-table transfer (descriptor
// download, value read, write-back, save, factory reset). The table itself is
// the worker's ParameterTable: `worker.kindCount`, `worker.writableParams`,
// `worker.setupCount` and so on. The GUI thread alone touches all of them;
// the run loop reads only the worker's atomics.

#include <cstdint>

#include "protocol/parametertable.h"

// Identifier bits 16..17 of the write frames.
enum WriteCommand : uint32_t {
    writeValue = 0,
    writeSaveAll = 2,
    writeFactoryReset = 3,
};

struct ParamTransferState : ParameterTable {
    uint32_t requestKind = 0;
    uint16_t requestIndex = 0;
    uint16_t requestCode = 0;
    uint8_t chunkCount = 0;

    // write-back of one entry, then the save
    uint32_t writeCommand = writeValue;
    uint32_t writeType = 0;
    uint8_t bytesLeft = 0;
    uint8_t chunkNumber = 0;
    uint8_t sendOffset = 0;
    uint32_t replyCommand = 0;
    uint32_t replyErrorCode = 0;
    uint16_t writtenCode = 0;  // the entry of the last value written; reads change requestCode
};
