// The log view and its capture into a file: the pieces each reset writes,
// the stop, the dialog's answers, and what opening and clearing do.

#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextEdit>

#include <memory>

#include "app/mainwindow.h"
#include "support/e2e.h"
#include "support/inprocess.h"
#include "ui_mainwindow.h"

namespace {

struct DialogCall {
    int count = 0;
    QString title, proposedName, filter;
};

// The save dialog answers `answer` and remembers how it was asked.
void answerSaveDialog(MainWindow& w, const QString& answer, DialogCall& call)
{
    w.askSaveFileName = [answer, &call](const QString& title, const QString& name, const QString& filter) {
        ++call.count;
        call.title = title;
        call.proposedName = name;
        call.filter = filter;
        return answer;
    };
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QString viewText(const MainWindow& w)
{
    return w.ui->textEditCfgInfo->toPlainText();
}

}  // namespace

class LogTest : public QObject {
    Q_OBJECT

private slots:
    void captureWritesEachResetsPiece();
    void destructorWritesWhatTheViewHolds();
    void unopenableFileIsReportedInRed_data();
    void unopenableFileIsReportedInRed();
    void cancelledDialogIsReportedInBlue_data();
    void cancelledDialogIsReportedInBlue();
    void openingThePortEmptiesTheView();
    void clearingKeepsTheDeviceList();
};

void LogTest::captureWritesEachResetsPiece()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("session.log");
    {
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier\n");
    }

    SimulatedRig rig;
    QVERIFY(rig.start());
    MainWindow& w = *rig.window;
    DialogCall call;
    answerSaveDialog(w, path, call);
    QPushButton* save = w.ui->pushButtonSaveLog;
    QCOMPARE(save->text(), QString::fromUtf8("保存日志"));

    w.logLine(QString::fromUtf8("第一段"));
    save->click();
    QCOMPARE(call.count, 1);
    QCOMPARE(call.title, QString::fromUtf8("日志保存"));
    QCOMPARE(call.filter, QString("Log File(*.log)"));
    QVERIFY2(QRegularExpression("^\\d{4}_\\d\\d_\\d\\d_\\d\\d_\\d\\d_\\d\\d$").match(call.proposedName).hasMatch(),
             qPrintable(call.proposedName));
    QVERIFY(w.logActive);
    QCOMPARE(w.logFileName, path);
    QCOMPARE(save->text(), QString::fromUtf8("停止保存日志"));
    QVERIFY(viewText(w).isEmpty());
    // Opened for appending: what the file held stays in front.
    QByteArray expected = QByteArray("earlier\n") + QString::fromUtf8("第一段").toUtf8();
    QCOMPARE(contentsOf(path), expected);

    // Opening the port resets the log: the view's text is the next piece.
    w.logLine("second");
    QVERIFY(rig.openAndHandshake());
    expected += "second";
    QCOMPARE(contentsOf(path), expected);

    // Detecting devices resets it too.
    w.logLine("third");
    QString piece = viewText(w);
    QVERIFY(piece.endsWith("third"));
    rig.click("pushButtonGetDevInfo");
    expected += piece.toUtf8();
    QCOMPARE(contentsOf(path), expected);
    QVERIFY(QTest::qWaitFor([&] { return w.ui->comboBoxDev->count() == 1; }, 5000));

    // Stopping writes the rest and closes the file.
    w.logLine("fourth");
    piece = viewText(w);
    QVERIFY(piece.endsWith("fourth"));
    save->click();
    expected += piece.toUtf8();
    QCOMPARE(contentsOf(path), expected);
    QCOMPARE(call.count, 1);
    QVERIFY(!w.logActive);
    QVERIFY(!w.logFile.isOpen());
    QVERIFY(w.logFileName.isEmpty());
    QVERIFY(viewText(w).isEmpty());
    QCOMPARE(save->text(), QString::fromUtf8("保存日志"));

    // Without capture a reset writes nothing.
    w.logLine("after");
    rig.click("pushButtonOpenCom");
    QVERIFY(!w.portOpen);
    QCOMPARE(contentsOf(path), expected);
}

void LogTest::destructorWritesWhatTheViewHolds()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("closing.log");
    auto w = std::make_unique<MainWindow>();
    DialogCall call;
    answerSaveDialog(*w, path, call);
    w->ui->pushButtonSaveLog->click();
    QVERIFY(w->logActive);
    w->logLine("last words");
    w.reset();
    QCOMPARE(contentsOf(path), QByteArray("last words"));
}

void LogTest::unopenableFileIsReportedInRed_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("buttonText");
    QTest::newRow("English") << true << QString::fromUtf8("Invalid log file！") << "Save Log";
    QTest::newRow("Chinese") << false << QString::fromUtf8("日志文件无效！") << QString::fromUtf8("保存日志");
}

void LogTest::unopenableFileIsReportedInRed()
{
    QFETCH(bool, english);
    QFETCH(QString, text);
    QFETCH(QString, buttonText);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    MainWindow w;
    w.languageEnglish = english;
    w.ui->pushButtonSaveLog->setText(buttonText);
    DialogCall call;
    answerSaveDialog(w, dir.filePath("missing/folder/x.log"), call);
    w.logLine("kept");

    w.ui->pushButtonSaveLog->click();
    QCOMPARE(call.count, 1);
    QCOMPARE(w.ui->labelOtaInfo->text(), text);
    QCOMPARE(w.ui->labelOtaInfo->styleSheet(), QString("color:red;"));
    QVERIFY(!w.logActive);
    QVERIFY(!w.logFile.isOpen());
    QCOMPARE(viewText(w), QString("kept"));
    QCOMPARE(w.ui->pushButtonSaveLog->text(), buttonText);
}

void LogTest::cancelledDialogIsReportedInBlue_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("English") << true << " Log storage" << QString::fromUtf8("No log file specified！");
    QTest::newRow("Chinese") << false << QString::fromUtf8("日志保存") << QString::fromUtf8("未指定日志文件！");
}

void LogTest::cancelledDialogIsReportedInBlue()
{
    QFETCH(bool, english);
    QFETCH(QString, title);
    QFETCH(QString, text);
    MainWindow w;
    w.languageEnglish = english;
    w.logFileName = "left over";
    DialogCall call;
    answerSaveDialog(w, QString(), call);
    w.logLine("kept");

    w.ui->pushButtonSaveLog->click();
    QCOMPARE(call.count, 1);
    QCOMPARE(call.title, title);
    QCOMPARE(w.ui->labelOtaInfo->text(), text);
    QCOMPARE(w.ui->labelOtaInfo->styleSheet(), QString("color:blue;"));
    QVERIFY(w.logFileName.isEmpty());
    QVERIFY(!w.logActive);
    QCOMPARE(viewText(w), QString("kept"));
}

void LogTest::openingThePortEmptiesTheView()
{
    SimulatedRig rig;
    QVERIFY(rig.start());
    rig.window->logLine("before opening");
    rig.click("pushButtonOpenCom");
    QVERIFY(rig.window->portOpen);
    QVERIFY(rig.log().isEmpty());
}

void LogTest::clearingKeepsTheDeviceList()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("cleared.log");
    MainWindow w;
    announceDrive(w, 5, 0xab);
    announceDrive(w, 7, 0xcd);
    w.ui->comboBoxDev->setCurrentIndex(1);
    DialogCall call;
    answerSaveDialog(w, path, call);
    w.ui->pushButtonSaveLog->click();
    QVERIFY(w.logActive);

    w.logLine("discarded");
    w.ui->pushButtonclear->click();
    QVERIFY(viewText(w).isEmpty());
    QCOMPARE(w.ui->comboBoxDev->count(), 2);
    QCOMPARE(w.ui->comboBoxDev->itemText(0), QString("CAN:5  id:ab"));
    QCOMPARE(w.ui->comboBoxDev->currentText(), QString("CAN:7  id:cd"));

    // Cleared text goes nowhere, not even into a running capture.
    w.ui->pushButtonSaveLog->click();
    QVERIFY(!w.logActive);
    QVERIFY(!contentsOf(path).contains("discarded"));
}

QTEST_MAIN(LogTest)
#include "tst_ui_log.moc"
