// The parameter tab against the simulated drive's table, in process: the
// download builds the rows and the scope selectors, read-all, the edit
// checks, the write-back ending in the save, errors that stop it, the
// download's error texts, the export to .xlsx and CSV; parameter files: the
// format's round trip and refusals, Save and Load Para File with the
// comparison and Apply Selected, the row filter, the page's layout, and the
// snapshots before a factory reset and an erase.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>
#include <functional>

#include "params/paramcompare.h"
#include "params/paramfile.h"
#include "params/valuetext.h"
#include "sim/simparamtable.h"
#include "support/inprocess.h"
#include "support/scripteddialogs.h"
#include "ui/logview.h"
#include "ui/mainwindow.h"

namespace {

constexpr uint8_t driveId = 5;
constexpr uint64_t driveUid = 0x1122334455667701ull;

struct Tab {
    ScriptedDialogs dialogs;
    MainWindow w;
    LoopDrive drive{w, driveId, driveUid};
    QTemporaryDir dir;
    QString savePath, openPath;
    Tab()
    {
        w.setDialogs(&dialogs);
        drive.listAsOnlyDrive();
        dialogs.saveFileName = [this](const QString&, const QString&, const QString&) { return savePath; };
        dialogs.openFileName = [this](const QString&, const QString&, const QString&) { return openPath; };
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
    bool press(const char* name, const char* outcome)
    {
        button(name)->click();
        return waitInfo(QString::fromUtf8(outcome));
    }
    bool save(const QString& name)
    {
        savePath = dir.filePath(name);
        button("pushButtonSaveParaFile")->click();
        return info()->text() == QString::fromUtf8("参数文件已保存：") + QDir::toNativeSeparators(savePath);
    }
    // Presses Load Para File and runs `inDialog` while the comparison dialog is open; false if none opened.
    bool load(const QString& name, const std::function<void(QDialog&)>& inDialog)
    {
        openPath = dir.filePath(name);
        bool opened = false;
        QTimer::singleShot(0, &w, [&] {
            auto* dialog = w.findChild<QDialog*>("dialogParaCompare");
            if (!dialog)
                return;
            opened = true;
            inDialog(*dialog);
            dialog->accept();
        });
        button("pushButtonLoadParaFile")->click();
        QCoreApplication::processEvents();
        return opened;
    }
    // The download's table as a parameter file.
    ParamFile file() const
    {
        ParamFile f;
        f.canId = driveId;
        f.mcuId = driveUid;
        f.model = QStringLiteral("M-60");
        f.time = QDateTime(QDate(2026, 12, 7), QTime(10, 5, 30, 250), Qt::UTC);
        f.entries = tableEntries(w.worker);
        return f;
    }
};

QString red() { return QStringLiteral("color:red;"); }

QTableWidget* compareTable(QDialog& d) { return d.findChild<QTableWidget*>("tableWidgetParaCompare"); }

int rowOf(QTableWidget* t, const QString& code)
{
    for (int r = 0; r < t->rowCount(); ++r)
        if (t->item(r, 0)->text() == code)
            return r;
    return -1;
}

QJsonObject rootOf(const ParamFile& f)
{
    return QJsonDocument::fromJson(serializeParamFile(f)).object();
}

QByteArray bytesOf(const QJsonObject& o)
{
    return QJsonDocument(o).toJson();
}

void smallTable(SimParamTable& table)
{
    table.kinds[0] = {SimParamTable::text("DriveName", "Axis, \"A\"")};
    table.kinds[1] = {SimParamTable::text("FirmwareVer", "FW 3.4.1")};
    table.kinds[2] = {SimParamTable::number("MaxSpeed", 6, 20.5, 0, 3000, -2)};
    table.kinds[3].clear();
    table.setupCount = 0;
}

}  // namespace

class ParamsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void downloadBuildsTheTable();
    void readAll();
    void numberEdits_data();
    void numberEdits();
    void textEdits();
    void writeBackEndsInTheSave();
    void driveErrorStopsTheWriteBack();
    void stringsAloneAreSaved();
    void downloadFaults_data();
    void downloadFaults();
    void everyLostFrameFailsTheDownload();
    void exportCsv();
    void exportXlsx();
    void roundTrip();
    void compareResults_data();
    void compareResults();
    void damagedFilesAreRefused_data();
    void damagedFilesAreRefused();
    void saveFollowsTheShownTable();
    void loadCompareApply();
    void filterHidesRowsOnly();
    void pageLayoutKeepsItsLimits();
    void snapshotBeforeResetAndErase();
};

void ParamsWindowTest::downloadBuildsTheTable()
{
    Tab t;
    // a stored scope set-up: channel 1 on global parameter 4, 500 Hz within 10..2000
    t.drive.table.kinds[2][0].value = SimParamTable::encode(0, 5);
    t.drive.table.kinds[2][2].value = SimParamTable::encode(2, 500);
    t.drive.table.kinds[2][2].rawMin = 10;
    t.drive.table.kinds[2][2].rawMax = 2000;
    QVERIFY(t.download());
    QTableWidget* table = t.table();
    const auto row = [&](int r) {
        QStringList cells;
        for (int c = 0; c < 7; ++c)
            cells << table->item(r, c)->text();
        return cells.join('|') + (table->item(r, 6)->flags() & Qt::ItemIsEditable ? " editable" : "") + " "
            + table->item(r, 0)->background().color().name();
    };
    const int params = t.w.worker.firstRow[WritableParam];
    const int readOnly = t.w.worker.firstRow[ReadOnlyParam];
    QCOMPARE(table->rowCount(), 2 + 3 + 14 + 6);
    QCOMPARE(params, 5);
    const QStringList rows{row(0), row(2), row(params), row(params + 2), row(params + 5), row(params + 6),
                           row(params + 7), row(params + 9), row(params + 12), row(readOnly), row(readOnly + 2)};
    QCOMPARE(rows, (QStringList{QString::fromUtf8("0X0000|DriveName|String|读/写|||Axis-A editable #a0f446"),
                                QString::fromUtf8("0X1000|HardwareVer|String|只读|||HW 1.2 #d4e8c8"),
                                QString::fromUtf8("0X2000|ScopeCh1|uint8|配置|255|0|5 #63e2ee"),
                                QString::fromUtf8("0X2002|ScopeFreq|uint16|读/写|2000|10|500 editable #63e2ee"),
                                QString::fromUtf8("0X2005|MaxSpeed|float|读/写|30.00|0.00|20.500000 editable #63e2ee"),
                                QString::fromUtf8("0X2006|SpeedKp|float|设定|100.0|0.0|1.500000 #63e2ee"),
                                QString::fromUtf8("0X2007|CurrentKi|double|读/写|10.00|-10.00|0.125000000000 editable #63e2ee"),
                                QString::fromUtf8("0X2009|TorqueTrim|int16|读/写|1000|-1000|-12 editable #63e2ee"),
                                QString::fromUtf8("0X200c|SerialNo|uint64|读/写|3000000000|0|1000000000 editable #63e2ee"),
                                QString::fromUtf8("0X3000|Temperature|float|只读|||31.200001 #bbd5d7"),
                                QString::fromUtf8("0X3002|Position|double|只读|||0.500000000000 #bbd5d7")}));

    // selectors: none, writable parameters after the frequency entry, read-only parameters
    QCOMPARE(t.w.channelNames.size(), 1 + 11 + 6);
    QCOMPARE(t.w.channelNames[1], QString("CanTimeout"));
    QCOMPARE(t.w.channelNames.last(), QString("Phase"));
    QCOMPARE(t.combo("comboBoxCh8")->count(), 18);
    QVERIFY(t.combo("comboBoxCh8")->isEnabled());
    QCOMPARE(t.combo("comboBoxCh1")->currentText(), QString("ZeroOffset"));
    QCOMPARE(t.combo("comboBoxCh2")->currentIndex(), 0);
    QCOMPARE(t.w.findChild<QLineEdit*>("lineEditSetEchoFre")->text(), QString("500"));
    QCOMPARE(t.w.worker.scopeFrequency, uint16_t(500));
    QCOMPARE(t.w.worker.scopeFrequencyMin, uint16_t(10));
    QCOMPARE(t.w.worker.scopeFrequencyMax, uint16_t(2000));

    QVERIFY(t.button("pushButtonReadPara")->isEnabled());
    QVERIFY(!t.button("pushButtonWritePara")->isEnabled());
    QVERIFY(t.button("pushButtonExportExcel")->isEnabled());
    QVERIFY(t.button("pushButtonRecoverFac")->isEnabled());
    QVERIFY(!t.button("pushButtonRefreshTable")->isEnabled());
}

void ParamsWindowTest::readAll()
{
    Tab t;
    QVERIFY(t.download());
    t.drive.table.kinds[3][0].value = SimParamTable::encode(6, 40.25);
    t.drive.table.kinds[0][1].value = QByteArray("Bench 7").leftJustified(16, '\0');
    t.drive.table.kinds[1][2].value = QByteArray("Built 2027-01-05");  // a whole read-only text: four chunks
    t.button("pushButtonReadPara")->click();
    QVERIFY(!t.button("pushButtonReadPara")->isEnabled());
    QVERIFY(t.waitInfo(QString::fromUtf8("成功读取所有参数！")));
    QCOMPARE(t.drive.table.readCodes.size(), 25);
    QCOMPARE(t.drive.table.readCodes.first(), uint16_t(0x0000));
    QCOMPARE(t.drive.table.readCodes.last(), uint16_t(0x3005));
    QCOMPARE(t.value(ReadOnlyParam, 0)->text(), QString("40.250000"));
    QCOMPARE(t.value(WritableString, 1)->text(), QString("Bench 7"));
    QCOMPARE(t.value(ReadOnlyString, 2)->text(), QString("Built 2027-01-05"));
    QVERIFY(t.button("pushButtonReadPara")->isEnabled());
    QVERIFY(!t.w.readAllActive);
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
    const QString before = t.value(WritableParam, index)->text();
    t.edit(WritableParam, index, typed);
    QCOMPARE(t.info()->text(), label);
    QCOMPARE(t.info()->styleSheet(), style);
    QCOMPARE(t.value(WritableParam, index)->text(), cell);
    QCOMPARE(t.value(WritableParam, index)->foreground().color(), marked ? QColor(Qt::red) : QColor(Qt::black));
    QCOMPARE(bool(t.w.worker.writableParams[index].modified), marked);
    QCOMPARE(t.button("pushButtonWritePara")->isEnabled(), marked);
    if (!marked)
        return;
    // the downloaded value again: the cell turns black
    t.edit(WritableParam, index, before);
    QCOMPARE(t.value(WritableParam, index)->foreground().color(), QColor(Qt::black));
    QVERIFY(!t.w.worker.writableParams[index].modified);
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
    QVERIFY(t.press("pushButtonReadPara", "成功读取所有参数！"));  // over the empty kind
    QCOMPARE(t.drive.table.readCodes, (QVector<uint16_t>{0x0000, 0x0001, 0x1000, 0x1001, 0x1002, 0x3000, 0x3001, 0x3002,
                                                         0x3003, 0x3004, 0x3005}));
    t.edit(WritableString, 0, "Axis-Z");
    QVERIFY(t.press("pushButtonWritePara", "所有参数保存成功！"));
    QCOMPARE(t.drive.table.writtenCodes, QVector<uint16_t>{0x0000});
    QCOMPARE(t.drive.table.saves, 1);
}

void ParamsWindowTest::downloadFaults_data()
{
    QTest::addColumn<int>("skip");
    QTest::addColumn<int>("swap");
    QTest::addColumn<int>("countDelta");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<QString>("text");
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
    t.edit(WritableParam, 3, "42");  // forgotten by the next download
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
    t.button("pushButtonRefreshTable")->setEnabled(true);
    QVERIFY(t.download());
    QVERIFY(!t.w.worker.anyModified());
    QCOMPARE(t.value(WritableParam, 3)->text(), QString("10"));
}

void ParamsWindowTest::exportCsv()
{
    Tab t;
    t.w.languageEnglish = true;
    t.w.resetParameterTable();
    smallTable(t.drive.table);
    QVERIFY(t.download("Update parameter table successfully!"));
    const QString path = t.dir.filePath("table.csv");
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
    Tab t;
    smallTable(t.drive.table);
    QVERIFY(t.download());
    QString question;
    bool opened = false;
    t.dialogs.yesNo = [&](const QString& title, const QString& text) {
        question = title + "|" + text;
        return false;
    };
    t.dialogs.opened = [&](const QString&) { opened = true; };
    // an empty answer ends the export with the waiting text; a failed one says so in red and asks nothing
    QString path;
    t.dialogs.saveFileName = [&](const QString&, const QString&, const QString&) { return path; };
    t.button("pushButtonExportExcel")->click();
    QCOMPARE(t.info()->text(), QString::fromUtf8("文件导出中，请等待..."));
    for (const char* name : {"/nonexistent-folder/table.xlsx", "/nonexistent-folder/table.csv"}) {
        path = name;
        t.button("pushButtonExportExcel")->click();
        QVERIFY(t.info()->text().startsWith(QString::fromUtf8("文件导出失败：")));
        QCOMPARE(t.info()->styleSheet(), red());
    }
    QVERIFY(question.isEmpty());

    const QString unzip = QStandardPaths::findExecutable("unzip");
    if (unzip.isEmpty())
        QSKIP("no unzip to look into the workbook");
    path = t.dir.filePath("table.xlsx");
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

void ParamsWindowTest::roundTrip()
{
    Tab d;
    QVERIFY(d.download());
    const ParamFile saved = d.file();
    QTemporaryDir dir;
    const QString path = dir.filePath("a.json");
    QString error;
    QVERIFY(writeParamFile(path, saved, error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.json"});

    ParamFile loaded;
    ParamFileProblem problem;
    QVERIFY2(readParamFile(path, loaded, problem), qPrintable(paramFileProblemText(problem).english));
    QCOMPARE(loaded.canId, driveId);
    QCOMPARE(loaded.mcuId, driveUid);
    QCOMPARE(loaded.model, QString("M-60"));
    QCOMPARE(loaded.time, saved.time);
    QCOMPARE(loaded.entries.size(), 25);
    for (int i = 0; i < saved.entries.size(); ++i) {
        const ParamFileEntry& a = saved.entries[i];
        const ParamFileEntry& b = loaded.entries[i];
        QCOMPARE(QStringList({parameterCodeText(b.code), b.name, b.type, b.attribute, b.max, b.min, b.value}),
                 QStringList({parameterCodeText(a.code), a.name, a.type, a.attribute, a.max, a.min, a.value}));
    }
    const QJsonObject entry = rootOf(saved)["entries"].toArray()[5 + 5].toObject();
    QCOMPARE(entry["code"].toString(), QString("0X2005"));
    QCOMPARE(entry["value"].toString(), QString("20.500000"));
    QCOMPARE(entry["max"].toString(), QString("30.00"));
    QCOMPARE(entry["attribute"].toString(), QString("read/write"));
}

void ParamsWindowTest::compareResults_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("field");  // "value", "type", "name", "remove" or "add"
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("english");
    const auto r = [](CompareResult c) { return int(c); };
    QTest::newRow("number differs") << "0X2003" << "value" << "77" << r(CompareResult::Differs) << "differs";
    QTest::newRow("float written shorter") << "0X2005" << "value" << "20.5" << r(CompareResult::Same) << "same";
    QTest::newRow("string differs") << "0X0001" << "value" << "Bench 9" << r(CompareResult::Differs) << "differs";
    QTest::newRow("only in the file") << "0X2020" << "add" << "5" << r(CompareResult::OnlyInFile) << "only in the file";
    QTest::newRow("only on the drive") << "0X2004" << "remove" << "" << r(CompareResult::OnlyOnDrive)
                                       << "only on the drive";
    QTest::newRow("renamed is another entry") << "0X2004" << "name" << "Offset" << r(CompareResult::OnlyOnDrive)
                                              << "only on the drive";
    QTest::newRow("read-only number") << "0X3000" << "value" << "40.000000" << r(CompareResult::ReadOnlyOnDrive)
                                      << "read-only on the drive";
    QTest::newRow("read-only string") << "0X1000" << "value" << "HW 9" << r(CompareResult::ReadOnlyOnDrive)
                                      << "read-only on the drive";
    QTest::newRow("attribute 0") << "0X2006" << "value" << "2.000000" << r(CompareResult::ReadOnlyOnDrive)
                                 << "read-only on the drive";
    QTest::newRow("setup entry") << "0X2000" << "value" << "3" << r(CompareResult::ReadOnlyOnDrive)
                                 << "read-only on the drive";
    QTest::newRow("above the limit") << "0X2003" << "value" << "300" << r(CompareResult::OutOfLimits)
                                     << "out of the drive's limits";
    QTest::newRow("non-ASCII text") << "0X0000" << "value" << QString::fromUtf8("Achse-Ä") << r(CompareResult::OutOfLimits)
                                    << "out of the drive's limits";
    QTest::newRow("type") << "0X2005" << "type" << "double" << r(CompareResult::TypeDiffers) << "different value type";
}

void ParamsWindowTest::compareResults()
{
    QFETCH(QString, code);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, result);
    QFETCH(QString, english);
    Tab d;
    QVERIFY(d.download());
    ParamFile f = d.file();
    const uint16_t wanted = uint16_t(code.mid(2).toUInt(nullptr, 16));
    if (field == "add") {
        ParamFileEntry extra;
        extra.code = wanted;
        extra.name = "Extra";
        extra.type = "uint8";
        extra.value = text;
        f.entries << extra;
    }
    for (int i = 0; i < f.entries.size(); ++i) {
        ParamFileEntry& e = f.entries[i];
        if (e.code != wanted || field == "add")
            continue;
        if (field == "remove")
            f.entries.remove(i);
        else if (field == "type")
            e.type = text;
        else if (field == "name")
            e.name = text;
        else
            e.value = text;
        break;
    }
    ParamFile loaded;
    ParamFileProblem problem;
    QVERIFY2(parseParamFile(serializeParamFile(f), loaded, problem), qPrintable(paramFileProblemText(problem).english));

    const QVector<CompareRow> rows = compareWithTable(d.w.worker, loaded.entries);
    int others = 0;
    for (const CompareRow& row : rows) {
        const bool renamed = field == "name" && row.code == wanted && row.result == CompareResult::OnlyInFile;
        if (row.code != wanted || renamed) {
            others += row.result != CompareResult::Same && !renamed;
            continue;
        }
        QCOMPARE(int(row.result), result);
        QCOMPARE(compareResultText(row.result).english, english);
        QCOMPARE(row.writable(), row.result == CompareResult::Differs);
        if (field == "value")
            QCOMPARE(row.fileValue, text);
    }
    QCOMPARE(others, 0);
    QCOMPARE(rows.size(), 25 + (field == "add" || field == "name" ? 1 : 0));
}

void ParamsWindowTest::damagedFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("chinese");

    Tab d;
    QVERIFY(d.download());
    const QJsonObject good = rootOf(d.file());
    const QByteArray goodBytes = bytesOf(good);
    const auto e = [](ParamFileError x) { return int(x); };

    QTest::newRow("not JSON") << QByteArray("Axis-A,10,20.5\n") << e(ParamFileError::NotJson)
                              << "Not a parameter file: the content is not JSON (illegal value at byte 1)"
                              << QString::fromUtf8("不是参数文件：内容不是JSON（第1字节：illegal value）");
    QJsonObject foreign = good;
    foreign["format"] = "scope-wave";
    QTest::newRow("wrong format name")
        << bytesOf(foreign) << e(ParamFileError::NotParameterFile)
        << "Not a parameter file: the format name is \"scope-wave\", expected \"torvane-parameters\""
        << QString::fromUtf8("不是参数文件：格式名为“scope-wave”，应为“torvane-parameters”");
    QTest::newRow("JSON array") << QByteArray("[1, 2]") << e(ParamFileError::NotParameterFile)
                                << "Not a parameter file: the JSON holds no object"
                                << QString::fromUtf8("不是参数文件：JSON中没有对象");
    const QByteArray cut = goodBytes.left(goodBytes.size() / 2);
    QTest::newRow("truncated") << cut << e(ParamFileError::Truncated)
                               << QString("Damaged parameter file: the file ends early, after %1 bytes").arg(cut.size())
                               << QString::fromUtf8("参数文件已损坏：文件提前结束，仅有%1字节").arg(cut.size());
    QTest::newRow("truncated in a string") << goodBytes.left(goodBytes.indexOf("Axis") + 2) << e(ParamFileError::Truncated)
                                           << "" << "";
    QJsonObject newer = good;
    newer["version"] = 2;
    QTest::newRow("newer version") << bytesOf(newer) << e(ParamFileError::NewerVersion)
                                   << "Parameter file version 2 is newer than this program reads (1)"
                                   << QString::fromUtf8("参数文件版本2高于本程序可读的版本（1）");
    QJsonObject textVersion = good;
    textVersion["version"] = "1";
    QTest::newRow("version as text") << bytesOf(textVersion) << e(ParamFileError::WrongFieldType)
                                     << "Damaged parameter file: the field \"version\" should be of type number"
                                     << QString::fromUtf8("参数文件已损坏：字段“version”应为数字");
    QJsonObject numberValue = good;
    QJsonArray entries = good["entries"].toArray();
    QJsonObject third = entries[3].toObject();
    third["value"] = 12;
    entries[3] = third;
    numberValue["entries"] = entries;
    QTest::newRow("value as number") << bytesOf(numberValue) << e(ParamFileError::WrongFieldType)
                                     << "Damaged parameter file: the field \"entries[3].value\" should be of type string"
                                     << QString::fromUtf8("参数文件已损坏：字段“entries[3].value”应为字符串");
    QJsonObject noMcu = good;
    QJsonObject drive = good["drive"].toObject();
    drive.remove("mcuId");
    noMcu["drive"] = drive;
    QTest::newRow("missing field") << bytesOf(noMcu) << e(ParamFileError::MissingField)
                                   << "Damaged parameter file: the field \"drive.mcuId\" is missing"
                                   << QString::fromUtf8("参数文件已损坏：缺少字段“drive.mcuId”");
    QJsonObject badNumber = good;
    entries = good["entries"].toArray();
    QJsonObject speed = entries[10].toObject();
    speed["value"] = "fast";
    entries[10] = speed;
    badNumber["entries"] = entries;
    QTest::newRow("no number of its type") << bytesOf(badNumber) << e(ParamFileError::BadFieldValue)
                                           << "Damaged parameter file: the field \"entries[10].value\" has an invalid value \"fast\""
                                           << QString::fromUtf8("参数文件已损坏：字段“entries[10].value”的值无效：“fast”");
    QJsonObject twice = good;
    entries = good["entries"].toArray();
    entries.append(entries[0]);
    twice["entries"] = entries;
    QTest::newRow("code twice") << bytesOf(twice) << e(ParamFileError::DuplicateEntry)
                                << "Damaged parameter file: function code 0X0000 appears twice"
                                << QString::fromUtf8("参数文件已损坏：功能码0X0000出现两次");
}

void ParamsWindowTest::damagedFilesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    QFETCH(QString, english);
    QFETCH(QString, chinese);
    ParamFile file;
    file.model = "untouched";
    ParamFileProblem problem;
    QVERIFY(!parseParamFile(bytes, file, problem));
    QCOMPARE(int(problem.error), error);
    if (!english.isEmpty()) {
        QCOMPARE(paramFileProblemText(problem).english, english);
        QCOMPARE(paramFileProblemText(problem).chinese, chinese);
    }
    QCOMPARE(file.model, QString("untouched"));
}

void ParamsWindowTest::saveFollowsTheShownTable()
{
    Tab t;
    QVERIFY(!t.button("pushButtonSaveParaFile")->isEnabled());
    QVERIFY(!t.button("pushButtonLoadParaFile")->isEnabled());
    QVERIFY(t.download());
    QVERIFY(t.button("pushButtonSaveParaFile")->isEnabled());
    QVERIFY(t.button("pushButtonLoadParaFile")->isEnabled());

    t.value(WritableParam, 3)->setText("77");  // the file holds the table as shown
    QVERIFY(t.save("a.json"));
    ParamFile file;
    ParamFileProblem problem;
    QVERIFY(readParamFile(t.savePath, file, problem));
    QCOMPARE(file.canId, driveId);
    QCOMPARE(file.mcuId, driveUid);
    QCOMPARE(file.entries.size(), 25);
    QCOMPARE(file.entries[5 + 3].value, QString("77"));

    t.savePath = t.dir.filePath("no-such-folder/b.json");
    t.button("pushButtonSaveParaFile")->click();
    QVERIFY(t.info()->text().startsWith(QString::fromUtf8("参数文件保存失败：")));
    QCOMPARE(t.info()->styleSheet(), red());

    // a damaged file is refused before any comparison: the edit stays, nothing is written
    QFile damaged(t.dir.filePath("bad.json"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("{\"format\": \"torvane-parameters\", \"version\": 1, \"entr");
    damaged.close();
    QVERIFY(!t.load("bad.json", [](QDialog&) {}));
    QCOMPARE(t.info()->text(), QString::fromUtf8("参数文件已损坏：文件提前结束，仅有52字节"));
    QCOMPARE(t.info()->styleSheet(), red());
    QCOMPARE(t.value(WritableParam, 3)->text(), QString("77"));
    QVERIFY(t.w.worker.writableParams[3].modified);
    QCOMPARE(t.drive.table.writtenCodes.size(), 0);

    t.combo("comboBoxDev")->addItem("6");
    t.combo("comboBoxDev")->setCurrentIndex(1);  // another drive: its table is not shown
    QVERIFY(!t.button("pushButtonSaveParaFile")->isEnabled());
    QVERIFY(!t.button("pushButtonLoadParaFile")->isEnabled());
}

void ParamsWindowTest::loadCompareApply()
{
    Tab t;
    QVERIFY(t.download());
    QVERIFY(t.save("a.json"));
    SimParamTable& sim = t.drive.table;
    sim.kinds[0][1].value = QByteArray("Bench 9").leftJustified(16, '\0');
    sim.kinds[2][3].value = SimParamTable::encode(0, 99);    // CanTimeout
    sim.kinds[2][7].value = SimParamTable::encode(9, -2.5);  // CurrentKi
    sim.kinds[2][13].value = SimParamTable::encode(8, 40);   // Odometer
    sim.kinds[2][6].value = SimParamTable::encode(6, 9);     // SpeedKp, attribute 0
    sim.kinds[3][0].value = SimParamTable::encode(6, 50);    // Temperature
    QVERIFY(t.press("pushButtonReadPara", "成功读取所有参数！"));

    QStringList results, checkable, report;
    const bool opened = t.load("a.json", [&](QDialog& d) {
        QTableWidget* c = compareTable(d);
        QCOMPARE(c->rowCount(), 25);
        for (int r = 0; r < c->rowCount(); ++r) {
            results << c->item(r, 0)->text() + "=" + c->item(r, 4)->text();
            if (c->item(r, 0)->flags() & Qt::ItemIsUserCheckable)
                checkable << c->item(r, 0)->text() + (c->item(r, 0)->checkState() == Qt::Checked ? "+" : "-");
        }
        const int ki = rowOf(c, "0X2007");
        QCOMPARE(c->item(ki, 2)->text(), QString("-2.500000000000"));
        QCOMPARE(c->item(ki, 3)->text(), QString("0.125000000000"));
        // Odometer left out; CanTimeout's limit shrinks after the comparison: the check at Apply refuses it
        c->item(rowOf(c, "0X200d"), 0)->setCheckState(Qt::Unchecked);
        t.w.worker.writableParams[3].maxValue = 5;
        d.findChild<QPushButton*>("pushButtonApplyCompare")->click();
        report = d.findChild<QPlainTextEdit*>("textEditParaCompareReport")->toPlainText().split('\n');
        QCOMPARE(c->item(rowOf(c, "0X2007"), 4)->text(), QString::fromUtf8("已应用"));
        QVERIFY(!(c->item(rowOf(c, "0X2007"), 0)->flags() & Qt::ItemIsUserCheckable));
    });
    QVERIFY(opened);
    QVERIFY(results.contains(QString::fromUtf8("0X0001=不同")));
    QVERIFY(results.contains(QString::fromUtf8("0X2006=驱动器上只读")));
    QVERIFY(results.contains(QString::fromUtf8("0X3000=驱动器上只读")));
    QCOMPARE(results.filter(QString::fromUtf8("=相同")).size(), 25 - 6);
    QCOMPARE(checkable, (QStringList{"0X0001+", "0X2003+", "0X2007+", "0X200d+"}));
    QCOMPARE(report, (QStringList{QString::fromUtf8("已应用：2；未应用：1"),
                                  QString::fromUtf8("0X2003 CanTimeout：输入数据超出范围!")}));

    // Applied values are edits like typed ones: red, marked, written by Write Para.
    QCOMPARE(t.value(WritableString, 1)->text(), QString("Bench 2"));
    QCOMPARE(t.value(WritableString, 1)->foreground().color(), QColor(Qt::red));
    QCOMPARE(t.value(WritableParam, 7)->text(), QString("0.125000000000"));
    QVERIFY(t.w.worker.writableParams[7].modified);
    QVERIFY(!t.w.worker.writableParams[3].modified);
    QVERIFY(!t.w.worker.writableParams[13].modified);
    QCOMPARE(t.value(WritableParam, 3)->text(), QString("99"));
    QVERIFY(t.button("pushButtonWritePara")->isEnabled());
    QVERIFY(t.press("pushButtonWritePara", "所有参数保存成功！"));
    QCOMPARE(sim.writtenCodes, (QVector<uint16_t>{0x0001, 0x2007}));
    QCOMPARE(SimParamTable::decode(9, sim.kinds[2][7].value), 0.125);
}

void ParamsWindowTest::filterHidesRowsOnly()
{
    Tab t;
    QVERIFY(t.download());
    auto* filter = t.w.findChild<QLineEdit*>("lineEditParaFilter");
    auto* modifiedOnly = t.w.findChild<QCheckBox*>("checkBoxModifiedOnly");
    const auto shown = [&] {
        QStringList names;
        for (int r = 0; r < t.table()->rowCount(); ++r)
            if (!t.table()->isRowHidden(r))
                names << t.table()->item(r, 1)->text();
        return names;
    };
    filter->setText("speed");
    QCOMPARE(shown(), (QStringList{"MaxSpeed", "SpeedKp"}));
    filter->setText("0x300");
    QCOMPARE(shown().size(), 6);
    filter->setText("2003");
    QCOMPARE(shown(), QStringList{"CanTimeout"});

    filter->clear();
    t.value(WritableParam, 3)->setText("42");
    t.value(WritableString, 0)->setText("Axis-Z");
    modifiedOnly->setChecked(true);
    QCOMPARE(shown(), (QStringList{"DriveName", "CanTimeout"}));
    filter->setText("Drive");  // the hidden edit is written all the same
    QCOMPARE(shown(), QStringList{"DriveName"});
    QVERIFY(t.press("pushButtonWritePara", "所有参数保存成功！"));
    QCOMPARE(t.drive.table.writtenCodes, (QVector<uint16_t>{0x0000, 0x2003}));
    QCOMPARE(shown(), QStringList{});  // nothing is modified any more
    modifiedOnly->setChecked(false);
    filter->clear();
    QCOMPARE(shown().size(), 25);
}

void ParamsWindowTest::pageLayoutKeepsItsLimits()
{
    Tab t;
    t.w.resize(1700, 843);
    t.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.w));
    QVERIFY(t.download());
    for (const char* name : {"pushButtonlanguage", "pushButtonRefreshTable", "pushButtonReadPara", "pushButtonWritePara",
                             "pushButtonRecoverFac", "pushButtonExportExcel", "pushButton_more",
                             "pushButtonSaveParaFile", "pushButtonLoadParaFile"}) {
        QPushButton* b = t.button(name);
        QVERIFY2(b->isVisible() && b->height() >= 30, name);
        QVERIFY2(b->width() >= b->sizeHint().width(), name);  // the text fits
    }
    auto* filter = t.w.findChild<QLineEdit*>("lineEditParaFilter");
    QVERIFY(filter->isVisible() && filter->width() >= 150);
    QVERIFY(t.w.findChild<QCheckBox*>("checkBoxModifiedOnly")->isVisible());
    QVERIFY(t.table()->height() >= 200);
    QVERIFY(t.w.findChild<QWidget*>("frame_2")->width() <= 250);
    QVERIFY(t.w.findChild<QWidget*>("frame")->width() <= 350);
    const int frame3 = t.w.findChild<QWidget*>("frame_3")->height();
    QVERIFY(frame3 >= 110 && frame3 <= 300);
    // the window needs no more room than without the new widgets
    QWidget* central = t.w.findChild<QWidget*>("centralwidget");
    const QSize needed = central->minimumSizeHint();
    for (const char* name : {"pushButtonSaveParaFile", "pushButtonLoadParaFile", "lineEditParaFilter", "checkBoxModifiedOnly"})
        t.w.findChild<QWidget*>(name)->hide();
    QCOMPARE(needed, central->minimumSizeHint());
}

void ParamsWindowTest::snapshotBeforeResetAndErase()
{
    Tab t;
    qputenv("XDG_DATA_HOME", t.dir.filePath("data").toUtf8());
    QVERIFY(t.download());
    t.drive.table.kinds[2][3].value = SimParamTable::encode(0, 99);
    t.value(WritableParam, 3)->setText("42");  // a pending edit stays out of the snapshot
    t.button("pushButtonRecoverFac")->click();
    QVERIFY(!t.button("pushButtonRecoverFac")->isEnabled());
    QTRY_COMPARE(t.drive.table.factoryResets, 1);
    QCOMPARE(SimParamTable::decode(0, t.drive.table.kinds[2][3].value), 10.0);
    QTRY_COMPARE(t.info()->styleSheet(), QString("color:green;"));
    QCOMPARE(t.w.worker.pendingOp.load(), 0);
    QDir snapshots(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/snapshots");
    QVERIFY(snapshots.absolutePath().startsWith(t.dir.path()));
    QStringList files = snapshots.entryList(QDir::Files);
    QCOMPARE(files.size(), 1);
    QVERIFY(files[0].startsWith("mcu_1122334455667701_"));
    const QString path = QDir::toNativeSeparators(snapshots.filePath(files[0]));
    QVERIFY(logParagraphs(t.w).contains(QString::fromUtf8("参数快照已保存：") + path));
    ParamFile file;
    ParamFileProblem problem;
    QVERIFY(readParamFile(path, file, problem));
    QCOMPARE(file.entries[5 + 3].value, QString("10"));

    // a file where the data folder should be: the reset goes on, the log says why in red, on a line of its own
    QFile blocker(t.dir.filePath("blocked"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_DATA_HOME", blocker.fileName().toUtf8());
    t.button("pushButtonRecoverFac")->setEnabled(true);  // a reset leaves it disabled until the next download
    t.button("pushButtonRecoverFac")->click();
    QTRY_COMPARE(t.drive.table.factoryResets, 2);
    qputenv("XDG_DATA_HOME", t.dir.filePath("data").toUtf8());
    QTextEdit* log = t.w.findChild<QTextEdit*>("textEditCfgInfo");
    LogView::of(log)->flush();
    const QTextBlock last = log->document()->lastBlock();
    QVERIFY2(last.text().startsWith(QString::fromUtf8("参数快照未能保存：")), qPrintable(last.text()));
    QVERIFY(last.text().endsWith(QString::fromUtf8("（无法创建文件夹）")));
    QCOMPARE(last.begin().fragment().charFormat().foreground().color(), QColor(Qt::red));
    t.w.logLine("next");
    LogView::of(log)->flush();
    const QTextBlock next = log->document()->lastBlock();
    QCOMPARE(next.text(), QString("next"));
    QVERIFY(next.begin().fragment().charFormat().foreground().color() != QColor(Qt::red));
    QTRY_COMPARE(t.w.worker.pendingOp.load(), 0);

    // erase: the upgrade's start, with an image that passes its check
    QTest::qWait(2);  // the next snapshot's name has a later time
    QFile image(t.dir.filePath("image.bin"));
    QVERIFY(image.open(QIODevice::WriteOnly) && image.write("firmware") == 8);
    image.close();
    t.w.firmwarePath = image.fileName();
    t.w.findChild<QPushButton*>("pushButtonInOtaMode")->setEnabled(true);
    t.w.findChild<QPushButton*>("pushButtonInOtaMode")->click();
    files = snapshots.entryList(QDir::Files);
    QCOMPARE(files.size(), 2);
    QVERIFY(logParagraphs(t.w).last().startsWith(QString::fromUtf8("参数快照已保存：")));
    t.w.findChild<QPushButton*>("pushButtonInOtaMode")->click();  // stop

    // no table of this drive shown: nothing to keep
    t.combo("comboBoxDev")->addItem("6");
    t.w.worker.deviceIds[1] = 6;
    t.w.worker.deviceUids[1] = 0x66;
    t.w.worker.deviceCount = 2;
    t.combo("comboBoxDev")->setCurrentIndex(1);
    t.w.findChild<QPushButton*>("pushButtonInOtaMode")->click();
    QCOMPARE(snapshots.entryList(QDir::Files).size(), 2);
    qunsetenv("XDG_DATA_HOME");
}

QTEST_MAIN(ParamsWindowTest)
#include "tst_params_window.moc"
