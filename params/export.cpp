#include "params/export.h"

#include <QDateTime>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QSaveFile>
#include <QTableWidget>

#include <xlsxwriter.h>

#include "ui/mainwindow.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

const int exportColumnWidths[7] = {100 / 8, 120 / 8, 60 / 8, 60 / 8, 80 / 8, 80 / 8, 200 / 8};

bool exportParameterSheet(SpreadsheetWriter& writer, const QStringList& headers,
                          const QVector<QStringList>& rows, const QString& path)
{
    if (!writer.newWorkbook())
        return false;
    for (int c = 0; c < headers.size(); ++c) {
        const double width = c < 7 ? exportColumnWidths[c] : exportColumnWidths[6];
        writer.formatHeaderCell(1, c + 1, exportHeaderRowHeight, width);
        writer.setCellValue(1, c + 1, headers[c]);
    }
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < headers.size(); ++c)
            writer.setCellValue(r + 2, c + 1, c < rows[r].size() ? rows[r][c] : QString());
    const bool saved = writer.saveAs(QDir::toNativeSeparators(path));
    writer.close();
    return saved;
}

std::unique_ptr<SpreadsheetWriter> spreadsheetWriterFor(const QString& path)
{
    if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        return std::make_unique<CsvSheetWriter>();
    return std::make_unique<XlsxSheetWriter>();
}

bool BufferedSheet::newWorkbook()
{
    close();
    return true;
}

void BufferedSheet::setCellValue(int row, int column, const QString& text)
{
    if (row < 1 || column < 1)
        return;
    cells.insert({row, column}, text);
    rows = qMax(rows, row);
    columns = qMax(columns, column);
}

void BufferedSheet::formatHeaderCell(int row, int column, double rowHeight, double columnWidth)
{
    if (row < 1 || column < 1)
        return;
    headerFormats.insert({row, column}, HeaderFormat{rowHeight, columnWidth});
}

void BufferedSheet::close()
{
    cells.clear();
    headerFormats.clear();
    rows = 0;
    columns = 0;
}

bool XlsxSheetWriter::saveAs(const QString& path)
{
    const QByteArray fileName = QFile::encodeName(QDir::fromNativeSeparators(path));
    lxw_workbook* workbook = workbook_new(fileName.constData());
    if (!workbook)
        return false;
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_format* centred = workbook_add_format(workbook);
    format_set_align(centred, LXW_ALIGN_CENTER);
    format_set_align(centred, LXW_ALIGN_VERTICAL_CENTER);
    for (auto it = headerFormats.cbegin(); it != headerFormats.cend(); ++it) {
        const lxw_row_t row = lxw_row_t(it.key().first - 1);
        const lxw_col_t column = lxw_col_t(it.key().second - 1);
        worksheet_set_row(sheet, row, it->rowHeight, nullptr);
        worksheet_set_column(sheet, column, column, it->columnWidth, nullptr);
    }
    for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
        const bool header = headerFormats.contains(it.key());
        const QByteArray text = it->toUtf8();
        worksheet_write_string(sheet, lxw_row_t(it.key().first - 1), lxw_col_t(it.key().second - 1),
                               text.constData(), header ? centred : nullptr);
    }
    return workbook_close(workbook) == LXW_NO_ERROR;
}

QString CsvSheetWriter::csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool CsvSheetWriter::saveAs(const QString& path)
{
    QSaveFile file(QDir::fromNativeSeparators(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray out;
    for (int r = 1; r <= rows; ++r) {
        QStringList fields;
        for (int c = 1; c <= columns; ++c)
            fields << csvField(cells.value({r, c}));
        out += fields.join(QLatin1Char(',')).toUtf8();
        out += "\r\n";
    }
    if (file.write(out) != out.size())
        return false;
    return file.commit();
}

void MainWindow::on_pushButtonExportExcel_clicked()
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hhmmss"));
    showInfo(ui->labelParaInfo, Tone::success, pick({"File is exporting, please wait...", "文件导出中，请等待..."}));
    const QString path = dialogs->askSaveFileName(QStringLiteral("Excel file"),
                                                  QStringLiteral("./%1%2.xlsx").arg(QStringLiteral("mcu_"), stamp),
                                                  QStringLiteral("Excel Files(*.xlsx)"));
    if (path.isEmpty())
        return;

    const QTableWidget* table = ui->tableWidgetPara;
    QStringList headers;
    for (int c = 0; c < table->columnCount(); ++c) {
        const QTableWidgetItem* head = table->horizontalHeaderItem(c);
        headers << (head ? head->text() : QString());
    }
    QVector<QStringList> rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < table->columnCount(); ++c) {
            const QTableWidgetItem* item = table->item(r, c);
            row << (item ? item->text() : QString());
        }
        rows << row;
    }
    const std::unique_ptr<SpreadsheetWriter> writer = spreadsheetWriterFor(path);
    if (!exportParameterSheet(*writer, headers, rows, path)) {
        showInfo(ui->labelParaInfo, Tone::failure, pick({"File export failed: ", "文件导出失败："}) + QDir::toNativeSeparators(path));
        return;
    }
    ui->labelParaInfo->setText(pick({"File export completed!", "文件导出完成!"}));

    const QString title = pick({"Complete", "完成"});
    const QString question = pick({"File exported. Open it now？", "文件已经导出，是否现在打开？"});
    if (dialogs->askYesNo(title, question, false))
        dialogs->openFile(path);
}
