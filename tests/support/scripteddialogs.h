#pragma once
// The window's dialogs answered by the test: each question runs the test's
// answer; an unanswered file dialog is cancelled, an unanswered question is No.

#include <functional>

#include "ui/dialogs.h"

struct ScriptedDialogs : Dialogs {
    std::function<QString(const QString& title, const QString& folder, const QString& filter)> openFileName;
    std::function<QString(const QString& title, const QString& proposedName, const QString& filter)> saveFileName;
    std::function<bool(const QString& title, const QString& question)> yesNo;
    std::function<void(const QString& path)> opened;

    QString askOpenFileName(const QString& title, const QString& folder, const QString& filter) override
    {
        return openFileName ? openFileName(title, folder, filter) : QString();
    }
    QString askSaveFileName(const QString& title, const QString& proposedName, const QString& filter) override
    {
        return saveFileName ? saveFileName(title, proposedName, filter) : QString();
    }
    bool askYesNo(const QString& title, const QString& question, bool) override
    {
        return yesNo && yesNo(title, question);
    }
    void openFile(const QString& path) override
    {
        if (opened)
            opened(path);
    }
};
