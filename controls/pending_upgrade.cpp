// Temporary definitions until this area is built; each one is removed as it gets its real body.
#include "app/mainwindow.h"
#include <QLineEdit>

void MainWindow::reactUpgrade(int /*unused*/) {}
void MainWindow::on_pushButtonOpenFile_clicked() {}
void MainWindow::on_pushButtonInOtaMode_clicked() {}
void MainWindow::on_pushButtonStartOta_clicked() {}
