#pragma once
// The questions the window asks the operator in a dialog of its own, and the
// opening of a file it wrote. Tests answer them through a scripted set.

#include <QString>

class QWidget;

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The chosen file, empty when the operator cancels.
    virtual QString askOpenFileName(const QString& title, const QString& folder, const QString& filter) = 0;
    virtual QString askSaveFileName(const QString& title, const QString& proposedName, const QString& filter) = 0;
    // True for Yes; with `noByDefault` the No button takes Enter.
    virtual bool askYesNo(const QString& title, const QString& question, bool noByDefault) = 0;
    // In the desktop's program for its kind.
    virtual void openFile(const QString& path) = 0;
};

// The toolkit's dialogs over the window.
class WidgetDialogs : public Dialogs {
public:
    explicit WidgetDialogs(QWidget* parent) : parent(parent) {}
    QString askOpenFileName(const QString& title, const QString& folder, const QString& filter) override;
    QString askSaveFileName(const QString& title, const QString& proposedName, const QString& filter) override;
    bool askYesNo(const QString& title, const QString& question, bool noByDefault) override;
    void openFile(const QString& path) override;

private:
    QWidget* parent;
};
