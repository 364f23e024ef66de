#include "params/comparedialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "params/valuetext.h"
#include "ui/bilingual.h"

ParaCompareDialog::ParaCompareDialog(QWidget* parent, const QVector<CompareRow>& compared, const QString& heading,
                                     bool inEnglish, ApplyRow applyRow)
    : QDialog(parent), rows(compared), english(inEnglish), apply(std::move(applyRow))
{
    setObjectName(QStringLiteral("dialogParaCompare"));
    setWindowTitle(text({"Compare Para File", "参数文件对比"}));
    resize(820, 560);

    auto* info = new QLabel(heading, this);
    info->setObjectName(QStringLiteral("labelParaCompareInfo"));
    info->setWordWrap(true);

    table = new QTableWidget(rows.size(), ColumnCount, this);
    table->setObjectName(QStringLiteral("tableWidgetParaCompare"));
    table->setHorizontalHeaderLabels({text({"FunctionCode", "功能码"}), text({"Name", "名称"}),
                                      text({"Value on drive", "驱动器上的值"}), text({"Value in file", "文件中的值"}),
                                      text({"Result", "结果"})});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->horizontalHeader()->setStretchLastSection(true);
    const int widths[ColumnCount] = {110, 130, 170, 170, 150};
    for (int c = 0; c < ColumnCount; ++c)
        table->setColumnWidth(c, widths[c]);
    for (int r = 0; r < rows.size(); ++r) {
        const CompareRow& row = rows[r];
        const QString cells[ColumnCount] = {parameterCodeText(row.code), row.name, row.driveValue, row.fileValue,
                                            text(compareResultText(row.result))};
        for (int c = 0; c < ColumnCount; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setFlags(Qt::ItemIsEnabled);
            if (row.result != CompareResult::Same)
                item->setForeground(QBrush(row.writable() ? Qt::red : Qt::darkGray));
            table->setItem(r, c, item);
        }
        // Only what can be written may be checked; the other rows show a box that stays empty.
        QTableWidgetItem* box = table->item(r, CodeColumn);
        box->setFlags(row.writable() ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable : Qt::ItemIsEnabled);
        box->setCheckState(row.writable() ? Qt::Checked : Qt::Unchecked);
    }

    report = new QPlainTextEdit(this);
    report->setObjectName(QStringLiteral("textEditParaCompareReport"));
    report->setReadOnly(true);
    report->setMaximumHeight(110);

    auto* applyButton = new QPushButton(text({"Apply Selected", "应用所选"}), this);
    applyButton->setObjectName(QStringLiteral("pushButtonApplyCompare"));
    applyButton->setMinimumHeight(30);
    auto* closeButton = new QPushButton(text({"Close", "关闭"}), this);
    closeButton->setObjectName(QStringLiteral("pushButtonCloseCompare"));
    closeButton->setMinimumHeight(30);
    connect(applyButton, &QPushButton::clicked, this, [this] { applySelected(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(applyButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(info);
    layout->addWidget(table, 1);
    layout->addWidget(report);
    layout->addLayout(buttons);
}

QString ParaCompareDialog::text(const Bilingual& text) const
{
    return text.in(english);
}

void ParaCompareDialog::applySelected()
{
    int applied = 0;
    QStringList refused;
    for (int r = 0; r < rows.size(); ++r) {
        QTableWidgetItem* box = table->item(r, CodeColumn);
        if (!(box->flags() & Qt::ItemIsUserCheckable) || box->checkState() != Qt::Checked)
            continue;
        QString reason;
        if (!apply(rows[r], reason)) {
            refused << parameterCodeText(rows[r].code) + QLatin1Char(' ') + rows[r].name + text({": ", "："}) + reason;
            continue;
        }
        ++applied;
        // An applied value is a pending edit in the table now; it is not applied twice.
        box->setCheckState(Qt::Unchecked);
        box->setFlags(Qt::ItemIsEnabled);
        table->item(r, ResultColumn)->setText(text({"applied", "已应用"}));
    }
    QString summary = text({"Applied: ", "已应用："}) + QString::number(applied);
    if (!refused.isEmpty())
        summary += text({"; refused: ", "；未应用："}) + QString::number(refused.size()) + QLatin1Char('\n')
            + refused.join(QLatin1Char('\n'));
    report->setPlainText(summary);
}
