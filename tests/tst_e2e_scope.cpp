// The oscilloscope end to end: the real serial port against the simulated
// drive's table and oscilloscope. Configure, start, a second of samples into
// the plot and the wave file (read while it grows), stop; an error reply with
// the drive's range and a stop the drive never confirms.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "scope/wavedisplay.h"
#include "sim/simscope.h"
#include "support/e2e.h"

namespace {

bool readyWithTable(SimulatedRig& rig)
{
    if (!rig.ready())
        return false;
    rig.click("pushButtonRefreshTable");
    return rig.waitForLabel("labelParaInfo", QString::fromUtf8("更新参数表成功！"), 10000);
}

bool waitInfo(SimulatedRig& rig, const char* text)
{
    return rig.waitForLabel("label_selChInfo", QString::fromUtf8(text), 5000);
}

}  // namespace

class E2eScopeTest : public QObject {
    Q_OBJECT

private slots:
    void streamIntoPlotAndFile();
    void stopNeverConfirmed_data();
    void stopNeverConfirmed();
};

void E2eScopeTest::streamIntoPlotAndFile()
{
    SimulatedRig rig;
    QVERIFY(readyWithTable(rig));

    QTemporaryDir dir;
    const QString path = dir.filePath("wave.txt");
    rig.dialogs.saveFileName = [path](const QString&, const QString&, const QString&) { return path; };
    // a sine (uint8), a square (float) and a ramp (int16) at 500 Hz
    rig.widget<QComboBox>("comboBoxCh1")->setCurrentIndex(1);   // 0x2003
    rig.widget<QComboBox>("comboBoxCh4")->setCurrentIndex(3);   // 0x2005
    rig.widget<QComboBox>("comboBoxCh6")->setCurrentIndex(17);  // 0x3005
    rig.widget<QLineEdit>("lineEditSetEchoFre")->setText("500");
    rig.click("pushButtonEchoSet");
    QVERIFY(waitInfo(rig, "通道配置成功！"));
    rig.click("pushButtonSaveWave");
    QVERIFY(rig.window->worker.waveSaving);

    rig.click("pushButtonEchoStart");
    // while the stream runs, the file already holds every decoded sample's line
    for (int look = 0; look < 10; ++look) {
        QTest::qWait(100);
        QFile growing(path);
        QVERIFY(growing.open(QIODevice::ReadOnly));
        QCOMPARE(int(growing.readAll().count('\n')), int(rig.window->worker.decodedSamples));
    }
    rig.click("pushButtonEchoStart");
    QVERIFY(waitInfo(rig, "成功停止"));
    rig.click("pushButtonSaveWave");

    const int decoded = int(rig.window->worker.decodedSamples);
    int sent = 0;
    rig.sim.runOnSimThread([&] { sent = rig.sim.drive(0)->feature<SimScope>()->samplesSent; });
    QVERIFY2(decoded >= 300, qPrintable(QString::number(decoded)));
    QCOMPARE(decoded, sent);
    QCOMPARE(int(rig.window->worker.droppedSamples), 0);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size() - 1, decoded);
    for (int i = 0; i + 1 < lines.size(); ++i)
        QCOMPARE(lines[i].size(), 14 + 4 + 12 + 7 + 1);

    // the plot shows three whole windows, the last point at the last sample's time
    auto* plot = rig.widget<waveDisplay>("waveShow");
    for (int k : {0, 3, 5}) {
        QVERIFY(plot->graph(k)->visible());
        QVERIFY(plot->graph(k)->dataCount() > 0);
    }
    QVERIFY(plot->graph(0)->dataCount() <= decoded);
    QVERIFY(plot->graph(0)->dataCount() >= decoded - int(rig.window->worker.emitEvery));
    QVERIFY(!plot->graph(1)->visible());
}

void E2eScopeTest::stopNeverConfirmed_data()
{
    QTest::addColumn<bool>("keepsStreaming");
    QTest::newRow("keeps streaming") << true;
    QTest::newRow("falls silent") << false;
}

void E2eScopeTest::stopNeverConfirmed()
{
    QFETCH(bool, keepsStreaming);
    SimulatedRig rig;
    QVERIFY(readyWithTable(rig));
    // an error reply shows the range the drive reports
    rig.sim.runOnSimThread([&] {
        auto* scope = rig.sim.drive(0)->feature<SimScope>();
        scope->frequencyMax = 2000;
        scope->frequencyMin = 5;
        scope->frequencyErrorCode = 1;
    });
    rig.widget<QComboBox>("comboBoxCh1")->setCurrentIndex(1);
    rig.click("pushButtonEchoSet");
    QVERIFY(waitInfo(rig, "示波器配置发送错误:2/频率配置超出范围5~2000"));
    QVERIFY(!rig.widget<QPushButton>("pushButtonEchoStart")->isEnabled());

    rig.sim.runOnSimThread([&] {
        auto* scope = rig.sim.drive(0)->feature<SimScope>();
        scope->frequencyErrorCode = 0;
        scope->ignoreStops = keepsStreaming ? 1000 : 0;
        scope->stopWithoutReply = !keepsStreaming;
    });
    rig.click("pushButtonEchoSet");
    QVERIFY(waitInfo(rig, "通道配置成功！"));
    rig.click("pushButtonEchoStart");
    QVERIFY(QTest::qWaitFor([&] { return rig.window->worker.decodedSamples > 20; }, 5000));

    auto* startStop = rig.widget<QPushButton>("pushButtonEchoStart");
    rig.click("pushButtonEchoStart");
    QVERIFY(!startStop->isEnabled());
    QVERIFY(waitInfo(rig, "示波器未确认停止"));
    QCOMPARE(rig.widget<QLabel>("label_selChInfo")->styleSheet(), QStringLiteral("color:red;"));
    for (const char* name : {"pushButtonEchoStart", "pushButtonEchoSet"})
        QVERIFY2(rig.widget<QPushButton>(name)->isEnabled(), name);
    QVERIFY(rig.widget<QLineEdit>("lineEditSetEchoFre")->isEnabled());
    QVERIFY(rig.widget<QComboBox>("comboBoxCh1")->isEnabled());
    QCOMPARE(rig.window->worker.pendingOp.load(), int(opNone));

    // Repeated every 2 ms at most until a sample arrives, for a second at most, and then never again.
    int stops = 0;
    rig.sim.runOnSimThread([&] { stops = rig.sim.drive(0)->feature<SimScope>()->stopRequests; });
    QVERIFY2(stops >= 1 && stops <= 500, qPrintable(QString::number(stops)));
    QTest::qWait(100);
    int later = 0;
    rig.sim.runOnSimThread([&] { later = rig.sim.drive(0)->feature<SimScope>()->stopRequests; });
    QCOMPARE(later, stops);
}

QTEST_MAIN(E2eScopeTest)
#include "tst_e2e_scope.moc"
