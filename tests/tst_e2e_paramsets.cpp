// The parameter table and parameter files end to end: the real serial port
// against the simulated drives. A drive's saved settings come back after they
// changed on the drive, with the frames of a write-back of the same typed
// edits, and a factory reset undoes them; one drive's settings are copied to
// another.

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "protocol/framecodec.h"
#include "sim/simparamtable.h"
#include "support/e2e.h"

namespace {

bool press(SimulatedRig& rig, const char* button, const char* outcome)
{
    rig.click(button);
    return rig.waitForLabel("labelParaInfo", QString::fromUtf8(outcome));
}

// Loads the file and applies the rows the dialog ticks by default.
bool loadAndApply(SimulatedRig& rig, const QString& path)
{
    rig.dialogs.openFileName = [path](const QString&, const QString&, const QString&) { return path; };
    bool applied = false;
    QTimer::singleShot(0, rig.window.get(), [&] {
        if (auto* dialog = rig.window->findChild<QDialog*>("dialogParaCompare")) {
            dialog->findChild<QPushButton*>("pushButtonApplyCompare")->click();
            applied = true;
            dialog->accept();
        }
    });
    rig.click("pushButtonLoadParaFile");
    return applied;
}

bool save(SimulatedRig& rig, const QString& path)
{
    rig.dialogs.saveFileName = [path](const QString&, const QString&, const QString&) { return path; };
    rig.click("pushButtonSaveParaFile");
    return QFile::exists(path);
}

// The drive's values of the entries this test changes, as they travel.
struct Changed {
    uint32_t kind;
    int index;
    uint32_t type;
    double other;  // what the drive is changed to
};
const Changed changes[] = {
    {0, 1, 10, 0}, {2, 3, 0, 99}, {2, 5, 6, 12.75}, {2, 7, 9, -2.5}, {2, 12, 7, 2000000000.0}, {2, 13, 8, -700},
};

QVector<QByteArray> valuesOf(SimulatedRig& rig, int drive)
{
    QVector<QByteArray> values;
    rig.sim.runOnSimThread([&] {
        auto* table = rig.sim.drive(drive)->feature<SimParamTable>();
        for (const Changed& c : changes)
            values << table->kinds[c.kind][c.index].value;
    });
    return values;
}

void changeOnDrive(SimulatedRig& rig, int drive)
{
    rig.sim.runOnSimThread([&] {
        auto* table = rig.sim.drive(drive)->feature<SimParamTable>();
        for (const Changed& c : changes)
            table->kinds[c.kind][c.index].value = c.type == 10 ? QByteArray("Bench 9").leftJustified(16, '\0')
                                                               : SimParamTable::encode(c.type, c.other);
    });
}

QStringList writeFrames(SimulatedRig& rig)
{
    QStringList frames;
    for (const CanFrame& f : rig.framesOfType(8))
        frames << QString::number(f.id, 16) + ':' + QByteArray(reinterpret_cast<const char*>(f.data), 8).toHex();
    return frames;
}

}  // namespace

class ParamSetsE2eTest : public QObject {
    Q_OBJECT

private slots:
    void savedSettingsComeBack();
    void copyFromOneDriveToAnother();
};

void ParamSetsE2eTest::savedSettingsComeBack()
{
    SimulatedRig rig;
    QVERIFY(rig.ready());
    QVERIFY(press(rig, "pushButtonRefreshTable", "更新参数表成功！"));
    QCOMPARE(rig.widget<QTableWidget>("tableWidgetPara")->rowCount(), 25);
    QTemporaryDir dir;
    const QString path = dir.filePath("drive-a.json");
    QVERIFY(save(rig, path));
    const QVector<QByteArray> saved = valuesOf(rig, 0);

    changeOnDrive(rig, 0);
    QVERIFY(press(rig, "pushButtonReadPara", "成功读取所有参数！"));
    rig.sim.clearObservations();
    QVERIFY(loadAndApply(rig, path));
    QVERIFY(press(rig, "pushButtonWritePara", "所有参数保存成功！"));
    QCOMPARE(valuesOf(rig, 0), saved);
    const QStringList applied = writeFrames(rig);
    QCOMPARE(applied.size(), 4 + 1 + 1 + 2 + 2 + 2 + 1);  // string, uint8, float, double, uint64, int64, save

    // The same edits typed by hand give the same frames.
    changeOnDrive(rig, 0);
    QVERIFY(press(rig, "pushButtonReadPara", "成功读取所有参数！"));
    rig.sim.clearObservations();
    auto* table = rig.widget<QTableWidget>("tableWidgetPara");
    const QStringList typed = {"Bench 2", "10", "20.500000", "0.125000000000", "1000000000", "-5"};
    for (int i = 0; i < typed.size(); ++i)
        table->item(rig.window->worker.firstRow[changes[i].kind] + changes[i].index, 6)->setText(typed[i]);
    QCOMPARE(table->item(rig.window->worker.firstRow[WritableParam] + 3, 6)->foreground().color(), QColor(Qt::red));
    QVERIFY(press(rig, "pushButtonWritePara", "所有参数保存成功！"));
    QCOMPARE(valuesOf(rig, 0), saved);
    QCOMPARE(writeFrames(rig), applied);

    // the drive echoes the last value written; the reset is judged like that write
    changeOnDrive(rig, 0);
    QVERIFY(press(rig, "pushButtonRecoverFac", "成功写参数:0X200d"));
    QCOMPARE(valuesOf(rig, 0), saved);
}

void ParamSetsE2eTest::copyFromOneDriveToAnother()
{
    SimulatedRig rig;
    rig.sim.drives = {SimDriveConfig{3, 0xA0A0, {0, 2, 5}}, SimDriveConfig{12, 0xB0B0, {0, 2, 5}}};
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    rig.click("pushButton_more");
    QVERIFY(rig.detect(2));
    QTRY_COMPARE_WITH_TIMEOUT(rig.window->worker.pendingOp.load(), 0, 5000);
    changeOnDrive(rig, 1);

    auto* devices = rig.widget<QComboBox>("comboBoxDev");
    devices->setCurrentIndex(0);
    QVERIFY(press(rig, "pushButtonRefreshTable", "更新参数表成功！"));
    QTemporaryDir dir;
    const QString path = dir.filePath("drive-a.json");
    QVERIFY(save(rig, path));

    devices->setCurrentIndex(1);
    QVERIFY(!rig.widget<QPushButton>("pushButtonLoadParaFile")->isEnabled());
    QVERIFY(press(rig, "pushButtonRefreshTable", "更新参数表成功！"));
    rig.sim.clearObservations();
    QVERIFY(loadAndApply(rig, path));
    QVERIFY(press(rig, "pushButtonWritePara", "所有参数保存成功！"));
    QCOMPARE(valuesOf(rig, 1), valuesOf(rig, 0));
    for (const CanFrame& f : rig.framesOfType(8))
        QCOMPARE(int(codec::destination(f.id)), 12);
}

QTEST_MAIN(ParamSetsE2eTest)
#include "tst_e2e_paramsets.moc"
