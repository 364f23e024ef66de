#include "ui/dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

QString WidgetDialogs::askOpenFileName(const QString& title, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString WidgetDialogs::askSaveFileName(const QString& title, const QString& proposedName, const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, proposedName, filter);
}

bool WidgetDialogs::askYesNo(const QString& title, const QString& question, bool noByDefault)
{
    return QMessageBox::question(parent, title, question, QMessageBox::Yes | QMessageBox::No,
                                 noByDefault ? QMessageBox::No : QMessageBox::NoButton)
        == QMessageBox::Yes;
}

void WidgetDialogs::openFile(const QString& path)
{
    // an absolute file URL: a proposed name is relative to the working folder
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}
