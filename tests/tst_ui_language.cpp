// The language switch, offscreen: the widget texts swapped both ways, the
// lists refilled, the last reaction replayed, and texts written afterwards.

#include <QtTest>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>

#include "support/inprocess.h"
#include "ui/languagetable.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

namespace {

// Every text the operator reads outside lists, log and table: buttons, labels, group and tab titles, placeholders.
QStringList shownTexts(const MainWindow& w)
{
    QStringList texts;
    for (const QAbstractButton* b : w.findChildren<QAbstractButton*>())
        texts << b->objectName() + "=" + b->text();
    for (const QLabel* l : w.findChildren<QLabel*>())
        texts << l->objectName() + "=" + l->text();
    for (const QGroupBox* g : w.findChildren<QGroupBox*>())
        texts << g->objectName() + "=" + g->title();
    for (const QLineEdit* f : w.findChildren<QLineEdit*>())
        texts << f->objectName() + "=" + f->placeholderText();
    for (const QTabWidget* t : w.findChildren<QTabWidget*>())
        for (int i = 0; i < t->count(); ++i)
            texts << t->widget(i)->objectName() + "=" + t->tabText(i);
    return texts;
}

void switchLanguage(MainWindow& w)
{
    w.ui->pushButtonlanguage->click();
}

}  // namespace

class LanguageSwitchTest : public QObject {
    Q_OBJECT

private slots:
    // Runs first: the Chinese texts are captured once per program run.
    void roundTripRestoresCapturedChinese();
    void listsEndOnTheirBlankItem();
    void replayRewritesTheLastReaction_data();
    void replayRewritesTheLastReaction();
    void laterTextsFollowTheNewLanguage_data();
    void laterTextsFollowTheNewLanguage();
};

void LanguageSwitchTest::roundTripRestoresCapturedChinese()
{
    QVERIFY2(!LanguageTable::instance().chineseCaptured(), "another switch ran first in this process");
    MainWindow w;
    announceDrive(w, 5, 0xab);
    w.ui->pushButton_17->click();  // reporting runs: the button shows its stop text
    QCOMPARE(w.ui->pushButton_17->text(), QString::fromUtf8("停止上报"));
    const QStringList before = shownTexts(w);

    switchLanguage(w);
    QVERIFY(w.languageEnglish);
    const LanguageTable& table = LanguageTable::instance();
    for (std::size_t i = 0; i < table.size(); ++i)
        QCOMPARE(LanguageTable::currentText(&w, table.entry(i)), QString::fromUtf8(table.entry(i).english));
    // No widget was left out of the table: nothing Chinese remains but the button back to Chinese.
    const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    for (const QString& text : shownTexts(w))
        QVERIFY2(!text.contains(chinese) || text == QString::fromUtf8("pushButtonlanguage=中文"), qPrintable(text));
    QCOMPARE(w.statusBar()->currentMessage(), QString("Please select and open a COM port!"));

    switchLanguage(w);
    QVERIFY(!w.languageEnglish);
    QCOMPARE(shownTexts(w), before);
    QCOMPARE(w.statusBar()->currentMessage(), QString::fromUtf8("请选择串口并打开！"));

    // A later switch does not capture again: the stop text comes back although the button now offers starting.
    w.ui->pushButton_17->click();
    QCOMPARE(w.ui->pushButton_17->text(), QString::fromUtf8("启动上报"));
    switchLanguage(w);
    QCOMPARE(w.ui->pushButton_17->text(), QString("Start Auto Report"));
    w.ui->pushButton_17->click();
    QCOMPARE(w.ui->pushButton_17->text(), QString("Stop reporting"));
    switchLanguage(w);
    QCOMPARE(shownTexts(w), before);
}

void LanguageSwitchTest::listsEndOnTheirBlankItem()
{
    MainWindow w;
    QComboBox* runMode = w.ui->comboBoxRunMode;
    QComboBox* canType = w.ui->comboBox_cantype;
    runMode->setCurrentIndex(3);
    canType->setCurrentIndex(2);

    switchLanguage(w);
    QCOMPARE(comboItems(runMode), (QStringList{"", "MIT", "CSP", "Velocity", "Current", "PP"}));
    QCOMPARE(runMode->currentIndex(), 0);
    QCOMPARE(comboItems(canType), (QStringList{"", "Standard Frame", "Extended Frame"}));
    QCOMPARE(canType->currentIndex(), 0);

    runMode->setCurrentIndex(5);
    canType->setCurrentIndex(1);
    switchLanguage(w);
    QCOMPARE(comboItems(runMode), (QStringList{" ", QString::fromUtf8("运控模式"), QString::fromUtf8("位置模式"),
                                          QString::fromUtf8("速度模式"), QString::fromUtf8("电流模式"),
                                          QString::fromUtf8("插补位置模式")}));
    QCOMPARE(runMode->currentIndex(), 0);
    QCOMPARE(comboItems(canType), (QStringList{"", QString::fromUtf8("标准帧"), QString::fromUtf8("扩展帧")}));
    QCOMPARE(canType->currentIndex(), 0);
}

void LanguageSwitchTest::replayRewritesTheLastReaction_data()
{
    QTest::addColumn<bool>("startEnglish");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QString>("replayedLine");
    const QString zh = QString::fromUtf8("设置CAN_ID成功!CAN:5  id:ab");
    const QString en = QStringLiteral("CAN_ID set successfully!CAN:5  id:ab");
    QTest::newRow("Chinese to English") << false << zh << en;
    QTest::newRow("English to Chinese") << true << en << zh;
}

void LanguageSwitchTest::replayRewritesTheLastReaction()
{
    QFETCH(bool, startEnglish);
    QFETCH(QString, firstLine);
    QFETCH(QString, replayedLine);
    MainWindow w;
    announceDrive(w, 5, 0xab);
    if (startEnglish)
        switchLanguage(w);
    w.ui->lineEditSetCanId->setText("9");
    QCOMPARE(int(w.worker.newCanId), 9);

    w.worker.raiseState(stCanIdSetOk);
    QCOMPARE(logParagraphs(w).last(), firstLine);
    QCOMPARE(int(w.worker.newCanId), 10);

    const int linesBefore = logParagraphs(w).size();
    switchLanguage(w);
    QCOMPARE(w.languageEnglish, !startEnglish);
    const QStringList lines = logParagraphs(w);
    QCOMPARE(lines.size(), linesBefore + 1);
    QCOMPARE(lines.at(lines.size() - 2), firstLine);  // what was shown stays as written
    QCOMPARE(lines.last(), replayedLine);
    QCOMPARE(int(w.worker.newCanId), 11);
    QCOMPARE(w.ui->lineEditSetCanId->text(), QString("11"));
}

void LanguageSwitchTest::laterTextsFollowTheNewLanguage_data()
{
    QTest::addColumn<bool>("acknowledged");
    QTest::addColumn<QString>("outcomeLine");
    QTest::newRow("Set ID acknowledged") << true << "CAN_ID set successfully!CAN:5  id:ab";
    QTest::newRow("Set ID timed out") << false << "Failed to set CAN_ID!CAN:5  id:ab";
}

void LanguageSwitchTest::laterTextsFollowTheNewLanguage()
{
    QFETCH(bool, acknowledged);
    QFETCH(QString, outcomeLine);
    MainWindow w;
    announceDrive(w, 5, 0xab);
    QVERIFY(!w.languageEnglish);

    w.ui->pushButtonSetCanId->click();  // the operation starts in Chinese
    const QString commandLine = QString::fromUtf8("设置CAN_ID--设备：CAN:5  id:ab  设置ID:1");
    QCOMPARE(logParagraphs(w).last(), commandLine);
    switchLanguage(w);
    QVERIFY(w.languageEnglish);
    if (acknowledged)
        w.worker.ackFlag.store(1);  // what the drive's reply does in the receive path

    QVERIFY(QTest::qWaitFor([&] { return logParagraphs(w).last() == outcomeLine; }, 5000));
    QCOMPARE(logParagraphs(w).join(QLatin1Char('\n')).count(commandLine), 1);  // the command line keeps its language
}

QTEST_MAIN(LanguageSwitchTest)
#include "tst_ui_language.moc"
