// Parameter sets on the parameter tab, in process against the simulated
// drive's table: Save Para File, Load Para File with the comparison dialog
// and Apply Selected, refused files, the row filter, the page's layout, and
// the snapshots before a factory reset and an erase.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>
#include <functional>

#include "params/paramfile.h"
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
    bool waitInfo(const QString& text) { return QTest::qWaitFor([&] { return info()->text() == text; }, 3000); }
    bool download()
    {
        button("pushButtonRefreshTable")->click();
        return waitInfo(QString::fromUtf8("更新参数表成功！"));
    }
    bool readAll()
    {
        button("pushButtonReadPara")->click();
        return waitInfo(QString::fromUtf8("成功读取所有参数！"));
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
    QString savePath, openPath;
};

QTableWidget* compareTable(QDialog& d) { return d.findChild<QTableWidget*>("tableWidgetParaCompare"); }

int rowOf(QTableWidget* t, const QString& code)
{
    for (int r = 0; r < t->rowCount(); ++r)
        if (t->item(r, 0)->text() == code)
            return r;
    return -1;
}

}  // namespace

class ParamsSetsTest : public QObject {
    Q_OBJECT

private slots:
    void saveFollowsTheShownTable();
    void loadCompareApply();
    void refusedFileChangesNothing();
    void filterHidesRowsOnly();
    void pageLayoutKeepsItsLimits();
    void snapshotBeforeResetAndErase();
    void unwritableSnapshotLogsRedAndResets();
};

void ParamsSetsTest::saveFollowsTheShownTable()
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
    QCOMPARE(t.info()->styleSheet(), QString("color:red;"));

    t.combo("comboBoxDev")->addItem("6");
    t.combo("comboBoxDev")->setCurrentIndex(1);  // another drive: its table is not shown
    QVERIFY(!t.button("pushButtonSaveParaFile")->isEnabled());
    QVERIFY(!t.button("pushButtonLoadParaFile")->isEnabled());
}

void ParamsSetsTest::loadCompareApply()
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
    QVERIFY(t.readAll());

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
    t.button("pushButtonWritePara")->click();
    QVERIFY(t.waitInfo(QString::fromUtf8("所有参数保存成功！")));
    QCOMPARE(sim.writtenCodes, (QVector<uint16_t>{0x0001, 0x2007}));
    QCOMPARE(SimParamTable::decode(9, sim.kinds[2][7].value), 0.125);
}

void ParamsSetsTest::refusedFileChangesNothing()
{
    Tab t;
    QVERIFY(t.download());
    t.value(WritableParam, 3)->setText("12");
    QFile damaged(t.dir.filePath("bad.json"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("{\"format\": \"torvane-parameters\", \"version\": 1, \"entr");
    damaged.close();
    QVERIFY(!t.load("bad.json", [](QDialog&) {}));
    QCOMPARE(t.info()->text(), QString::fromUtf8("参数文件已损坏：文件提前结束，仅有52字节"));
    QCOMPARE(t.info()->styleSheet(), QString("color:red;"));
    QCOMPARE(t.value(WritableParam, 3)->text(), QString("12"));
    QVERIFY(t.w.worker.writableParams[3].modified);
    QCOMPARE(t.drive.table.writtenCodes.size(), 0);
}

void ParamsSetsTest::filterHidesRowsOnly()
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
    t.button("pushButtonWritePara")->click();
    QVERIFY(t.waitInfo(QString::fromUtf8("所有参数保存成功！")));
    QCOMPARE(t.drive.table.writtenCodes, (QVector<uint16_t>{0x0000, 0x2003}));
    QCOMPARE(shown(), QStringList{});  // nothing is modified any more
    modifiedOnly->setChecked(false);
    filter->clear();
    QCOMPARE(shown().size(), 25);
}

void ParamsSetsTest::pageLayoutKeepsItsLimits()
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

void ParamsSetsTest::snapshotBeforeResetAndErase()
{
    Tab t;
    qputenv("XDG_DATA_HOME", t.dir.filePath("data").toUtf8());
    QVERIFY(t.download());
    t.value(WritableParam, 3)->setText("42");  // a pending edit stays out of the snapshot
    t.button("pushButtonRecoverFac")->click();
    QTRY_COMPARE(t.drive.table.factoryResets, 1);
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

void ParamsSetsTest::unwritableSnapshotLogsRedAndResets()
{
    Tab t;
    QFile blocker(t.dir.filePath("data"));  // a file where the data folder should be
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_DATA_HOME", blocker.fileName().toUtf8());
    QVERIFY(t.download());
    t.button("pushButtonRecoverFac")->click();
    QTRY_COMPARE(t.drive.table.factoryResets, 1);
    qunsetenv("XDG_DATA_HOME");
    QTextEdit* log = t.w.findChild<QTextEdit*>("textEditCfgInfo");
    LogView::of(log)->flush();
    const QTextBlock last = log->document()->lastBlock();
    QVERIFY2(last.text().startsWith(QString::fromUtf8("参数快照未能保存：")), qPrintable(last.text()));
    QVERIFY(last.text().endsWith(QString::fromUtf8("（无法创建文件夹）")));
    QCOMPARE(last.begin().fragment().charFormat().foreground().color(), QColor(Qt::red));
    t.w.logLine("next");  // the red stays on its own line
    LogView::of(log)->flush();
    const QTextBlock next = log->document()->lastBlock();
    QCOMPARE(next.text(), QString("next"));
    QVERIFY(next.begin().fragment().charFormat().foreground().color() != QColor(Qt::red));
}

QTEST_MAIN(ParamsSetsTest)
#include "tst_params_sets.moc"
