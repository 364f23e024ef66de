// Adapter set-up, device detection and the adapter's reports about itself.

#include <QComboBox>
#include <QStatusBar>

#include "app/mainwindow.h"
#include "reactions/statustexts.h"
#include "ui_mainwindow.h"

namespace {

const QString green = QStringLiteral("color:green;");

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
    const bool english = languageEnglish;
    switch (code) {
    case stDeviceDetected: {
        const QString text = detectionText(worker.lastUid, worker.lastCanId, english);
        ui->labelOtaInfo->setStyleSheet(green);
        ui->labelOtaInfo->setText(text);
        statusBar()->showMessage(text, 0);
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
        statusBar()->showMessage(configuringSerialText(serialRateTable[1], english), 0);
        baudProbeIndex = 1;
        worker.execute(cmdAdapterEnterConfig);
        break;
    case stAdapterReady:
        ui->pushButtonGetDevInfo->setEnabled(true);
        statusBar()->showMessage(adapterReadyText(english), 0);
        break;
    case stBaudScanTimeout:
        if (baudProbeIndex < 12)
            ++baudProbeIndex;  // a replayed failure must not wrap round to the working rate
        if (baudProbeIndex <= 11) {
            setSerialRate(serialRateTable[baudProbeIndex]);
            statusBar()->showMessage(configuringSerialText(serialRateTable[baudProbeIndex], english), 0);
            worker.execute(cmdAdapterEnterConfig);
        } else {
            statusBar()->showMessage(adapterFailedText(english), 0);
        }
        break;
    case stBaudScanAnswered:
        worker.execute(cmdAdapterConfigStep);
        break;
    case stAdapterSetupFailed:
        statusBar()->showMessage(adapterFailedText(english), 0);
        break;
    case stAdapterSetupDone:
        setSerialRate(serialRateTable[0]);
        statusBar()->showMessage(adapterReadyText(english), 0);
        worker.execute(cmdProbeAdapter);
        break;
    case stModuleBaudRate: {
        const ModuleSetting setting = moduleBaudRate(worker.adapterBaudCode, english);
        ui->label_3->setStyleSheet(green);
        ui->label_4->setStyleSheet(green);
        ui->label_3->setText(moduleConnectedText(english));
        selectByText(ui->comboBox_usb, setting.comboText);
        ui->label_4->setText(setting.label);
        break;
    }
    case stModuleLegacyFirmware:
        ui->label_3->setText(moduleConnectedText(english));
        ui->label_4->setText(moduleLegacyFirmwareText(english));
        ui->label_3->setStyleSheet(green);
        ui->label_4->setStyleSheet(green);
        break;
    case stModuleBaudChanged:
        ui->label_4->setStyleSheet(green);
        ui->label_4->setText(moduleBaudChangedText(english));
        break;
    case stModuleFrameType: {
        const ModuleSetting setting = moduleFrameType(worker.adapterFrameCode, english);
        ui->label_6->setStyleSheet(green);
        ui->label_6->setText(setting.label);
        selectByText(ui->comboBox_cantype, setting.comboText);
        break;
    }
    case stModuleFrameTypeChanged:
        ui->label_6->setStyleSheet(green);
        ui->label_6->setText(moduleFrameTypeChangedText(english));
        break;
    default:
        break;
    }
}
