#pragma once
// The end of a log capture whose file could not be written: the file is
// closed, the capture stops with a red message naming the cause, and the
// view keeps its text.

#include "protocol/recordfile.h"

class MainWindow;

void endFailedLogCapture(MainWindow& window, recordfile::WriteFailure cause);
