#pragma once
// Members of the worker used by the parameter-table transfer (descriptor
// download, value read, write-back, save, factory reset).

struct ParamTransferState {
};
