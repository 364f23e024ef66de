// The run loop in virtual time: every pending operation's poll count to its
// time-out, acknowledgements, retries and the periodic jobs.

#include <QtTest>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "protocol/otathread.h"
#include "tests/support/virtualclock.h"

namespace {

// Drives the worker's loop on the test thread; sleeping only advances a clock.
struct VirtualLoop {
    otaThread& worker;
    VirtualClock clock;
    quint64 now = 0;
    int polls = 0;
    QList<int> states;
    QList<QPair<quint64, QByteArray>> written;

    explicit VirtualLoop(otaThread& w) : worker(w)
    {
        clock.onSleep = [this](unsigned ms) { now += ms; };
        worker.setClock(&clock);
        QObject::connect(&worker, &otaThread::sendState, [this] { states << worker.stateCode; });
        QObject::connect(&worker, &otaThread::WriteToSerial,
                         [this](QByteArray d, qint16) { written << qMakePair(now, d); });
    }
    // Polls until `done` or the operation ended, at most `limit` passes.
    void runUntilIdle(int limit = 100000)
    {
        for (polls = 0; polls < limit && worker.pendingOp.load() != 0; ++polls)
            worker.pollOnce();
    }
};

}  // namespace

class RunLoopTest : public QObject {
    Q_OBJECT

private slots:
    void timeouts_data();
    void timeouts();
    void configurationSteps();
    void eraseWaitsForTheOperator();
    void unansweredBlock_data();
    void unansweredBlock();
    void tableDownloadEndsOnEndFrame();
    void scanOrder();
    void motionStream();
    void commandDuringTickReplacesOperation();
    void unsupervisedStatesResetCounter();
    void threadStopsOnRequest();
};

void RunLoopTest::timeouts_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("polls");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("virtualMs");
    QTest::addColumn<int>("ackState");  // acknowledged on the last poll before the time-out; -1: not checked here
    QTest::newRow("1 probe") << 1 << 26 << 1 << 520 << 2;
    QTest::newRow("2 enter config") << 2 << 11 << 3 << 220 << 4;
    QTest::newRow("3 config step") << 3 << 26 << 5 << 520 << -1;
    QTest::newRow("4 erase") << 4 << 801 << 7 << 80100 << -1;
    QTest::newRow("5 info") << 5 << 21 << 12 << 2100 << -1;
    QTest::newRow("9 set id") << 9 << 21 << 17 << 2100 << 16;
    QTest::newRow("10 reset") << 10 << 21 << 19 << 2100 << 18;
    QTest::newRow("11 motor") << 11 << 21 << 21 << 2100 << 20;
    QTest::newRow("12 brake") << 12 << 21 << 23 << 2100 << 22;
    QTest::newRow("13 calibration") << 13 << 21 << 25 << 2100 << 24;
    QTest::newRow("14 zero") << 14 << 21 << 27 << 2100 << 26;
    QTest::newRow("17 table") << 17 << 21 << 38 << 1050 << -1;
    QTest::newRow("19 read") << 19 << 21 << 41 << 1050 << -1;
    QTest::newRow("21 write") << 21 << 11 << 44 << 550 << -1;
    QTest::newRow("28 scope config") << 28 << 21 << 48 << 1050 << -1;
}

void RunLoopTest::timeouts()
{
    QFETCH(int, op);
    QFETCH(int, polls);
    QFETCH(int, state);
    QFETCH(int, virtualMs);
    QFETCH(int, ackState);
    {
        otaThread worker;
        VirtualLoop loop(worker);
        worker.setPending(op);
        loop.runUntilIdle();
        QCOMPARE(loop.polls, polls);
        QCOMPARE(loop.states, QList<int>{state});
        QCOMPARE(int(loop.now), virtualMs);
    }
    if (ackState < 0)
        return;
    otaThread worker;
    VirtualLoop loop(worker);
    worker.setPending(op);
    for (int i = 1; i < polls; ++i)
        worker.pollOnce();
    QVERIFY(loop.states.isEmpty());
    worker.ackFlag = 1;
    worker.pollOnce();
    QCOMPARE(loop.states, QList<int>{ackState});
    QCOMPARE(worker.pendingOp.load(), 0);
}

void RunLoopTest::configurationSteps()
{
    otaThread worker;
    VirtualLoop loop(worker);
    worker.execute(cmdAdapterEnterConfig);
    worker.execute(cmdAdapterConfigStep);
    for (int step = 0; step < 5; ++step) {
        worker.pollOnce();
        worker.getSerialData("OK\r\n");
        worker.pollOnce();
    }
    loop.runUntilIdle();
    QCOMPARE(loop.states.count(6), 1);
    QCOMPARE(loop.states.count(5), 0);
    QCOMPARE(int(worker.adapterStep), 5);
    QStringList texts;
    for (const auto& w : loop.written)
        texts << QString::fromLatin1(w.second).trimmed();
    QCOMPARE(texts, (QStringList{"AT+CG", "AT+CAN_MODE=0", "AT+CAN_FRAMEFORMAT=1,0,1,0", "AT+CAN_FILTER0=1,0,0,0",
                                 "AT+CAN_BAUD=1000000", "AT+USART_PARAM=921600,0,0,0"}));
}

void RunLoopTest::eraseWaitsForTheOperator()
{
    otaThread worker;
    VirtualLoop loop(worker);
    worker.setPending(opOtaErase);
    worker.pollOnce();
    worker.ackFlag = 1;
    worker.pollOnce();
    QCOMPARE(loop.states, QList<int>{8});
    QCOMPARE(worker.pendingOp.load(), int(opOtaInfo));
    for (int i = 0; i < 1000; ++i)
        worker.pollOnce();
    QCOMPARE(loop.states, QList<int>{8});  // no time-out while the erase's flag stays set
    QCOMPARE(worker.pendingOp.load(), int(opOtaInfo));
}

void RunLoopTest::tableDownloadEndsOnEndFrame()
{
    otaThread worker;
    VirtualLoop loop(worker);
    worker.setPending(opReadParaTable);
    for (int i = 0; i < 100; ++i) {  // frames keep the download alive
        worker.ackFlag = 1;
        worker.pollOnce();
    }
    QCOMPARE(worker.pendingOp.load(), int(opReadParaTable));
    worker.lastFrameCode = 9;
    worker.ackFlag = 1;
    worker.pollOnce();
    QCOMPARE(worker.pendingOp.load(), 0);
    QVERIFY(loop.states.isEmpty());
}

void RunLoopTest::scanOrder()
{
    otaThread worker;
    VirtualLoop loop(worker);
    worker.multiDeviceMode = true;
    worker.execute(cmdScanDevices);
    loop.runUntilIdle();
    QVERIFY(loop.states.isEmpty());
    QCOMPARE(loop.written.size(), 127);
    QList<int> ids;
    QSet<int> distinct;
    for (const auto& w : loop.written) {
        const CanFrame probe = adapterline::parseDataLine(w.second);
        QCOMPARE(codec::commType(probe.id), uint8_t(0));
        QCOMPARE(codec::field(probe.id), uint16_t(0xFD));
        QCOMPARE(w.second.size(), 10);
        ids << codec::destination(probe.id);
        distinct << codec::destination(probe.id);
    }
    QCOMPARE(distinct.size(), 127);
    QCOMPARE(ids.mid(0, 3), (QList<int>{1, 9, 17}));
    QCOMPARE(ids[15], 121);
    QCOMPARE(ids[16], 2);
    QCOMPARE(ids.last(), 120);
    QCOMPARE(loop.written[1].first - loop.written[0].first, quint64(8));
}

void RunLoopTest::motionStream()
{
    otaThread worker;
    VirtualLoop loop(worker);
    worker.targetId = 3;
    worker.execute(cmdMotionContinuous);
    for (int i = 0; i < 4; ++i)
        worker.pollOnce();
    worker.setPosition = 12.57f;
    for (int i = 0; i < 2; ++i)
        worker.pollOnce();
    QCOMPARE(loop.written.size(), 6);
    QCOMPARE(loop.written[0].first, quint64(50));
    QCOMPARE(loop.written[5].first, quint64(300));
    QCOMPARE(adapterline::parseDataLine(loop.written[3].second).data[0], uint8_t(0x7F));
    QCOMPARE(adapterline::parseDataLine(loop.written[4].second).data[0], uint8_t(0xFF));
    QCOMPARE(int(worker.encodedSetPoints[0]), 65535);
    worker.execute(cmdIdle);
    worker.pollOnce();
    QCOMPARE(loop.written.size(), 6);
}

void RunLoopTest::unansweredBlock_data()
{
    QTest::addColumn<int>("answeredAfter");  // re-sends of block 1 before the drive answers again; -1: never
    QTest::addColumn<QList<quint64>>("sentAt");  // virtual ms of each frame of block 1
    QTest::addColumn<QList<int>>("states");
    QTest::newRow("never answered") << -1 << QList<quint64>{0, 1000, 2000, 3000} << QList<int>{stOtaBlockUnanswered};
    QTest::newRow("answered after two re-sends") << 2 << QList<quint64>{0, 1000, 2000}
                                                 << QList<int>{stOtaBlockAcked, stOtaTransferDone};
}

void RunLoopTest::unansweredBlock()
{
    QFETCH(int, answeredAfter);
    QFETCH(QList<quint64>, sentAt);
    QFETCH(QList<int>, states);
    otaThread worker;
    VirtualLoop loop(worker);
    worker.targetId = 3;
    loop.clock.onBlockPause = [] {};
    worker.firmwareImage = QByteArray(24, '\x5a');  // three blocks
    worker.execute(cmdOtaSendInfo);
    const auto answer = [&] {
        CanFrame f;
        f.id = codec::makeId(loop.written.size() == 1 ? 12 : 13, hostId, 3);
        f.length = 8;
        worker.getSerialData(adapterline::encodeDataLine(f));
    };
    answer();
    answer();  // block 0; block 1 is sent at virtual 0 and waits
    const int before = loop.states.size();
    int answered = loop.written.size() - 1;
    loop.clock.onSleep = [&](unsigned ms) {
        loop.now += ms;
        if (answeredAfter >= 0 && loop.written.size() >= 3 + answeredAfter && answered < loop.written.size()) {
            answered = loop.written.size();
            answer();
        }
    };
    loop.runUntilIdle(200);
    QList<quint64> blockOneAt;
    for (const auto& line : loop.written) {
        const CanFrame f = adapterline::parseDataLine(line.second);
        if (codec::commType(f.id) == 13 && codec::field(f.id) == 1)
            blockOneAt << line.first;
    }
    QCOMPARE(blockOneAt, sentAt);
    QCOMPARE(loop.states.mid(before), states);
    QCOMPARE(worker.blockPosition, answeredAfter < 0 ? 1u : 3u);
}

void RunLoopTest::commandDuringTickReplacesOperation()
{
    // An answer to the new command must not complete the replaced one.
    otaThread worker;
    VirtualLoop loop(worker);
    worker.setPending(opResetMode);
    loop.clock.onSleep = [&](unsigned) {
        worker.execute(cmdMotorMode);
        worker.ackFlag = 1;
    };
    worker.pollOnce();
    QVERIFY(loop.states.isEmpty());
    QCOMPARE(worker.pendingOp.load(), int(opMotorMode));
    loop.clock.onSleep = [](unsigned) {};
    worker.pollOnce();
    QCOMPARE(loop.states, QList<int>{20});
}

void RunLoopTest::unsupervisedStatesResetCounter()
{
    otaThread worker;
    VirtualLoop loop(worker);
    int idles = 0;
    loop.clock.onIdle = [&] { ++idles; };
    for (int op : {0, 7, 15, 18, 20, 22, 26, 29, 40}) {
        worker.pendingOp = op;
        worker.elapsedMs = 700;
        worker.pollOnce();
        QCOMPARE(worker.elapsedMs.load(), 0u);
        QCOMPARE(worker.pendingOp.load(), op);
    }
    QCOMPARE(idles, 9);
    QCOMPARE(loop.now, quint64(0));
}

void RunLoopTest::threadStopsOnRequest()
{
    otaThread worker;
    QList<int> states;
    connect(&worker, &otaThread::sendState, this, [&] { states << worker.stateCode; });
    worker.start();
    worker.setPending(opAdapterEnterConfig);  // real time: about 220 ms
    QTRY_COMPARE(states, QList<int>{3});
    worker.stop();
    QVERIFY(worker.wait(2000));
}

QTEST_GUILESS_MAIN(RunLoopTest)
#include "tst_protocol_runloop.moc"
