// The window as construction leaves it, the port filter, slot wiring by name
// and the serial writer.

#include <QComboBox>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "app/portfilter.h"
#include "ui/mainwindow.h"

class WindowConstructionTest : public QObject {
    Q_OBJECT

private slots:
    void defaults();
    void portFilter_data();
    void portFilter();
    void slotsConnectedByName();
    void openFailureChangesNothingElse();
    void writerPutsExactBytesOnTheLine();
};

void WindowConstructionTest::defaults()
{
    // What the first commands send before the operator types anything.
    MainWindow w;
    QCOMPARE(w.windowTitle(), QString("Torvane 0.0.11"));
    QCOMPARE(w.statusBar()->currentMessage(), QString::fromUtf8("请选择串口并打开！"));
    QVERIFY(!w.findChild<QPushButton*>("pushButtonGetDevInfo")->isEnabled());
    QVERIFY(!w.findChild<QPushButton*>("pushButtonInOtaMode")->isEnabled());  // no drive to upgrade yet
    QVERIFY(w.findChild<QComboBox*>("comboBoxCom")->isEditable());
    QCOMPARE(w.findChild<QComboBox*>("comboBoxDev")->count(), 0);
    QVERIFY(w.findChild<QLineEdit*>("lineEditSelFile")->text().endsWith("pmsm_app.bin"));
    QCOMPARE(int(w.worker.targetId), 1);
    QCOMPARE(int(w.worker.newCanId), 1);
    QCOMPARE(int(w.worker.scopeFrequency), 100);
    QCOMPARE(int(w.worker.scopeFrequencyMax), 2600);
    QVERIFY(w.worker.isRunning());
}

void WindowConstructionTest::portFilter_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("listed");
    QTest::newRow("CH340 bridge") << "USB-SERIAL CH340" << true;
    QTest::newRow("lower case") << "usb ch340" << false;
    QTest::newRow("no description") << "" << false;
    QTest::newRow("other make") << "FT232R USB UART" << false;
}

void WindowConstructionTest::portFilter()
{
    QFETCH(QString, description);
    QFETCH(bool, listed);
    const QStringList names = ch340PortNames({{"ttyA", "CH340"}, {"ttyX", description}, {"ttyB", "CH340"}});
    QCOMPARE(names, (listed ? QStringList{"ttyA", "ttyX", "ttyB"} : QStringList{"ttyA", "ttyB"}));
}

void WindowConstructionTest::slotsConnectedByName()
{
    MainWindow w;
    const QMetaObject* meta = w.metaObject();
    int checked = 0;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod slot = meta->method(i);
        const QString name = QString::fromLatin1(slot.name());
        if (!name.startsWith("on_") || name == "on_pushButtonCfgBrake_clicked")
            continue;
        const int split = name.lastIndexOf('_');
        const QString objectName = name.mid(3, split - 3);
        const QString signalName = name.mid(split + 1);
        QObject* object = w.findChild<QObject*>(objectName);
        QVERIFY2(object, qPrintable("no widget for " + name));
        bool connected = false;
        const QMetaObject* om = object->metaObject();
        for (int s = 0; s < om->methodCount(); ++s) {
            const QMetaMethod signal = om->method(s);
            // disconnect() answers whether the connection existed; the window is discarded afterwards
            if (signal.methodType() == QMetaMethod::Signal && QString::fromLatin1(signal.name()) == signalName &&
                QObject::disconnect(object, signal, &w, slot))
                connected = true;
        }
        QVERIFY2(connected, qPrintable(name + " is not connected"));
        ++checked;
    }
    QVERIFY(checked >= 60);
}

void WindowConstructionTest::openFailureChangesNothingElse()
{
    MainWindow w;
    auto* ports = w.findChild<QComboBox*>("comboBoxCom");
    ports->setEditText("/dev/does-not-exist-torvane");
    w.findChild<QPushButton*>("pushButtonOpenCom")->click();
    QVERIFY(!w.portOpen);
    QCOMPARE(w.statusBar()->currentMessage(), QString::fromUtf8("无法打开串口或是串口被占用！"));
    QCOMPARE(w.findChild<QPushButton*>("pushButtonOpenCom")->text(), QString::fromUtf8("打开串口"));
    QVERIFY(ports->isEnabled());
    QCOMPARE(w.worker.pendingOp.load(), 0);
}

void WindowConstructionTest::writerPutsExactBytesOnTheLine()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0);
    QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
    const QString slave = QString::fromLocal8Bit(ptsname(master));

    MainWindow w;
    w.findChild<QComboBox*>("comboBoxCom")->setEditText(slave);
    w.findChild<QPushButton*>("pushButtonOpenCom")->click();
    QVERIFY(w.portOpen);
    QCOMPARE(w.findChild<QPushButton*>("pushButtonOpenCom")->text(), QString::fromUtf8("关闭串口"));
    QVERIFY(!w.findChild<QPushButton*>("pushButtonlanguage")->isEnabled());

    auto readAll = [&] {
        QByteArray got;
        char buf[256];
        fcntl(master, F_SETFL, O_NONBLOCK);
        QTest::qWait(50);
        for (ssize_t n; (n = read(master, buf, sizeof buf)) > 0;)
            got.append(buf, int(n));
        return got;
    };
    QCOMPARE(readAll(), QByteArray("AT+AT\r\n"));  // the probe is the first thing on the line

    const QByteArray frame = QByteArray::fromHex("41542007ebfc0800000000000000000d0a");
    w.writeToCom(frame + "tail", 17);
    QCOMPARE(readAll(), frame);
    auto* shown = w.findChild<QLineEdit*>("lineEditTxData");
    QCOMPARE(shown->text().size(), 42);  // the whole data, in hex

    // a burst of lines: the field always holds the last one and is repainted once the burst is over
    const QByteArray second = QByteArray::fromHex("41541807ebfc0800000000000000000d0a");
    w.writeToCom(second, 17);
    w.writeToCom(frame, 17);
    QCOMPARE(readAll(), second + frame);
    QCOMPARE(shown->text(), QString::fromLatin1(frame.toHex()));
    QTRY_VERIFY(shown->updatesEnabled());

    w.findChild<QPushButton*>("pushButtonOpenCom")->click();
    QVERIFY(!w.portOpen);
    QCOMPARE(w.findChild<QPushButton*>("pushButtonOpenCom")->text(), QString::fromUtf8("打开串口"));
    QVERIFY(w.findChild<QComboBox*>("comboBoxCom")->isEnabled());
    QVERIFY(w.findChild<QPushButton*>("pushButtonlanguage")->isEnabled());
    ::close(master);
}

QTEST_MAIN(WindowConstructionTest)
#include "tst_window_construction.moc"
