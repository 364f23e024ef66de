// The log view and its capture into a file: paragraphs shown in batches with
// their exact text, the bounded view, the capture of every paragraph (also
// those scrolled out or cleared), a capture that cannot write, the dialog's
// answers, and what opening and clearing do.

#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>

#include <memory>

#include "support/e2e.h"
#include "support/inprocess.h"
#include "support/scripteddialogs.h"
#include "support/virtualclock.h"
#include "ui/logview.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

namespace {

struct DialogCall {
    int count = 0;
    QString title, proposedName, filter;
    ScriptedDialogs dialogs;
};

// The save dialog answers `answer` and remembers how it was asked.
void answerSaveDialog(MainWindow& w, const QString& answer, DialogCall& call)
{
    w.setDialogs(&call.dialogs);
    call.dialogs.saveFileName = [answer, &call](const QString& title, const QString& name, const QString& filter) {
        ++call.count;
        call.title = title;
        call.proposedName = name;
        call.filter = filter;
        return answer;
    };
}

// The view's text once the paragraphs of this turn are shown.
QString logText(const MainWindow& w)
{
    return logParagraphs(w).join(QLatin1Char('\n'));
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Command lines with their leading break, a report with CR LF inside, plain and empty lines.
QStringList mixedParagraphs()
{
    return {QString::fromUtf8("\r\n设置复位模式--设备：CAN:5  id:ab"),
            QString::fromUtf8("Motor:1\r\nFault：\r\n  Driver chip failure\r\n\r\nWarning：\r\n"),
            QString(),
            QString::fromUtf8("电机：1 位置：1.5000 速度：0.0000"),
            QStringLiteral("a\rb\nc"),
            QStringLiteral("\r\nSetCAN_ID--device：CAN:7  id:cd  SetID:8")};
}

}  // namespace

class LogTest : public QObject {
    Q_OBJECT

private slots:
    void burstsKeepOrderAndText_data();
    void burstsKeepOrderAndText();
    void viewKeepsTheLatestParagraphs();
    void burstIsShownTogetherOnceItsTimeIsUp();
    void captureKeepsEveryParagraph();
    void destructorCapturesTheLastParagraphs();
    void captureThatCannotWriteStops_data();
    void captureThatCannotWriteStops();
    void unopenableFileIsReportedInRed_data();
    void unopenableFileIsReportedInRed();
    void cancelledDialogIsReportedInBlue_data();
    void cancelledDialogIsReportedInBlue();
    void openingThePortEmptiesTheView();
    void clearingKeepsTheDeviceList();
};

void LogTest::burstsKeepOrderAndText_data()
{
    QTest::addColumn<QStringList>("paragraphs");
    QTest::addColumn<int>("perTurn");
    QStringList many;
    for (int i = 0; i < 40; ++i)
        many += mixedParagraphs();
    QTest::newRow("one burst") << mixedParagraphs() << 6;
    QTest::newRow("view starts with empty paragraphs") << QStringList{"", "", "a", "", "\r\nb"} << 5;
    QTest::newRow("bursts of seven") << many << 7;
}

void LogTest::burstsKeepOrderAndText()
{
    QFETCH(QStringList, paragraphs);
    QFETCH(int, perTurn);
    VirtualClock clock;
    MainWindow w;
    w.setClock(&clock);
    QTextEdit reference;  // one append per paragraph
    int changes = 0;
    connect(w.ui->textEditCfgInfo->document(), &QTextDocument::contentsChange, this, [&] { ++changes; });
    int turns = 0;
    for (int i = 0; i < paragraphs.size(); i += perTurn, ++turns) {
        for (int k = i; k < std::min<int>(i + perTurn, paragraphs.size()); ++k) {
            w.logLine(paragraphs[k]);
            reference.append(paragraphs[k]);
        }
        clock.now += LogView::showInterval;  // turns a screen picture apart
        QCoreApplication::processEvents();
    }
    QCOMPARE(w.ui->textEditCfgInfo->toPlainText(), reference.toPlainText());
    QCOMPARE(w.ui->textEditCfgInfo->document()->blockCount(), reference.document()->blockCount());
    QCOMPARE(changes, turns);  // one cursor operation per turn
}

void LogTest::viewKeepsTheLatestParagraphs()
{
    MainWindow w;
    const int dropped = LogView::trimStep + 1;  // the oldest go in steps
    QTextEdit reference;
    for (int i = 0; i < LogView::keptParagraphs + dropped; ++i) {
        const QString paragraph = i % 3 ? QStringLiteral("line %1").arg(i) : QStringLiteral("\r\ncommand %1--device：").arg(i);
        w.logLine(paragraph);
        if (i >= dropped)
            reference.append(paragraph);
        if (i % 500 == 0)
            QCoreApplication::processEvents();
    }
    QCOMPARE(logText(w), reference.toPlainText());
}

// Turns closer together than a screen shows them put their paragraphs in the
// view together, once the picture's time is up; the capture has each at once.
void LogTest::burstIsShownTogetherOnceItsTimeIsUp()
{
    VirtualClock clock;
    QTemporaryDir dir;
    QFile capture(dir.filePath(QStringLiteral("log.txt")));  // outlives the window, which captures as it closes
    QVERIFY(capture.open(QIODevice::WriteOnly));
    MainWindow w;
    w.setClock(&clock);
    LogView* log = LogView::of(w.ui->textEditCfgInfo);
    log->captureFile = &capture;
    log->flush();  // a batch shown now
    int changes = 0;
    connect(w.ui->textEditCfgInfo->document(), &QTextDocument::contentsChange, this, [&] { ++changes; });
    for (int i = 0; i < 4; ++i, clock.now += LogView::showInterval / 4 - 1) {
        w.logLine(QStringLiteral("line %1").arg(i));
        QCoreApplication::processEvents();
    }
    QCOMPARE(changes, 0);
    QCOMPARE(contentsOf(capture.fileName()), QByteArray("line 0\nline 1\nline 2\nline 3\n"));
    clock.now += 4;  // the picture's time is up: the next turn shows them all
    w.logLine(QStringLiteral("line 4"));
    QCoreApplication::processEvents();
    QCOMPARE(changes, 1);
    QCOMPARE(w.ui->textEditCfgInfo->toPlainText(), QStringLiteral("line 0\nline 1\nline 2\nline 3\nline 4"));
    // Held back with no turn after it, a paragraph is shown when the waiting ends.
    w.logLine(QStringLiteral("line 5"));
    QCoreApplication::processEvents();
    QCOMPARE(changes, 1);
    QTRY_COMPARE(changes, 2);
    QVERIFY(w.ui->textEditCfgInfo->toPlainText().endsWith(QStringLiteral("\nline 5")));
}

void LogTest::captureKeepsEveryParagraph()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("session.log");
    {
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier\n");
    }
    MainWindow w;
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
    QVERIFY(logText(w).isEmpty());
    // Opened for appending: what the file held stays in front, then what the view showed.
    QString expected = QString::fromUtf8("earlier\n第一段\n");
    QCOMPARE(QString::fromUtf8(contentsOf(path)), expected);

    // More paragraphs than the view keeps, in bursts: each is in the file as soon as it is shown.
    for (int i = 0; i < LogView::keptParagraphs + 30; ++i) {
        w.logLine(i % 2 ? QStringLiteral("line %1").arg(i) : QStringLiteral("\r\ncommand %1--device：").arg(i));
        expected += i % 2 ? QStringLiteral("line %1\n").arg(i) : QStringLiteral("\ncommand %1--device：\n").arg(i);
        if (i % 9 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    QCOMPARE(QString::fromUtf8(contentsOf(path)), expected);

    // Cleared text and text a reset empties are in the file too.
    w.logLine(QStringLiteral("Motor:1\r\nFault：\r\n"));
    w.ui->pushButtonclear->click();
    w.logLine(QStringLiteral("before the reset"));
    w.ui->pushButtonOpenCom->click();
    expected += QStringLiteral("Motor:1\nFault：\n\nbefore the reset\n");
    QCOMPARE(QString::fromUtf8(contentsOf(path)), expected);

    // Stopping closes the file; without a capture nothing more is written.
    w.logLine(QStringLiteral("last"));
    save->click();
    expected += QStringLiteral("last\n");
    QVERIFY(!w.logActive);
    QVERIFY(!w.logFile.isOpen());
    QVERIFY(w.logFileName.isEmpty());
    QVERIFY(logText(w).isEmpty());
    QCOMPARE(save->text(), QString::fromUtf8("保存日志"));
    w.logLine(QStringLiteral("after"));
    w.ui->pushButtonOpenCom->click();
    QCOMPARE(QString::fromUtf8(contentsOf(path)), expected);
}

void LogTest::destructorCapturesTheLastParagraphs()
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
    QCOMPARE(contentsOf(path), QByteArray("last words\n"));
}

void LogTest::captureThatCannotWriteStops_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<bool>("shownBefore");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("buttonText");
    QTest::newRow("a later paragraph, English") << true << false << QString::fromUtf8("Log saving stopped, disk full！")
                                                << "Save Log";
    QTest::newRow("what the view shows, Chinese") << false << true << QString::fromUtf8("日志保存已停止，磁盘已满！")
                                                  << QString::fromUtf8("保存日志");
}

void LogTest::captureThatCannotWriteStops()
{
    QFETCH(bool, english);
    QFETCH(bool, shownBefore);
    QFETCH(QString, text);
    QFETCH(QString, buttonText);
    if (!QFile::exists("/dev/full"))
        QSKIP("no /dev/full to fill");
    MainWindow w;
    w.languageEnglish = english;
    DialogCall call;
    answerSaveDialog(w, "/dev/full", call);
    const QString kept = shownBefore ? QStringLiteral("shown before") : QStringLiteral("raised while capturing");
    if (shownBefore)
        w.logLine(kept);
    w.ui->pushButtonSaveLog->click();
    if (!shownBefore)
        w.logLine(kept);
    QVERIFY(QTest::qWaitFor([&] { return !w.logActive; }, 1000));
    QCOMPARE(w.ui->labelOtaInfo->text(), text);
    QCOMPARE(w.ui->labelOtaInfo->styleSheet(), QString("color:red;"));
    QVERIFY(!w.logFile.isOpen());
    QCOMPARE(w.ui->pushButtonSaveLog->text(), buttonText);
    QCOMPARE(logText(w), kept);  // the view is not cleared
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
    QCOMPARE(logText(w), QString("kept"));
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
    QCOMPARE(logText(w), QString("kept"));
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
    MainWindow w;
    announceDrive(w, 5, 0xab);
    announceDrive(w, 7, 0xcd);
    w.ui->comboBoxDev->setCurrentIndex(1);
    w.logLine("discarded");
    w.ui->pushButtonclear->click();
    QVERIFY(logText(w).isEmpty());
    QCOMPARE(w.ui->comboBoxDev->count(), 2);
    QCOMPARE(w.ui->comboBoxDev->itemText(0), QString("CAN:5  id:ab"));
    QCOMPARE(w.ui->comboBoxDev->currentText(), QString("CAN:7  id:cd"));
}

QTEST_MAIN(LogTest)
#include "tst_ui_log.moc"
