// The oscilloscope's eight channel selectors: emptied with the parameter
// table, filled with its parameter names and the drive's stored scope set-up.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <array>
#include <cmath>

#include "scope/wavedisplay.h"
#include "ui/mainwindow.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

namespace {

uint16_t clampToU16(double x)
{
    if (!(x > 0))
        return 0;
    return x >= 65535.0 ? 65535 : uint16_t(x);
}

// Empties the selector and fills it on index 0, its signals held meanwhile.
void refillSelector(QComboBox* box, const QStringList& names, bool enabled)
{
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(names);
    box->setCurrentIndex(0);
    box->setEnabled(enabled);
}

}  // namespace

QString MainWindow::noScopeChannel()
{
    return QString::fromUtf8("无/none");
}

std::array<QComboBox*, 8> MainWindow::channelSelectors() const
{
    return {ui->comboBoxCh1, ui->comboBoxCh2, ui->comboBoxCh3, ui->comboBoxCh4,
            ui->comboBoxCh5, ui->comboBoxCh6, ui->comboBoxCh7, ui->comboBoxCh8};
}

void MainWindow::resetScopeSelectors()
{
    channelNames = QStringList{noScopeChannel()};
    const auto selectors = channelSelectors();
    for (int c = 0; c < 8; ++c) {
        QComboBox* box = selectors[c];
        refillSelector(box, channelNames, false);
        const QColor& colour = waveDisplay::channelColors[c];
        box->setStyleSheet(QStringLiteral("QComboBox{background:")
                           + QStringLiteral("rgb(%1, %2, %3)").arg(colour.red()).arg(colour.green()).arg(colour.blue())
                           + QStringLiteral("}"));
    }
    showInfo(ui->label_selChInfo, Tone::success, pick({"Please update the parameter table！", "请更新参数表！"}));
    ui->pushButtonEchoStart->setText(pick({"Start", "启动"}));
    ui->lineEditSetEchoFre->setEnabled(false);
    ui->pushButtonEchoStart->setEnabled(false);
    ui->pushButtonEchoSet->setEnabled(false);
    ui->pushButtonSaveWave->setEnabled(false);
    {
        // the default frequency is no operator entry: the label keeps its request
        const QSignalBlocker blocker(ui->lineEditSetEchoFre);
        ui->lineEditSetEchoFre->setText(QStringLiteral("100"));
    }
    worker.scopeFrequency = 100;
    worker.scopeFrequencyMax = 2600;
    worker.scopeFrequencyMin = 1;
    worker.scopeChannelCount = 0;
    std::fill(std::begin(worker.channelCodes), std::end(worker.channelCodes), 0);
    std::fill(std::begin(worker.scopeChannels), std::end(worker.scopeChannels), 0);
}

void MainWindow::fillScopeSelectors()
{
    const auto selectors = channelSelectors();
    for (QComboBox* box : selectors)
        refillSelector(box, channelNames, true);
    // The leading writable parameters hold the drive's stored scope set-up:
    // value v names global parameter v - 1, 0 names none.
    const int setup = worker.setupCount;
    const int stored = std::min({setup, 8, int(worker.kindCount[WritableParam])});
    for (int k = 0; k < stored; ++k) {
        const int selector = worker.writableParams[k].valueText.toInt() - setup - 1;
        if (selector > 0 && selector < selectors[k]->count()) {
            const QSignalBlocker blocker(selectors[k]);
            selectors[k]->setCurrentIndex(selector);
        }
    }
    if (setup > 0 && setup < worker.kindCount[WritableParam]) {
        const WritableParamEntry& frequency = worker.writableParams[setup];
        // The field's own rule takes the drive's frequency and tells it in label_selChInfo.
        if (ui->lineEditSetEchoFre->text() == frequency.valueText)
            on_lineEditSetEchoFre_textChanged(frequency.valueText);  // an unchanged text is not announced
        else
            ui->lineEditSetEchoFre->setText(frequency.valueText);
        worker.scopeFrequencyMax = std::min(worker.scopeFrequencyMax, clampToU16(std::trunc(double(frequency.maxValue))));
        worker.scopeFrequencyMin = std::max(worker.scopeFrequencyMin, clampToU16(double(frequency.minValue)));
    }
    ui->lineEditSetEchoFre->setEnabled(true);
    ui->pushButtonEchoSet->setEnabled(true);
    ui->pushButtonEchoStart->setEnabled(false);
    ui->pushButtonEchoStart->setText(pick({"start", "启动"}));
    ui->pushButtonSaveWave->setEnabled(false);
}
