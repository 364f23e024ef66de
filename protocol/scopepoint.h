#pragma once
// The plot's point, (key, value): the worker hands the plot vectors of them.
// Declared only, so that the worker's header stays free of the plotting
// library and its widgets; the scope stream, which builds the points, and
// whoever reads them include <qcustomplot.h> itself.

class QCPGraphData;
