// Firmware upgrades end to end: the real serial port, the simulated drive's
// boot loader, the image compared byte for byte.

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryFile>
#include <QtTest>

#include "sim/simbootloader.h"
#include "support/e2e.h"

namespace {

QString writeImage(QTemporaryFile& file, int size)
{
    QByteArray image(size, '\0');
    quint32 x = 12345;
    for (int i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        image[i] = char(x >> 24);
    }
    file.open();
    file.write(image);
    file.flush();
    return file.fileName();
}

// Erase, wait for the boot loader, start, and wait for the outcome in labelOtaInfo.
void upgrade(SimulatedRig& rig, const QString& outcome)
{
    rig.click("pushButtonInOtaMode");
    QTRY_VERIFY_WITH_TIMEOUT(rig.widget<QPushButton>("pushButtonStartOta")->isEnabled(), 5000);
    QCOMPARE(rig.widget<QLabel>("labelOtaInfo")->text(), QString::fromUtf8("设备已进入升级模式！"));
    rig.click("pushButtonStartOta");
    QTRY_COMPARE_WITH_TIMEOUT(rig.widget<QLabel>("labelOtaInfo")->text(), outcome, 20000);
}

}  // namespace

class E2eUpgradeTest : public QObject {
    Q_OBJECT

private slots:
    void unansweredBlockFailingFinishThenContinueFrom();
};

void E2eUpgradeTest::unansweredBlockFailingFinishThenContinueFrom()
{
    SimulatedRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    QTemporaryFile file;
    const QString path = writeImage(file, 4096);
    rig.dialogs.openFileName = [path](const QString&, const QString&, const QString&) { return path; };
    rig.click("pushButtonGetDevInfo");
    QTRY_COMPARE_WITH_TIMEOUT(rig.widget<QComboBox>("comboBoxDev")->count(), 1, 5000);
    rig.click("pushButtonOpenFile");
    auto* info = rig.widget<QLabel>("labelOtaInfo");
    SimBootloader* boot = nullptr;
    const auto onSim = [&](const std::function<void()>& f) { rig.sim.runOnSimThread(f); };
    onSim([&] { boot = rig.sim.drive(0)->feature<SimBootloader>(); });

    onSim([&] { boot->unansweredBlock = 100; });
    upgrade(rig, QString::fromUtf8("升级中止：数据块 100 无应答"));
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(info->styleSheet(), QString("color:red;"));
    QCOMPARE(rig.widget<QProgressBar>("progressBar")->value(), 100);
    QVERIFY(rig.window->otaIdle);
    int received = 0;
    onSim([&] { received = boot->blocksReceived; });
    QCOMPARE(received, 100 + 4);  // the block and its three re-sends

    // the drive answers again, but refuses the finished image
    onSim([&] {
        boot->unansweredBlock = -1;
        boot->failFinish = true;
    });
    upgrade(rig, QString::fromUtf8("升级失败"));
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(info->styleSheet(), QString("color:red;"));
    QVERIFY(rig.window->otaIdle);

    // asked to continue from an earlier block, the image still arrives whole
    onSim([&] {
        boot->failFinish = false;
        boot->continueAtBlock = 300;
        boot->continueFromBlock = 250;
    });
    upgrade(rig, QString::fromUtf8("升级成功！"));
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(info->styleSheet(), QString("color:green;"));
    QCOMPARE(rig.widget<QPushButton>("pushButtonInOtaMode")->text(), QString::fromUtf8("启动升级"));
    QVERIFY(rig.window->otaIdle);
    QByteArray assembled;
    onSim([&] {
        assembled = boot->assembled();
        received = boot->blocksReceived;
    });
    file.seek(0);
    QCOMPARE(assembled, file.readAll());
    QCOMPARE(received, 512 + 51);  // blocks 250..300 went twice
}

QTEST_MAIN(E2eUpgradeTest)
#include "tst_e2e_upgrade.moc"
