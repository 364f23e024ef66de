// The window's side of the plot's tools: the cursor readout and the export.

#include <QLabel>
#include <QSaveFile>

#include "scope/envelopegraph.h"
#include "scope/scopereadout.h"
#include "scope/wavedisplay.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

using namespace scopereadout;

void MainWindow::showCursorReadout()
{
    const waveDisplay* plot = ui->waveShow;
    QLabel* label = ui->labelScopeCursors;
    if (!plot->cursorsEnabled()) {
        label->clear();
        return;
    }
    if (!plot->cursorPlaced(0) || !plot->cursorPlaced(1)) {
        label->setText(plot->cursorPlaced(0) ? pick({"Click the plot to place cursor B", "单击波形放置游标B"})
                                             : pick({"Click the plot to place cursor A", "单击波形放置游标A"}));
        return;
    }
    const double timeA = plot->cursorTime(0);
    const double timeB = plot->cursorTime(1);
    QVector<CursorChannel> channels;
    for (int i = 0; i < plot->shownChannelCount; ++i) {
        const int k = plot->shownChannels[i];
        const QVector<QCPGraphData>& window = plot->channelGraph(k)->window();
        if (!plot->channelVisible(k) || window.isEmpty())
            continue;
        channels.append({plot->channelGraph(k)->name(), worker.channelTypes[k], window.at(nearestSample(window, timeA)).value,
                         window.at(nearestSample(window, timeB)).value});
    }
    label->setText(pick(cursorReadout(timeA, timeB, channels)));
}

bool MainWindow::exportScope(const QString& fileName, QString& cause)
{
    const ExportFormat format = exportFormatOf(fileName);
    if (format == ExportFormat::Unknown) {
        cause = pick({"the name must end in .csv, .png or .pdf", "文件名须以.csv、.png或.pdf结尾"});
        return false;
    }
    waveDisplay* plot = ui->waveShow;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        cause = file.errorString();
        return false;
    }
    bool written = false;
    if (format == ExportFormat::Csv) {
        QVector<ExportChannel> channels;
        for (int i = 0; i < plot->shownChannelCount; ++i) {
            const int k = plot->shownChannels[i];
            if (plot->channelVisible(k))
                channels.append({plot->channelGraph(k)->name(), worker.channelTypes[k], plot->channelGraph(k)->window()});
        }
        const QByteArray csv = rangeCsv(channels, plot->xAxis->range().lower, plot->xAxis->range().upper);
        written = file.write(csv) == csv.size();
    } else {
        written = format == ExportFormat::Png ? plot->writePng(&file) : plot->writePdf(&file);
    }
    if (!written) {
        cause = file.error() != QFileDevice::NoError ? file.errorString()
                                                     : pick({"the image could not be drawn", "图像无法生成"});
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        cause = file.errorString();
        return false;
    }
    return true;
}
