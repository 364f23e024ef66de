// Temporary definitions until this area is built; each one is removed as it gets its real body.
#include "app/mainwindow.h"
#include <QLineEdit>

void MainWindow::applyLanguageTable() {}
void MainWindow::on_pushButtonSaveLog_clicked() {}
void MainWindow::on_pushButtonclear_clicked() {}
void MainWindow::on_pushButtonlanguage_clicked() {}
