// Adapter set-up, device detection and the adapter's reports about itself.

#include <QComboBox>

#include "ui/mainwindow.h"
#include "ui/statustexts.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

namespace {

// Leaves the selection alone when no item has exactly this text.
void selectByText(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text);
    if (index >= 0)
        combo->setCurrentIndex(index);
}

}  // namespace

void MainWindow::reactAdapter(int code)
{
    using namespace statustexts;
    switch (code) {
    case stDeviceDetected: {
        const QString text = pick(detectionText(worker.lastUid, worker.lastCanId));
        showInfo(ui->labelOtaInfo, Tone::success, text);
        showStatus(text);
        if (worker.deviceListChanged) {
            ui->comboBoxDev->clear();
            setDeviceControlsEnabled(true);
            ui->pushButtonInOtaMode->setEnabled(true);
            const int count = qMin(int(worker.deviceCount), maxDevices);
            for (int i = 0; i < count; ++i)
                ui->comboBoxDev->addItem(detectionEntry(worker.deviceIds[i], worker.deviceUids[i]));
        }
        break;
    }
    case stAdapterProbeTimeout:
        setSerialRate(serialRateTable[1]);
        showStatus(pick(configuringSerialText(serialRateTable[1])));
        baudProbeIndex = 1;
        worker.execute(cmdAdapterEnterConfig);
        break;
    case stAdapterReady:
        ui->pushButtonGetDevInfo->setEnabled(true);
        showStatus(pick(adapterReadyText()));
        break;
    case stBaudScanTimeout:
        if (baudProbeIndex < 12)
            ++baudProbeIndex;  // a replayed failure must not wrap round to the working rate
        if (baudProbeIndex <= 11) {
            setSerialRate(serialRateTable[baudProbeIndex]);
            showStatus(pick(configuringSerialText(serialRateTable[baudProbeIndex])));
            worker.execute(cmdAdapterEnterConfig);
        } else {
            showStatus(pick(adapterFailedText()));
        }
        break;
    case stBaudScanAnswered:
        worker.execute(cmdAdapterConfigStep);
        break;
    case stAdapterSetupFailed:
        showStatus(pick(adapterFailedText()));
        break;
    case stAdapterSetupDone:
        setSerialRate(serialRateTable[0]);
        showStatus(pick(adapterReadyText()));
        worker.execute(cmdProbeAdapter);
        break;
    case stModuleBaudRate: {
        const ModuleSetting setting = moduleBaudRate(worker.adapterBaudCode);
        showInfo(ui->label_3, Tone::success, pick(moduleConnectedText()));
        selectByText(ui->comboBox_usb, pick(setting.comboText));
        showInfo(ui->label_4, Tone::success, pick(setting.label));
        break;
    }
    case stModuleLegacyFirmware:
        showInfo(ui->label_3, Tone::success, pick(moduleConnectedText()));
        showInfo(ui->label_4, Tone::success, pick(moduleLegacyFirmwareText()));
        break;
    case stModuleBaudChanged:
        showInfo(ui->label_4, Tone::success, pick(moduleBaudChangedText()));
        break;
    case stModuleFrameType: {
        const ModuleSetting setting = moduleFrameType(worker.adapterFrameCode);
        showInfo(ui->label_6, Tone::success, pick(setting.label));
        selectByText(ui->comboBox_cantype, pick(setting.comboText));
        break;
    }
    case stModuleFrameTypeChanged:
        showInfo(ui->label_6, Tone::success, pick(moduleFrameTypeChangedText()));
        break;
    default:
        break;
    }
}
