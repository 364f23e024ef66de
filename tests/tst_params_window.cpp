// The parameter tab against the simulated drive's table, in process: the
// download builds the rows and the scope selectors, read-all, the edit
// checks, the write-back ending in the save, errors that stop it, factory
// reset, the download's error texts, and the export to .xlsx and CSV.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "sim/simparamtable.h"
#include "support/inprocess.h"
#include "support/scripteddialogs.h"
#include "ui/mainwindow.h"

namespace {

constexpr uint8_t driveId = 5;
constexpr uint64_t driveUid = 0x1122334455667701ull;

struct Tab {
    ScriptedDialogs dialogs;
    MainWindow w;
    LoopDrive drive{w, driveId, driveUid};
    Tab()
    {
        w.setDialogs(&dialogs);
        drive.listAsOnlyDrive();
    }
    QTableWidget* table() const { return w.findChild<QTableWidget*>("tableWidgetPara"); }
    QLabel* info() const { return w.findChild<QLabel*>("labelParaInfo"); }
    QPushButton* button(const char* name) const { return w.findChild<QPushButton*>(name); }
    QComboBox* combo(const char* name) const { return w.findChild<QComboBox*>(name); }
    QTableWidgetItem* value(uint32_t kind, int index) const { return table()->item(w.worker.firstRow[kind] + index, 6); }
    bool download(const QString& expect = QString::fromUtf8("更新参数表成功！"))
    {
        button("pushButtonRefreshTable")->click();
        return QTest::qWaitFor([&] { return info()->text().startsWith(expect); }, 3000);
    }
    void edit(uint32_t kind, int index, const QString& text) { value(kind, index)->setText(text); }
    bool waitInfo(const QString& text, int ms = 3000)
    {
        return QTest::qWaitFor([&] { return info()->text() == text; }, ms);
    }
};

QString red() { return QStringLiteral("color:red;"); }

}  // namespace

class ParamsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void downloadBuildsTheTable();
    void storedScopeSetupSelectsChannels();
    void readAll();
    void readAllOverAnEmptyKind();
    void numberEdits_data();
    void numberEdits();
    void sameValueTurnsTheCellBlack();
    void textEdits();
    void writeBackEndsInTheSave();
    void driveErrorStopsTheWriteBack();
    void stringsAloneAreSaved();
    void factoryReset();
    void downloadFaults_data();
    void downloadFaults();
    void everyLostFrameFailsTheDownload();
    void redownloadForgetsEdits();
    void exportCsv();
    void exportXlsx();
    void exportFailureIsReported();
};

void ParamsWindowTest::downloadBuildsTheTable()
{
    Tab t;
    QVERIFY(t.download());
    QTableWidget* table = t.table();
    QCOMPARE(table->rowCount(), 2 + 3 + 14 + 6);
    QCOMPARE(table->item(0, 0)->text(), QString("0X0000"));
    QCOMPARE(table->item(0, 1)->text(), QString("DriveName"));
    QCOMPARE(table->item(0, 2)->text(), QString("String"));
    QCOMPARE(table->item(0, 3)->text(), QString::fromUtf8("读/写"));
    QCOMPARE(table->item(0, 6)->text(), QString("Axis-A"));
    QCOMPARE(table->item(0, 0)->background().color(), QColor("#a0f446"));
    QCOMPARE(table->item(2, 3)->text(), QString::fromUtf8("只读"));
    QCOMPARE(table->item(2, 6)->text(), QString("HW 1.2"));
    QCOMPARE(table->item(2, 0)->background().color(), QColor("#d4e8c8"));
    QVERIFY(!(table->item(2, 6)->flags() & Qt::ItemIsEditable));
    QVERIFY(table->item(0, 6)->flags() & Qt::ItemIsEditable);

    const int params = t.w.worker.firstRow[WritableParam];
    QCOMPARE(params, 5);
    QCOMPARE(table->item(params, 3)->text(), QString::fromUtf8("配置"));          // set-up entry
    QVERIFY(!(table->item(params, 6)->flags() & Qt::ItemIsEditable));
    QCOMPARE(table->item(params + 2, 3)->text(), QString::fromUtf8("读/写"));     // the frequency
    QCOMPARE(table->item(params + 5, 0)->text(), QString("0X2005"));
    QCOMPARE(table->item(params + 5, 2)->text(), QString("float"));
    QCOMPARE(table->item(params + 5, 4)->text(), QString("30.00"));
    QCOMPARE(table->item(params + 5, 5)->text(), QString("0.00"));
    QCOMPARE(table->item(params + 5, 6)->text(), QString("20.500000"));
    QCOMPARE(table->item(params + 6, 3)->text(), QString::fromUtf8("设定"));      // attribute 0
    QVERIFY(!(table->item(params + 6, 6)->flags() & Qt::ItemIsEditable));
    QCOMPARE(table->item(params + 7, 6)->text(), QString("0.125000000000"));
    QCOMPARE(table->item(params + 9, 4)->text(), QString("1000"));
    QCOMPARE(table->item(params + 12, 6)->text(), QString("1000000000"));
    QCOMPARE(table->item(params + 0, 0)->background().color(), QColor("#63e2ee"));
    const int readOnly = t.w.worker.firstRow[ReadOnlyParam];
    QCOMPARE(table->item(readOnly, 6)->text(), QString("31.200001"));
    QCOMPARE(table->item(readOnly, 4)->text(), QString());
    QCOMPARE(table->item(readOnly, 0)->background().color(), QColor("#bbd5d7"));

    // selectors: none, writable parameters after the frequency entry, read-only parameters
    QCOMPARE(t.w.channelNames.size(), 1 + 11 + 6);
    QCOMPARE(t.w.channelNames[1], QString("CanTimeout"));
    QCOMPARE(t.w.channelNames.last(), QString("Phase"));
    QCOMPARE(t.combo("comboBoxCh8")->count(), 18);
    QVERIFY(t.combo("comboBoxCh8")->isEnabled());
    QCOMPARE(t.w.findChild<QLineEdit*>("lineEditSetEchoFre")->text(), QString("100"));
    QCOMPARE(t.w.worker.scopeFrequencyMax, uint16_t(2600));

    QVERIFY(t.button("pushButtonReadPara")->isEnabled());
    QVERIFY(!t.button("pushButtonWritePara")->isEnabled());
    QVERIFY(t.button("pushButtonExportExcel")->isEnabled());
    QVERIFY(t.button("pushButtonRecoverFac")->isEnabled());
    QVERIFY(!t.button("pushButtonRefreshTable")->isEnabled());
}

void ParamsWindowTest::storedScopeSetupSelectsChannels()
{
    Tab t;
    t.drive.table.kinds[2][0].value = SimParamTable::encode(0, 5);  // global parameter 4
    t.drive.table.kinds[2][2].value = SimParamTable::encode(2, 500);
    t.drive.table.kinds[2][2].rawMin = 10;
    t.drive.table.kinds[2][2].rawMax = 2000;
    QVERIFY(t.download());
    QCOMPARE(t.combo("comboBoxCh1")->currentText(), QString("ZeroOffset"));
    QCOMPARE(t.combo("comboBoxCh2")->currentIndex(), 0);
    QCOMPARE(t.w.findChild<QLineEdit*>("lineEditSetEchoFre")->text(), QString("500"));
    QCOMPARE(t.w.worker.scopeFrequency, uint16_t(500));
    QCOMPARE(t.w.worker.scopeFrequencyMax, uint16_t(2000));
    QCOMPARE(t.w.worker.scopeFrequencyMin, uint16_t(10));
}

void ParamsWindowTest::readAll()
{
    Tab t;
    QVERIFY(t.download());
    t.drive.table.kinds[3][0].value = SimParamTable::encode(6, 40.25);
    t.drive.table.kinds[0][1].value = QByteArray("Bench 7").leftJustified(16, '\0');
    t.button("pushButtonReadPara")->click();
    QVERIFY(!t.button("pushButtonReadPara")->isEnabled());
    QVERIFY(t.waitInfo(QString::fromUtf8("成功读取所有参数！")));
    QCOMPARE(t.drive.table.readCodes.size(), 25);
    QCOMPARE(t.drive.table.readCodes.first(), uint16_t(0x0000));
    QCOMPARE(t.drive.table.readCodes.last(), uint16_t(0x3005));
    QCOMPARE(t.value(ReadOnlyParam, 0)->text(), QString("40.250000"));
    QCOMPARE(t.value(WritableString, 1)->text(), QString("Bench 7"));
    QVERIFY(t.button("pushButtonReadPara")->isEnabled());
    QVERIFY(!t.w.readAllActive);
}

void ParamsWindowTest::readAllOverAnEmptyKind()
{
    Tab t;
    t.drive.table.kinds[0] = {SimParamTable::text("Name", "x")};
    t.drive.table.kinds[1].clear();
    t.drive.table.kinds[2] = {SimParamTable::number("A", 0, 1, 0, 9, 0), SimParamTable::number("B", 0, 2, 0, 9, 0)};
    t.drive.table.kinds[3].clear();
    t.drive.table.setupCount = 0;
    QVERIFY(t.download());
    t.button("pushButtonReadPara")->click();
    QVERIFY(t.waitInfo(QString::fromUtf8("成功读取所有参数！")));
    QCOMPARE(t.drive.table.readCodes, (QVector<uint16_t>{0x0000, 0x2000, 0x2001}));
}

void ParamsWindowTest::numberEdits_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<bool>("marked");
    QTest::newRow("12.5 into int16") << 9 << "12.5" << QString::fromUtf8("修改可写参数0X2009:输入数据有误!") << red()
                                     << "-12" << false;
    QTest::newRow("300 into 0..255") << 3 << "300" << QString::fromUtf8("修改可写参数0X2003:输入数据超出范围!") << red()
                                     << "10" << false;
    QTest::newRow("255 into 0..255") << 3 << "255" << QString::fromUtf8("修改可写参数0X2003:255") << "color:green;"
                                     << "255" << true;
    QTest::newRow("float canonical") << 5 << "7.25" << QString::fromUtf8("修改可写参数0X2005:7.250000") << "color:green;"
                                     << "7.250000" << true;
}

void ParamsWindowTest::numberEdits()
{
    QFETCH(int, index);
    QFETCH(QString, typed);
    QFETCH(QString, label);
    QFETCH(QString, style);
    QFETCH(QString, cell);
    QFETCH(bool, marked);
    Tab t;
    QVERIFY(t.download());
    t.edit(WritableParam, index, typed);
    QCOMPARE(t.info()->text(), label);
    QCOMPARE(t.info()->styleSheet(), style);
    QCOMPARE(t.value(WritableParam, index)->text(), cell);
    QCOMPARE(t.value(WritableParam, index)->foreground().color(), marked ? QColor(Qt::red) : QColor(Qt::black));
    QCOMPARE(bool(t.w.worker.writableParams[index].modified), marked);
    QCOMPARE(t.button("pushButtonWritePara")->isEnabled(), marked);
}

void ParamsWindowTest::sameValueTurnsTheCellBlack()
{
    Tab t;
    QVERIFY(t.download());
    t.edit(WritableParam, 3, "200");
    QVERIFY(t.w.worker.writableParams[3].modified);
    t.edit(WritableParam, 3, "10");
    QCOMPARE(t.value(WritableParam, 3)->foreground().color(), QColor(Qt::black));
    QVERIFY(!t.w.worker.writableParams[3].modified);
}

void ParamsWindowTest::textEdits()
{
    Tab t;
    QVERIFY(t.download());
    t.edit(WritableString, 0, "ABCDEFGHIJKLMNOPQRST");
    QCOMPARE(t.value(WritableString, 0)->text(), QString("ABCDEFGHIJKLMNOPQRST"));
    QCOMPARE(t.value(WritableString, 0)->foreground().color(), QColor(Qt::red));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(t.w.worker.writableStrings[0].pendingText)), QByteArray("ABCDEFGHIJKLMNOP"));
    QCOMPARE(t.info()->text(), QString::fromUtf8("修改可写字符0X0000:ABCDEFGHIJKLMNOPQRST"));

    t.edit(WritableString, 1, QString::fromUtf8("Prüfstand"));
    QCOMPARE(t.info()->text(), QString::fromUtf8("修改可写字符0X0001:输入字符含有非ASCII字符!"));
    QCOMPARE(t.info()->styleSheet(), red());
    QCOMPARE(t.value(WritableString, 1)->text(), QString("Bench 2"));
    QVERIFY(!t.w.worker.writableStrings[1].modified);

    // the current text again leaves a red cell red
    t.edit(WritableString, 0, "Axis-A");
    QCOMPARE(t.value(WritableString, 0)->foreground().color(), QColor(Qt::red));
    QVERIFY(t.w.worker.writableStrings[0].modified);
}

void ParamsWindowTest::writeBackEndsInTheSave()
{
    Tab t;
    QVERIFY(t.download());
    t.edit(WritableString, 1, "Bench 12 north side");
    t.edit(WritableParam, 3, "42");
    t.edit(WritableParam, 12, "2000000000");
    t.button("pushButtonWritePara")->click();
    QVERIFY(!t.button("pushButtonWritePara")->isEnabled());
    QVERIFY(t.waitInfo(QString::fromUtf8("所有参数保存成功！")));
    QCOMPARE(t.drive.table.writtenCodes, (QVector<uint16_t>{0x0001, 0x2003, 0x200c}));
    QCOMPARE(t.drive.table.saves, 1);
    QCOMPARE(t.drive.table.kinds[0][1].value, QByteArray("Bench 12 north s"));
    QCOMPARE(SimParamTable::decode(0, t.drive.table.kinds[2][3].value), 42.0);
    QCOMPARE(SimParamTable::decode(7, t.drive.table.kinds[2][12].value), 2e9);
    QCOMPARE(t.value(WritableParam, 3)->foreground().color(), QColor(Qt::black));
    QCOMPARE(t.w.worker.writableParams[3].valueText, QString("42"));
    QVERIFY(!t.w.worker.anyModified());
    QVERIFY(!t.button("pushButtonWritePara")->isEnabled());
}

void ParamsWindowTest::driveErrorStopsTheWriteBack()
{
    Tab t;
    t.w.languageEnglish = true;
    t.drive.table.writeErrorCode = 6;
    t.drive.table.writeErrorAtCode = 0x2003;
    QVERIFY(t.download("Update parameter table successfully!"));
    t.edit(WritableParam, 3, "42");
    t.edit(WritableParam, 9, "5");
    t.button("pushButtonWritePara")->click();
    QVERIFY(t.waitInfo("Write parameter 0X2003An error occurred:/Setting data out of range"));
    QCOMPARE(t.info()->styleSheet(), red());
    QVERIFY(t.button("pushButtonWritePara")->isEnabled());
    QCOMPARE(t.value(WritableParam, 9)->foreground().color(), QColor(Qt::red));
    QCOMPARE(t.value(WritableParam, 3)->foreground().color(), QColor(Qt::red));
    QTest::qWait(20);
    QVERIFY(t.drive.table.writtenCodes.isEmpty());
    QCOMPARE(t.drive.table.saves, 0);
}

void ParamsWindowTest::stringsAloneAreSaved()
{
    Tab t;
    t.drive.table.kinds[2].clear();
    t.drive.table.setupCount = 0;
    QVERIFY(t.download());
    t.edit(WritableString, 0, "Axis-Z");
    t.button("pushButtonWritePara")->click();
    QVERIFY(t.waitInfo(QString::fromUtf8("所有参数保存成功！")));
    QCOMPARE(t.drive.table.writtenCodes, QVector<uint16_t>{0x0000});
    QCOMPARE(t.drive.table.saves, 1);
}

void ParamsWindowTest::factoryReset()
{
    Tab t;
    QVERIFY(t.download());
    t.drive.table.kinds[2][3].value = SimParamTable::encode(0, 99);
    t.button("pushButtonRecoverFac")->click();
    QVERIFY(!t.button("pushButtonRecoverFac")->isEnabled());
    QTRY_COMPARE(t.drive.table.factoryResets, 1);
    QCOMPARE(SimParamTable::decode(0, t.drive.table.kinds[2][3].value), 10.0);
    QTRY_COMPARE(t.info()->styleSheet(), QString("color:green;"));
    QCOMPARE(t.w.worker.pendingOp.load(), 0);
}

void ParamsWindowTest::downloadFaults_data()
{
    QTest::addColumn<int>("skip");
    QTest::addColumn<int>("swap");
    QTest::addColumn<int>("countDelta");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<QString>("text");
    QTest::newRow("a frame skipped") << 1 << -1 << 0 << true
                                     << QString::fromUtf8("Error updating parameter table code:0X820/Missing frames/参数 0X0000 不完整");
    QTest::newRow("frames reordered") << -1 << 0 << 0 << true
                                      << QString::fromUtf8("Error updating parameter table code:0X820/Missing frames/参数 0X0000 不完整");
    QTest::newRow("end frame miscounts") << -1 << -1 << 1 << true
                                         << "Error updating parameter table code:0X80/Wrong number of writable strings";
    QTest::newRow("no answer") << -1 << -1 << 0 << false << QString::fromUtf8("更新参数表失败！");
}

void ParamsWindowTest::downloadFaults()
{
    QFETCH(int, skip);
    QFETCH(int, swap);
    QFETCH(int, countDelta);
    QFETCH(bool, answers);
    QFETCH(QString, text);
    Tab t;
    t.drive.table.answerDescriptors = answers;
    t.drive.table.dropDescriptorFrame = skip;
    t.drive.table.swapDescriptorFrame = swap;
    t.drive.table.writableStringCountDelta = countDelta;
    QVERIFY(t.download(text));
    QCOMPARE(t.info()->text(), text);
    QCOMPARE(t.info()->styleSheet(), red());
    QVERIFY(t.button("pushButtonRefreshTable")->isEnabled());
    QVERIFY(!t.button("pushButtonReadPara")->isEnabled());
}

void ParamsWindowTest::everyLostFrameFailsTheDownload()
{
    Tab t;
    QVERIFY(t.download());
    const int frames = t.drive.table.descriptorFramesSent;
    QCOMPARE(frames, 130);
    const QString success = QString::fromUtf8("更新参数表成功！");
    // each download starts over the complete table of the one before
    for (int dropped = 0; dropped < frames; ++dropped) {
        t.drive.table.dropDescriptorFrame = dropped;
        t.button("pushButtonRefreshTable")->setEnabled(true);  // a success leaves it disabled
        t.button("pushButtonRefreshTable")->click();
        const bool ended = QTest::qWaitFor(
            [&] { return t.button("pushButtonRefreshTable")->isEnabled() || t.info()->text() == success; }, 3000);
        QVERIFY2(ended && t.info()->text() != success, qPrintable(QStringLiteral("frame %1 lost").arg(dropped)));
        QCOMPARE(t.info()->styleSheet(), red());
    }
    t.drive.table.dropDescriptorFrame = -1;
    QVERIFY(t.download());
}

void ParamsWindowTest::redownloadForgetsEdits()
{
    Tab t;
    QVERIFY(t.download());
    t.edit(WritableParam, 3, "42");
    QVERIFY(t.w.worker.anyModified());
    QVERIFY(QTest::qWaitFor([&] { return t.w.worker.pendingOp.load() == 0; }, 2000));
    t.button("pushButtonRefreshTable")->setEnabled(true);
    QVERIFY(t.download());
    QVERIFY(!t.w.worker.anyModified());
    QCOMPARE(t.value(WritableParam, 3)->text(), QString("10"));
}

namespace {

void smallTable(SimParamTable& table)
{
    table.kinds[0] = {SimParamTable::text("DriveName", "Axis, \"A\"")};
    table.kinds[1] = {SimParamTable::text("FirmwareVer", "FW 3.4.1")};
    table.kinds[2] = {SimParamTable::number("MaxSpeed", 6, 20.5, 0, 3000, -2)};
    table.kinds[3].clear();
    table.setupCount = 0;
}

}  // namespace

void ParamsWindowTest::exportCsv()
{
    Tab t;
    t.w.languageEnglish = true;
    t.w.resetParameterTable();
    smallTable(t.drive.table);
    QVERIFY(t.download("Update parameter table successfully!"));
    QTemporaryDir dir;
    const QString path = dir.filePath("table.csv");
    QString proposed, filter;
    t.dialogs.saveFileName = [&](const QString&, const QString& name, const QString& f) {
        proposed = name;
        filter = f;
        return path;
    };
    QString question;
    t.dialogs.yesNo = [&](const QString& title, const QString& text) {
        question = title + "|" + text;
        return true;
    };
    QString opened;
    t.dialogs.opened = [&](const QString& p) { opened = p; };
    t.button("pushButtonExportExcel")->click();
    QVERIFY(proposed.startsWith("./mcu_") && proposed.endsWith(".xlsx"));
    QCOMPARE(proposed.size(), QString("./mcu_yyyy_MM_dd_hhmmss.xlsx").size());
    QCOMPARE(filter, QString("Excel Files(*.xlsx)"));
    QCOMPARE(t.info()->text(), QString("File export completed!"));
    QCOMPARE(question, QString::fromUtf8("Complete|File exported. Open it now？"));
    QCOMPARE(opened, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines, (QStringList{"FunctionCode,Name,ParameterType,Attribute,MaxValue,MinValue,CurrentValue",
                                 QString::fromUtf8("0X0000,DriveName,String,read/write,,,\"Axis, \"\"A\"\"\""),
                                 "0X1000,FirmwareVer,String,read-only,,,FW 3.4.1",
                                 "0X2000,MaxSpeed,float,read/write,30.00,0.00,20.500000"}));
}

void ParamsWindowTest::exportXlsx()
{
    const QString unzip = QStandardPaths::findExecutable("unzip");
    if (unzip.isEmpty())
        QSKIP("no unzip to look into the workbook");
    Tab t;
    smallTable(t.drive.table);
    QVERIFY(t.download());
    QTemporaryDir dir;
    const QString path = dir.filePath("table.xlsx");
    t.dialogs.saveFileName = [&](const QString&, const QString&, const QString&) { return path; };
    QString question;
    t.dialogs.yesNo = [&](const QString& title, const QString& text) {
        question = title + "|" + text;
        return false;
    };
    bool opened = false;
    t.dialogs.opened = [&](const QString&) { opened = true; };
    t.button("pushButtonExportExcel")->click();
    QCOMPARE(t.info()->text(), QString::fromUtf8("文件导出完成!"));
    QCOMPARE(question, QString::fromUtf8("完成|文件已经导出，是否现在打开？"));
    QVERIFY(!opened);

    const auto member = [&](const char* name) {
        QProcess p;
        p.start(unzip, {"-p", path, name});
        p.waitForFinished(5000);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    const QString sheet = member("xl/worksheets/sheet1.xml");
    const QString strings = member("xl/sharedStrings.xml");
    QCOMPARE(sheet.count("<row "), 4);  // header and three rows
    QVERIFY(sheet.contains(QRegularExpression("<row r=\"1\"[^>]*ht=\"10\"")));
    QVERIFY(sheet.contains(QRegularExpression("<col min=\"7\" max=\"7\" width=\"25\\.")));
    QVERIFY(sheet.contains(QRegularExpression("<col min=\"1\" max=\"1\" width=\"12\\.")));
    for (const char* text : {"功能码", "当前值", "0X2000", "MaxSpeed", "30.00", "20.500000", "FW 3.4.1", "只读"})
        QVERIFY2(strings.contains(QString::fromUtf8(text)), text);
}

void ParamsWindowTest::exportFailureIsReported()
{
    Tab t;
    smallTable(t.drive.table);
    QVERIFY(t.download());
    bool asked = false;
    t.dialogs.yesNo = [&](const QString&, const QString&) { return asked = true; };
    for (const char* name : {"/nonexistent-folder/table.xlsx", "/nonexistent-folder/table.csv"}) {
        t.dialogs.saveFileName = [&](const QString&, const QString&, const QString&) { return QString(name); };
        t.button("pushButtonExportExcel")->click();
        QVERIFY(t.info()->text().startsWith(QString::fromUtf8("文件导出失败：")));
        QCOMPARE(t.info()->styleSheet(), red());
    }
    QVERIFY(!asked);

    // an empty answer ends the export with the waiting text
    t.dialogs.saveFileName = [](const QString&, const QString&, const QString&) { return QString(); };
    t.button("pushButtonExportExcel")->click();
    QCOMPARE(t.info()->text(), QString::fromUtf8("文件导出中，请等待..."));
}

QTEST_MAIN(ParamsWindowTest)
#include "tst_params_window.moc"
