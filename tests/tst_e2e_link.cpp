// The adapter and the link end to end: the real serial port against the
// simulated adapter on a pseudo-terminal. The handshake at the working rate,
// by a rate scan, and with a silent adapter; closing during the handshake; the
// adapter unplugged and plugged in again behind a stable link.

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include "support/e2e.h"

namespace {

// Enabled state and text of every control but the log view, the status bar
// and the last line sent.
QStringList controlStates(const MainWindow& w)
{
    QStringList states;
    for (const QAbstractButton* b : w.findChildren<QAbstractButton*>())
        states << b->objectName() + (b->isEnabled() ? " on " : " off ") + b->text();
    for (const QComboBox* c : w.findChildren<QComboBox*>())
        states << c->objectName() + (c->isEnabled() ? " on " : " off ") + QString::number(c->count()) + " " +
                      c->currentText();
    for (const QLineEdit* e : w.findChildren<QLineEdit*>())
        if (e->objectName() != QLatin1String("lineEditTxData"))
            states << e->objectName() + (e->isEnabled() ? " on " : " off ") + e->text();
    return states;
}

QStringList trimmed(const QList<QByteArray>& texts)
{
    QStringList out;
    for (const QByteArray& t : texts)
        out << QString::fromLatin1(t).trimmed();
    return out;
}

}  // namespace

class E2eLinkTest : public QObject {
    Q_OBJECT

private slots:
    void handshake_data();
    void handshake();
    void closingStopsPendingOperation();
    void unplugAndReplug();
    void waitEnds_data();
    void waitEnds();
};

void E2eLinkTest::handshake_data()
{
    QTest::addColumn<int>("adapterRate");  // 0: silent
    QTest::addColumn<QStringList>("scanned");
    QTest::addColumn<QStringList>("texts");

    const QStringList configuration = {"AT+CG", "AT+CAN_MODE=0", "AT+CAN_FRAMEFORMAT=1,0,1,0", "AT+CAN_FILTER0=1,0,0,0",
                                       "AT+CAN_BAUD=1000000", "AT+USART_PARAM=921600,0,0,0", "AT+AT"};
    QTest::newRow("at the working rate") << 921600 << QStringList() << QStringList{"AT+AT"};
    QTest::newRow("found by the rate scan") << 115200 << QStringList{"9600", "115200"} << configuration;
    QTest::newRow("silent") << 0
                            << QStringList{"9600", "115200", "1200", "2400", "4800", "19200", "38400", "57600", "230400",
                                           "460800", "1152000"}
                            << QStringList();
}

void E2eLinkTest::handshake()
{
    QFETCH(int, adapterRate);
    QFETCH(QStringList, scanned);
    QFETCH(QStringList, texts);
    SimulatedRig rig;
    rig.sim.adapterSilent = adapterRate == 0;
    if (adapterRate)
        rig.sim.adapterRate = adapterRate;
    QVERIFY(rig.start());
    QCOMPARE(rig.openAndHandshake(), adapterRate != 0);
    QCOMPARE(rig.statusMessages.first(), QString::fromUtf8("成功打开串口：921600,8,1,0"));
    QStringList scans;
    for (const QString& m : rig.statusMessages)
        if (m.startsWith(QString::fromUtf8("配置串口：")) && (scans.isEmpty() || scans.last() != m.mid(5)))
            scans << m.mid(5);
    QCOMPARE(scans, scanned);
    QCOMPARE(rig.statusMessages.last(), adapterRate ? QString::fromUtf8("CAN模块配置成功！")
                                                    : QString::fromUtf8("CAN模块配置失败，请检查CAN设备及配置！"));
    QCOMPARE(rig.widget<QAbstractButton>("pushButtonGetDevInfo")->isEnabled(), adapterRate != 0);
    if (!adapterRate)
        return;
    QCOMPARE(trimmed(rig.sim.textsReceived()), texts);
    QCOMPARE(rig.sim.currentAdapterRate(), 921600);
    QCOMPARE(rig.window->serialPort->baudRate(), 921600);
}

void E2eLinkTest::closingStopsPendingOperation()
{
    SimulatedRig rig;
    rig.sim.adapterSilent = true;
    QVERIFY(rig.start());
    rig.click("pushButtonOpenCom");
    QVERIFY(rig.window->portOpen);
    QTest::qWait(100);
    rig.click("pushButtonOpenCom");  // close while the probe waits
    QVERIFY(!rig.window->portOpen);
    QCOMPARE(rig.window->worker.pendingOp.load(), 0);
    const QStringList before = rig.statusMessages;
    int writes = 0;
    connect(&rig.window->worker, &otaThread::WriteToSerial, this, [&] { ++writes; });
    QTest::qWait(800);  // longer than the probe's time-out
    QCOMPARE(rig.statusMessages, before);
    QCOMPARE(writes, 0);
}

void E2eLinkTest::unplugAndReplug()
{
    QTemporaryDir dir;
    SimulatedRig rig;
    rig.sim.linkPath = dir.filePath("ttyCH340");
    QVERIFY(rig.ready());
    rig.click("pushButtonCfgContinous");  // a stream of drive commands in flight
    QVERIFY(rig.sawFrame([](const CanFrame& f) { return (f.id >> 24) == 1; }));
    const QString logBefore = rig.log();

    rig.sim.unplug();
    rig.sim.clearObservations();
    QVERIFY(rig.waitForStatus(QString::fromUtf8("串口已断开！"), 3000));
    QVERIFY(!rig.window->portOpen);
    QCOMPARE(rig.window->worker.pendingOp.load(), int(opNone));
    QVERIFY(rig.log().startsWith(logBefore));
    const QString last = rig.log().split(QLatin1Char('\n')).last();
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d 串口已断开！$")).match(last).hasMatch(),
             qPrintable(last));
    const QStringList afterLoss = controlStates(*rig.window);

    rig.sim.replug();
    const QString reconnected = QString::fromUtf8("串口已重新连接：") + rig.sim.linkPath;
    QVERIFY2(rig.waitForStatus(reconnected, 3000), qPrintable(rig.statusMessages.join("|")));
    QVERIFY(rig.window->portOpen);
    const QString ready = QString::fromUtf8("CAN模块配置成功！");
    QVERIFY(QTest::qWaitFor([&] { return rig.statusMessages.lastIndexOf(ready) > rig.statusMessages.indexOf(reconnected); }, 3000));
    QTest::qWait(300);
    QCOMPARE(rig.sim.framesReceived().size(), 0);  // no drive command is repeated
    QCOMPARE(rig.sim.textsReceived().value(0), QByteArray("AT+AT\r\n"));
    QVERIFY(rig.log().startsWith(logBefore));

    // The loss left every control as a Close click does.
    QVERIFY(rig.detect());
    rig.click("pushButtonOpenCom");
    QCOMPARE(controlStates(*rig.window), afterLoss);
}

void E2eLinkTest::waitEnds_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<bool>("beforeUnplug");
    QTest::newRow("closed by hand") << QByteArray("pushButtonOpenCom") << true;
    QTest::newRow("Refresh COM") << QByteArray("pushButtonRefreshCom") << false;
    QTest::newRow("Open while away") << QByteArray("pushButtonOpenCom") << false;
}

void E2eLinkTest::waitEnds()
{
    QFETCH(QByteArray, button);
    QFETCH(bool, beforeUnplug);
    QTemporaryDir dir;
    SimulatedRig rig;
    rig.sim.linkPath = dir.filePath("ttyCH340");
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    if (beforeUnplug)
        rig.click(button.constData());
    rig.sim.unplug();
    if (!beforeUnplug) {
        QVERIFY(rig.waitForStatus(QString::fromUtf8("串口已断开！"), 3000));
        rig.click(button.constData());
    }
    QVERIFY(!rig.window->portOpen);
    rig.sim.replug();
    QTest::qWait(1000);
    QVERIFY(!rig.window->portOpen);
    QVERIFY(!rig.statusMessages.join('|').contains(QString::fromUtf8("串口已重新连接：")));
}

QTEST_MAIN(E2eLinkTest)
#include "tst_e2e_link.moc"
