#pragma once
// The dialog that shows a parameter file against the drive's table: one row
// per entry with a check box, the values on both sides and the result; Apply
// Selected hands each checked row to the window and reports what became of it.

#include <QDialog>
#include <QVector>
#include <functional>

#include "params/paramcompare.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

class ParaCompareDialog : public QDialog {
public:
    // Makes the row's file value a pending edit; false with the reason when it is refused.
    using ApplyRow = std::function<bool(const CompareRow& row, QString& reason)>;

    ParaCompareDialog(QWidget* parent, const QVector<CompareRow>& rows, const QString& heading, bool english,
                      ApplyRow apply);

    enum Column { CodeColumn, NameColumn, DriveColumn, FileColumn, ResultColumn, ColumnCount };

private:
    void applySelected();
    QString text(const Bilingual& text) const;

    QVector<CompareRow> rows;
    bool english;
    ApplyRow apply;
    QTableWidget* table;
    QPlainTextEdit* report;
};
