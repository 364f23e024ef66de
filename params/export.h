#pragma once
// Export of the parameter table to a spreadsheet: the operations the export
// needs from a spreadsheet writer, the sheet layout, and two writers (an
// .xlsx workbook, and CSV for names ending in .csv).

#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

class SpreadsheetWriter {
public:
    virtual ~SpreadsheetWriter() = default;
    virtual bool newWorkbook() = 0;
    // Rows and columns count from 1, as in the spreadsheet.
    virtual void setCellValue(int row, int column, const QString& text) = 0;
    // Row height, the column's width (character units), centred both ways.
    virtual void formatHeaderCell(int row, int column, double rowHeight, double columnWidth) = 0;
    virtual bool saveAs(const QString& path) = 0;  // false when the file could not be written
    virtual void close() = 0;
};

// Column widths of the sheet: the table's pixel widths 100, 120, 60, 60, 80, 80, 200 over 8.
extern const int exportColumnWidths[7];
constexpr double exportHeaderRowHeight = 10;

// Writes the header row and every row of cells, then saves; false when saving failed.
bool exportParameterSheet(SpreadsheetWriter& writer, const QStringList& headers,
                          const QVector<QStringList>& rows, const QString& path);

// CSV for a name ending in .csv (any case), an .xlsx workbook otherwise.
std::unique_ptr<SpreadsheetWriter> spreadsheetWriterFor(const QString& path);

// The cells as the writers collect them before saving.
class BufferedSheet : public SpreadsheetWriter {
public:
    bool newWorkbook() override;
    void setCellValue(int row, int column, const QString& text) override;
    void formatHeaderCell(int row, int column, double rowHeight, double columnWidth) override;
    void close() override;

protected:
    struct HeaderFormat {
        double rowHeight = 0;
        double columnWidth = 0;
    };
    QMap<QPair<int, int>, QString> cells;
    QMap<QPair<int, int>, HeaderFormat> headerFormats;
    int rows = 0;
    int columns = 0;
};

class XlsxSheetWriter : public BufferedSheet {
public:
    bool saveAs(const QString& path) override;
};

class CsvSheetWriter : public BufferedSheet {
public:
    bool saveAs(const QString& path) override;
    static QString csvField(const QString& text);
};
