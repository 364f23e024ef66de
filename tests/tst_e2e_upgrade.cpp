// A firmware upgrade end to end: the real serial port, the simulated drive's
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

bool detectAndChoose(SimulatedRig& rig, const QString& path)
{
    rig.dialogs.openFileName = [path](const QString&, const QString&, const QString&) { return path; };
    rig.click("pushButtonGetDevInfo");
    if (!QTest::qWaitFor([&] { return rig.widget<QComboBox>("comboBoxDev")->count() == 1; }, 5000))
        return false;
    rig.click("pushButtonOpenFile");
    return true;
}

}  // namespace

class E2eUpgradeTest : public QObject {
    Q_OBJECT

private slots:
    void imageWithContinueFrom();
    void failingFinish();
    void blockNeverAnswered();
};

void E2eUpgradeTest::imageWithContinueFrom()
{
    SimulatedRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    QTemporaryFile file;
    const QString path = writeImage(file, 4096);
    QVERIFY(detectAndChoose(rig, path));
    rig.sim.runOnSimThread([&] {
        auto* boot = rig.sim.drive(0)->feature<SimBootloader>();
        boot->continueAtBlock = 300;
        boot->continueFromBlock = 250;
    });

    rig.click("pushButtonInOtaMode");
    QTRY_VERIFY_WITH_TIMEOUT(rig.widget<QPushButton>("pushButtonStartOta")->isEnabled(), 5000);
    QCOMPARE(rig.widget<QLabel>("labelOtaInfo")->text(), QString::fromUtf8("设备已进入升级模式！"));
    rig.click("pushButtonStartOta");
    auto* info = rig.widget<QLabel>("labelOtaInfo");
    QTRY_COMPARE_WITH_TIMEOUT(info->text(), QString::fromUtf8("升级成功！"), 20000);
    QCOMPARE(info->styleSheet(), QString("color:green;"));
    QCOMPARE(rig.widget<QPushButton>("pushButtonInOtaMode")->text(), QString::fromUtf8("启动升级"));
    QVERIFY(rig.window->otaIdle);

    QByteArray assembled;
    int received = 0;
    rig.sim.runOnSimThread([&] {
        auto* boot = rig.sim.drive(0)->feature<SimBootloader>();
        assembled = boot->assembled();
        received = boot->blocksReceived;
    });
    file.seek(0);
    QCOMPARE(assembled, file.readAll());
    QCOMPARE(received, 512 + 51);  // blocks 250..300 went twice
}

void E2eUpgradeTest::failingFinish()
{
    SimulatedRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    QTemporaryFile file;
    QVERIFY(detectAndChoose(rig, writeImage(file, 100)));
    rig.sim.runOnSimThread([&] { rig.sim.drive(0)->feature<SimBootloader>()->failFinish = true; });
    rig.click("pushButtonInOtaMode");
    QTRY_VERIFY_WITH_TIMEOUT(rig.widget<QPushButton>("pushButtonStartOta")->isEnabled(), 5000);
    rig.click("pushButtonStartOta");
    auto* info = rig.widget<QLabel>("labelOtaInfo");
    QTRY_COMPARE_WITH_TIMEOUT(info->text(), QString::fromUtf8("升级失败"), 10000);
    QCOMPARE(info->styleSheet(), QString("color:red;"));
    QVERIFY(rig.window->otaIdle);
}

void E2eUpgradeTest::blockNeverAnswered()
{
    SimulatedRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    QTemporaryFile file;
    QVERIFY(detectAndChoose(rig, writeImage(file, 4096)));
    rig.sim.runOnSimThread([&] { rig.sim.drive(0)->feature<SimBootloader>()->unansweredBlock = 100; });
    rig.click("pushButtonInOtaMode");
    QTRY_VERIFY_WITH_TIMEOUT(rig.widget<QPushButton>("pushButtonStartOta")->isEnabled(), 5000);
    rig.click("pushButtonStartOta");
    auto* info = rig.widget<QLabel>("labelOtaInfo");
    QTRY_COMPARE_WITH_TIMEOUT(info->text(), QString::fromUtf8("升级中止：数据块 100 无应答"), 10000);
    QCOMPARE(info->styleSheet(), QString("color:red;"));
    QCOMPARE(rig.widget<QProgressBar>("progressBar")->value(), 100);
    QVERIFY(rig.window->otaIdle);
    int received = 0;
    rig.sim.runOnSimThread([&] { received = rig.sim.drive(0)->feature<SimBootloader>()->blocksReceived; });
    QCOMPARE(received, 100 + 4);  // the block and its three re-sends

    // the drive answers again: a new upgrade runs through
    rig.sim.runOnSimThread([&] { rig.sim.drive(0)->feature<SimBootloader>()->unansweredBlock = -1; });
    rig.click("pushButtonInOtaMode");
    QTRY_VERIFY_WITH_TIMEOUT(rig.widget<QPushButton>("pushButtonStartOta")->isEnabled(), 5000);
    rig.click("pushButtonStartOta");
    QTRY_COMPARE_WITH_TIMEOUT(info->text(), QString::fromUtf8("升级成功！"), 20000);
}

QTEST_MAIN(E2eUpgradeTest)
#include "tst_e2e_upgrade.moc"
