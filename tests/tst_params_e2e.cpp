// The parameter table end to end: the real serial port against the simulated
// drive. Refresh, read-all, an edit written back and saved, factory reset,
// and a faulty descriptor stream.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "sim/simparamtable.h"
#include "support/e2e.h"

namespace {

bool detect(SimulatedRig& rig)
{
    rig.click("pushButtonGetDevInfo");
    return QTest::qWaitFor([&] { return rig.widget<QComboBox>("comboBoxDev")->count() == 1; }, 5000);
}

QLabel* info(SimulatedRig& rig) { return rig.widget<QLabel>("labelParaInfo"); }

bool waitInfo(SimulatedRig& rig, const QString& text, int ms = 5000)
{
    return QTest::qWaitFor([&] { return info(rig)->text() == text; }, ms);
}

}  // namespace

class ParamsE2eTest : public QObject {
    Q_OBJECT

private slots:
    void refreshReadEditWriteSaveReset();
    void faultyStreamReportsItsBits();
};

void ParamsE2eTest::refreshReadEditWriteSaveReset()
{
    SimulatedRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    QVERIFY(detect(rig));

    rig.click("pushButtonRefreshTable");
    QVERIFY(waitInfo(rig, QString::fromUtf8("更新参数表成功！")));
    auto* table = rig.widget<QTableWidget>("tableWidgetPara");
    QCOMPARE(table->rowCount(), 25);
    QCOMPARE(table->item(0, 6)->text(), QString("Axis-A"));

    rig.sim.runOnSimThread([&] {
        rig.sim.drive(0)->feature<SimParamTable>()->kinds[3][1].value = SimParamTable::encode(6, 23.5);
    });
    rig.click("pushButtonReadPara");
    QVERIFY(waitInfo(rig, QString::fromUtf8("成功读取所有参数！")));
    const int busVoltage = rig.window->worker.firstRow[ReadOnlyParam] + 1;
    QCOMPARE(table->item(busVoltage, 6)->text(), QString("23.500000"));

    const int timeout = rig.window->worker.firstRow[WritableParam] + 3;
    table->item(timeout, 6)->setText("77");
    QCOMPARE(table->item(timeout, 6)->foreground().color(), QColor(Qt::red));
    rig.click("pushButtonWritePara");
    QVERIFY(waitInfo(rig, QString::fromUtf8("所有参数保存成功！")));
    QCOMPARE(table->item(timeout, 6)->foreground().color(), QColor(Qt::black));
    double written = 0;
    int saves = 0;
    rig.sim.runOnSimThread([&] {
        auto* params = rig.sim.drive(0)->feature<SimParamTable>();
        written = SimParamTable::decode(0, params->kinds[2][3].value);
        saves = params->saves;
    });
    QCOMPARE(written, 77.0);
    QCOMPARE(saves, 1);

    rig.click("pushButtonRecoverFac");
    // the drive echoes the last value written; the reset is judged like that write
    QVERIFY(waitInfo(rig, QString::fromUtf8("成功写参数:0X2003")));
    rig.sim.runOnSimThread([&] { written = SimParamTable::decode(0, rig.sim.drive(0)->feature<SimParamTable>()->kinds[2][3].value); });
    QCOMPARE(written, 10.0);
}

void ParamsE2eTest::faultyStreamReportsItsBits()
{
    SimulatedRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    QVERIFY(detect(rig));
    rig.sim.runOnSimThread([&] { rig.sim.drive(0)->feature<SimParamTable>()->dropDescriptorFrame = 4; });
    rig.click("pushButtonRefreshTable");
    QVERIFY(waitInfo(rig, QString::fromUtf8("Error updating parameter table code:0X820/Missing frames/参数 0X0000 不完整")));
    QCOMPARE(info(rig)->styleSheet(), QString("color:red;"));
    QVERIFY(rig.widget<QPushButton>("pushButtonRefreshTable")->isEnabled());

    // silence after the request: the download times out
    rig.sim.runOnSimThread([&] {
        auto* params = rig.sim.drive(0)->feature<SimParamTable>();
        params->dropDescriptorFrame = -1;
        params->answerDescriptors = false;
    });
    rig.click("pushButtonRefreshTable");
    QVERIFY(waitInfo(rig, QString::fromUtf8("更新参数表失败！"), 3000));
}

QTEST_MAIN(ParamsE2eTest)
#include "tst_params_e2e.moc"
