// The language switch: the lists, the parameter table and the last reaction
// are rebuilt in the new language, then the widget texts are swapped.

#include <QComboBox>
#include <QPushButton>

#include "ui/languagetable.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::on_pushButtonlanguage_clicked()
{
    const bool wasEnglish = languageEnglish;
    languageEnglish = !languageEnglish;
    if (!wasEnglish)
        LanguageTable::instance().captureChineseOnce(this);

    // Refilling the run-mode list runs its reaction with the blank item.
    ui->comboBoxRunMode->clear();
    ui->comboBoxRunMode->addItems(pickEach(runModeItems()));
    ui->comboBox_cantype->clear();
    ui->comboBox_cantype->addItems(pickEach(canTypeItems()));

    resetParameterTable();
    StateUpdate();

    showStatus(pick(languageSwitchStatusText()));
    applyLanguageTable();
}

void MainWindow::applyLanguageTable()
{
    LanguageTable::instance().apply(this, languageEnglish);
    showCursorReadout();
    // The capture button names what its next click does, whatever text was captured.
    ui->pushButtonSaveLog->setText(logActive ? pick({"Stop Saving Log", "停止保存日志"}) : pick({"Save Log", "保存日志"}));
}
