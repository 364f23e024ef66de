// The link end to end: the simulated adapter is unplugged and plugged in
// again behind a stable link, with the real serial port following it.

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
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

bool detectDrive(SimulatedRig& rig)
{
    rig.click("pushButtonGetDevInfo");
    return QTest::qWaitFor([&] { return rig.widget<QComboBox>("comboBoxDev")->count() == 1; }, 5000);
}

QString lastParagraph(const SimulatedRig& rig)
{
    return rig.log().split(QLatin1Char('\n')).last();
}

}  // namespace

class E2eLinkTest : public QObject {
    Q_OBJECT

private slots:
    void unplugAndReplug();
    void waitEnds_data();
    void waitEnds();
};

void E2eLinkTest::unplugAndReplug()
{
    QTemporaryDir dir;
    SimulatedRig rig;
    rig.sim.linkPath = dir.filePath("ttyCH340");
    QVERIFY(rig.start());
    QVERIFY(rig.openAndHandshake());
    QVERIFY(detectDrive(rig));
    rig.click("pushButtonCfgContinous");  // a stream of drive commands in flight
    QVERIFY(QTest::qWaitFor([&] { return !rig.sim.framesReceived().isEmpty() && (rig.sim.framesReceived().last().id >> 24) == 1; }, 2000));
    const QString logBefore = rig.log();
    QVERIFY(!logBefore.isEmpty());

    rig.sim.unplug();
    rig.sim.clearObservations();
    QVERIFY(rig.waitForStatus(QString::fromUtf8("串口已断开！"), 3000));
    QVERIFY(!rig.window->portOpen);
    QCOMPARE(rig.window->worker.pendingOp.load(), int(opNone));
    QVERIFY(rig.log().startsWith(logBefore));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d 串口已断开！$"))
                 .match(lastParagraph(rig))
                 .hasMatch(),
             qPrintable(lastParagraph(rig)));
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
    QVERIFY(detectDrive(rig));
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
