// Temporary definitions until this area is built; each one is removed as it gets its real body.
#include "app/mainwindow.h"
#include <QLineEdit>

void MainWindow::waveFreShow(QVector<QCPGraphData>* /*unused*/) {}
void MainWindow::reactScope(int /*unused*/) {}
void MainWindow::on_pushButtonEchoSet_clicked() {}
void MainWindow::on_pushButtonEchoStart_clicked() {}
void MainWindow::on_lineEditSetEchoFre_textChanged(QString /*unused*/) {}
void MainWindow::on_pushButtonSaveWave_clicked() {}
