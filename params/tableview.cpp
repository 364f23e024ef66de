// The parameter table on the parameter tab: layout and reset, the rows built
// from the worker's table after a download, and the value cells' colours.
// The oscilloscope's channel selectors are reset and filled with the table.

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <algorithm>
#include <array>
#include <cmath>

#include "app/mainwindow.h"
#include "params/valuetext.h"
#include "scope/wavedisplay.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

namespace {

constexpr int valueColumn = 6;
const char* const kindColours[4] = {"#a0f446", "#d4e8c8", "#63e2ee", "#bbd5d7"};
const QString noChannel = QString::fromUtf8("无/none");

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

std::array<QComboBox*, 8> MainWindow::channelSelectors() const
{
    return {ui->comboBoxCh1, ui->comboBoxCh2, ui->comboBoxCh3, ui->comboBoxCh4,
            ui->comboBoxCh5, ui->comboBoxCh6, ui->comboBoxCh7, ui->comboBoxCh8};
}

void MainWindow::resetParameterTable()
{
    QTableWidget* table = ui->tableWidgetPara;
    const QSignalBlocker blocker(table);
    table->clear();
    table->setRowCount(0);
    readAllActive = false;
    writeAllActive = false;

    table->verticalHeader()->hide();
    table->setColumnCount(7);
    for (int c = 0; c < 7; ++c)
        table->setColumnWidth(c, parameterColumnWidths[c]);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setStyleSheet(QStringLiteral("QHeaderView::section {color: black;border: 1px solid #6c6c6c;}"));
    table->setHorizontalHeaderLabels(parameterHeaders(languageEnglish));
    table->verticalHeader()->setDefaultSectionSize(9);
    table->setRowCount(30);

    resetScopeSelectors();
    showParamFileControls(false);
}

void MainWindow::buildParameterRows()
{
    QTableWidget* table = ui->tableWidgetPara;
    const QSignalBlocker blocker(table);
    // A new download shows the drive's values: edits of an earlier table are void.
    worker.clearModified();
    worker.layoutRows();
    table->setRowCount(worker.rowCount());
    table->setSelectionBehavior(QAbstractItemView::SelectItems);
    table->setEditTriggers(QAbstractItemView::DoubleClicked);
    table->setStyleSheet(QStringLiteral("selection-background-color:lightblue;"));
    channelNames = QStringList{noChannel};

    const QFont valueFont(QStringLiteral("Times"), 10, 87, false);
    for (uint32_t kind = 0; kind < 4; ++kind) {
        const QBrush background{QColor(QString::fromLatin1(kindColours[kind]))};
        for (uint16_t index = 0; index < worker.kindCount[kind]; ++index) {
            QString texts[7];
            texts[0] = parameterCodeText(functionCodeOf(kind, index));
            bool editable = false;
            switch (kind) {
            case WritableString: {
                const WritableStringEntry& e = worker.writableStrings[index];
                texts[1] = e.name;
                texts[2] = QStringLiteral("String");
                texts[3] = tr2("read/write", "读/写");
                texts[6] = e.valueText;
                editable = true;
                break;
            }
            case ReadOnlyString: {
                const ReadOnlyStringEntry& e = worker.readOnlyStrings[index];
                texts[1] = e.name;
                texts[2] = QStringLiteral("String");
                texts[3] = tr2("read-only", "只读");
                texts[6] = e.valueText;
                break;
            }
            case WritableParam: {
                WritableParamEntry& e = worker.writableParams[index];
                texts[1] = e.name;
                texts[2] = valueTypeName(e.valueType);
                if (index < worker.setupCount)
                    texts[3] = tr2("Setup", "配置");
                else if (e.attribute != 0)
                    texts[3] = tr2("read/write", "读/写");
                else
                    texts[3] = tr2("Set", "设定");
                texts[4] = limitToText(e.valueType, e.maxValue, e.decimals);
                texts[5] = limitToText(e.valueType, e.minValue, e.decimals);
                e.valueText = valueToText(e.valueType, e.value);
                texts[6] = e.valueText;
                editable = index >= worker.setupCount && e.attribute != 0;
                if (index > worker.setupCount)
                    channelNames << e.name;
                break;
            }
            default: {
                const ReadOnlyParamEntry& e = worker.readOnlyParams[index];
                texts[1] = e.name;
                texts[2] = valueTypeName(e.valueType);
                texts[3] = tr2("read-only", "只读");
                texts[6] = valueToText(e.valueType, e.value);
                channelNames << e.name;
                break;
            }
            }
            const int row = worker.firstRow[kind] + index;
            for (int c = 0; c < 7; ++c) {
                auto* item = new QTableWidgetItem(texts[c]);
                item->setFlags(Qt::ItemIsEnabled);
                item->setTextAlignment(Qt::AlignCenter);
                item->setBackground(background);
                if (c == valueColumn && editable) {
                    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
                    item->setFont(valueFont);
                }
                table->setItem(row, c, item);
            }
        }
    }
    fillScopeSelectors();
    showParamFileControls(true);
}

void MainWindow::setValueCellColor(uint32_t kind, uint32_t index, const QColor& color)
{
    if (!worker.hasEntry(kind, index))
        return;
    if (QTableWidgetItem* item = ui->tableWidgetPara->item(worker.firstRow[kind] + int(index), valueColumn))
        item->setForeground(QBrush(color));
}

void MainWindow::markModified(int functionCode, bool on)
{
    const uint32_t kind = kindOfCode(uint16_t(functionCode));
    const uint16_t index = indexOfCode(uint16_t(functionCode));
    if (!worker.hasEntry(kind, index))
        return;
    const QSignalBlocker blocker(ui->tableWidgetPara);
    setValueCellColor(kind, index, on ? Qt::red : Qt::black);
    worker.setModified(kind, index, on);
    ui->pushButtonWritePara->setEnabled(on || worker.anyModified());
    applyParaFilter();
}

void MainWindow::refreshValueCell(int kind, int index)
{
    if (kind < 0 || index < 0 || !worker.hasEntry(uint32_t(kind), uint32_t(index)))
        return;
    QString text;
    switch (kind) {
    case WritableString: text = worker.writableStrings[index].valueText; break;
    case ReadOnlyString: text = worker.readOnlyStrings[index].valueText; break;
    case WritableParam: {
        WritableParamEntry& e = worker.writableParams[index];
        e.valueText = valueToText(e.valueType, e.value);
        text = e.valueText;
        break;
    }
    default: text = valueToText(worker.readOnlyParams[index].valueType, worker.readOnlyParams[index].value); break;
    }
    {
        const QSignalBlocker blocker(ui->tableWidgetPara);
        if (QTableWidgetItem* item = ui->tableWidgetPara->item(worker.firstRow[kind] + index, valueColumn))
            item->setText(text);
    }
    markModified(functionCodeOf(uint32_t(kind), uint32_t(index)), false);
}

void MainWindow::commitValueCell(int kind, int index)
{
    if (kind < 0 || index < 0 || !worker.hasEntry(uint32_t(kind), uint32_t(index)))
        return;
    if (QTableWidgetItem* item = ui->tableWidgetPara->item(worker.firstRow[kind] + index, valueColumn)) {
        if (kind == WritableString)
            worker.writableStrings[index].valueText = item->text();
        else if (kind == WritableParam)
            worker.writableParams[index].valueText = item->text();
    }
    markModified(functionCodeOf(uint32_t(kind), uint32_t(index)), false);
}

void MainWindow::resetScopeSelectors()
{
    channelNames = QStringList{noChannel};
    const auto selectors = channelSelectors();
    for (int c = 0; c < 8; ++c) {
        QComboBox* box = selectors[c];
        refillSelector(box, channelNames, false);
        const QColor& colour = waveDisplay::channelColors[c];
        box->setStyleSheet(QStringLiteral("QComboBox{background:")
                           + QStringLiteral("rgb(%1, %2, %3)").arg(colour.red()).arg(colour.green()).arg(colour.blue())
                           + QStringLiteral("}"));
    }
    showInfo(ui->label_selChInfo, Tone::success, tr2("Please update the parameter table！", "请更新参数表！"));
    ui->pushButtonEchoStart->setText(tr2("Start", "启动"));
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
    ui->pushButtonEchoStart->setText(tr2("start", "启动"));
    ui->pushButtonSaveWave->setEnabled(false);
}
