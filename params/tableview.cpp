// The parameter table on the parameter tab: layout and reset, the rows built
// from the worker's table after a download, and the value cells' colours.
// The oscilloscope's channel selectors (controls/scopeselectors.cpp) are reset
// and filled with the table.

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

#include "params/valuetext.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

namespace {

constexpr int valueColumn = 6;
const char* const kindColours[4] = {"#a0f446", "#d4e8c8", "#63e2ee", "#bbd5d7"};

}  // namespace

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
    table->setHorizontalHeaderLabels(pickEach(parameterHeaders()));
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
    channelNames = QStringList{noScopeChannel()};

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
                texts[3] = pick({"read/write", "读/写"});
                texts[6] = e.valueText;
                editable = true;
                break;
            }
            case ReadOnlyString: {
                const ReadOnlyStringEntry& e = worker.readOnlyStrings[index];
                texts[1] = e.name;
                texts[2] = QStringLiteral("String");
                texts[3] = pick({"read-only", "只读"});
                texts[6] = e.valueText;
                break;
            }
            case WritableParam: {
                WritableParamEntry& e = worker.writableParams[index];
                texts[1] = e.name;
                texts[2] = valueTypeName(e.valueType);
                if (index < worker.setupCount)
                    texts[3] = pick({"Setup", "配置"});
                else if (e.attribute != 0)
                    texts[3] = pick({"read/write", "读/写"});
                else
                    texts[3] = pick({"Set", "设定"});
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
                texts[3] = pick({"read-only", "只读"});
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
