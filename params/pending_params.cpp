// Temporary definitions until this area is built; each one is removed as it gets its real body.
#include "app/mainwindow.h"
#include <QLineEdit>

void MainWindow::resetParameterTable() {}
void MainWindow::buildParameterRows() {}
void MainWindow::markModified(int /*unused*/, bool /*unused*/) {}
void MainWindow::refreshValueCell(int /*unused*/, int /*unused*/) {}
void MainWindow::commitValueCell(int /*unused*/, int /*unused*/) {}
void MainWindow::reactParams(int /*unused*/) {}
void MainWindow::on_pushButtonRefreshTable_clicked() {}
void MainWindow::on_tableWidgetPara_cellChanged(int /*unused*/, int /*unused*/) {}
void MainWindow::on_pushButtonReadPara_clicked() {}
void MainWindow::on_pushButtonWritePara_clicked() {}
void MainWindow::on_pushButtonRecoverFac_clicked() {}
void MainWindow::on_pushButtonExportExcel_clicked() {}
