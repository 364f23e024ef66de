// The adapter handshake end to end: the real serial port against the
// simulated adapter on a pseudo-terminal.

#include <QPushButton>
#include <QSerialPort>
#include <QtTest>

#include "support/e2e.h"

class HandshakeTest : public QObject {
    Q_OBJECT

private slots:
    void adapterAtWorkingRate();
    void adapterFoundByRateScan();
    void silentAdapter();
    void closingStopsPendingOperation();
    void moduleQuery();
};

void HandshakeTest::adapterAtWorkingRate()
{
    SimulatedRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    QVERIFY(rig.widget<QPushButton>("pushButtonGetDevInfo")->isEnabled());
    QCOMPARE(rig.sim.textsReceived().first(), QByteArray("AT+AT\r\n"));
    QVERIFY(!rig.statusMessages.join('|').contains(QString::fromUtf8("配置串口：")));
}

void HandshakeTest::adapterFoundByRateScan()
{
    SimulatedRig rig;
    rig.sim.adapterRate = 115200;
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    const QStringList expected = {QString::fromUtf8("成功打开串口：921600,8,1,0"), QString::fromUtf8("配置串口：9600"),
                                  QString::fromUtf8("配置串口：115200"), QString::fromUtf8("CAN模块配置成功！")};
    QStringList seen = rig.statusMessages;
    seen.removeDuplicates();
    QCOMPARE(seen.mid(0, 3), expected.mid(0, 3));
    QCOMPARE(rig.statusMessages.last(), expected.last());
    QVERIFY(rig.widget<QPushButton>("pushButtonGetDevInfo")->isEnabled());
    QCOMPARE(rig.sim.currentAdapterRate(), 921600);
    QCOMPARE(rig.window->serialPort->baudRate(), 921600);
    QStringList texts;
    for (const QByteArray& t : rig.sim.textsReceived())
        texts << QString::fromLatin1(t).trimmed();
    QCOMPARE(texts, (QStringList{"AT+CG", "AT+CAN_MODE=0", "AT+CAN_FRAMEFORMAT=1,0,1,0", "AT+CAN_FILTER0=1,0,0,0",
                                 "AT+CAN_BAUD=1000000", "AT+USART_PARAM=921600,0,0,0", "AT+AT"}));
}

void HandshakeTest::silentAdapter()
{
    SimulatedRig rig;
    rig.sim.adapterSilent = true;
    QVERIFY(rig.start());
    QVERIFY(!rig.openAndHandshake());
    QStringList scans;
    for (const QString& m : rig.statusMessages)
        if (m.startsWith(QString::fromUtf8("配置串口：")))
            scans << m.mid(5);
    QCOMPARE(scans, (QStringList{"9600", "115200", "1200", "2400", "4800", "19200", "38400", "57600", "230400", "460800",
                                 "1152000"}));
    QCOMPARE(rig.statusMessages.last(), QString::fromUtf8("CAN模块配置失败，请检查CAN设备及配置！"));
    QVERIFY(!rig.widget<QPushButton>("pushButtonGetDevInfo")->isEnabled());
}

void HandshakeTest::closingStopsPendingOperation()
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

void HandshakeTest::moduleQuery()
{
    SimulatedRig rig;
    rig.sim.adapterBaudCode = 2;
    rig.sim.adapterFrameCode = 2;
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    rig.click("pushButton_15");
    QTRY_COMPARE(rig.window->worker.adapterBaudCode, uint8_t(2));
    QTRY_COMPARE(rig.window->worker.adapterFrameCode, uint8_t(2));
}

QTEST_MAIN(HandshakeTest)
#include "tst_e2e_handshake.moc"
