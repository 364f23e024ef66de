// Temporary definitions until these command groups are built; each one is removed as it gets its real body.
#include "protocol/otathread.h"

void otaThread::executeScope(unsigned, CanFrame&) { setPending(0); }
void otaThread::handleScopeFrame() {}
