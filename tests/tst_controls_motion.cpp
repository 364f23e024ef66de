// Run-mode and motion slots, offscreen, with the worker's output captured (port closed).

#include <QtTest>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <cstring>

#include "protocol/framecodec.h"
#include "support/inprocess.h"
#include "support/virtualclock.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

namespace {

// A parameter write: type 18 from the host to `target`.
void checkParamWrite(const CanFrame& f, uint8_t target, uint16_t index)
{
    QCOMPARE(int(codec::commType(f.id)), 18);
    QCOMPARE(int(codec::destination(f.id)), int(target));
    QCOMPARE(int(codec::source(f.id)), int(hostId));
    QCOMPARE(int(f.length), 8);
    QCOMPARE(int(codec::readLe16(f.data)), int(index));
    QCOMPARE(int(codec::readLe16(f.data + 2)), 0);
}

void typeInto(QLineEdit* field, const QString& text)
{
    field->clear();
    QTest::keyClicks(field, text);
}

}  // namespace

class TestMotionControls : public QObject {
    Q_OBJECT

private slots:
    void fieldClampWhileTyping_data();
    void fieldClampWhileTyping();
    void finishedEditStoresMember_data();
    void finishedEditStoresMember();
    void runMode_data();
    void runMode();
    void jog_data();
    void jog();
    void setPointButtons_data();
    void setPointButtons();
    void applySineParameters();
    void sineStartStop_data();
    void sineStartStop();
};

void TestMotionControls::fieldClampWhileTyping_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    QTest::newRow("position 20") << "lineEditSetPos" << "20" << "12.57";
    QTest::newRow("position -13") << "lineEditSetPos" << "-13" << "-12.57";
    QTest::newRow("position 12.5 stands") << "lineEditSetPos" << "12.5" << "12.5";
    QTest::newRow("Kp -1") << "lineEditSetKp" << "-1" << "0.00";
    QTest::newRow("Kp 6000") << "lineEditSetKp" << "6000" << "5000.00";
    QTest::newRow("Kd 7") << "lineEditSetKd" << "7" << "5.00";
    QTest::newRow("velocity -60") << "lineEditSetVel" << "-60" << "-50.00";
    QTest::newRow("torque 51") << "lineEditSetTorque" << "51" << "50.00";
    QTest::newRow("lone minus stands") << "lineEditSetTorque" << "-" << "-";
}

void TestMotionControls::fieldClampWhileTyping()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    MainWindow w;
    QLineEdit* edit = w.findChild<QLineEdit*>(field);
    QVERIFY(edit);
    typeInto(edit, typed);
    QCOMPARE(edit->text(), shown);
}

void TestMotionControls::finishedEditStoresMember_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<float>("stored");

    QTest::newRow("velocity not a number") << "lineEditSetVel" << "abc" << "0" << 0.0f;
    QTest::newRow("velocity 3.5") << "lineEditSetVel" << "3.5" << "3.5" << 3.5f;
    QTest::newRow("position clamped") << "lineEditSetPos" << "20" << "12.57" << 12.57f;
    QTest::newRow("Kp") << "lineEditSetKp" << "100" << "100" << 100.0f;
    QTest::newRow("Kd") << "lineEditSetKd" << "0.5" << "0.5" << 0.5f;
    QTest::newRow("torque") << "lineEditSetTorque" << "-2" << "-2" << -2.0f;
    QTest::newRow("lone minus is 0") << "lineEditSetTorque" << "-" << "0" << 0.0f;
}

void TestMotionControls::finishedEditStoresMember()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(float, stored);
    MainWindow w;
    QLineEdit* edit = w.findChild<QLineEdit*>(field);
    typeInto(edit, typed);
    QVERIFY(QMetaObject::invokeMethod(&w, qPrintable("on_" + field + "_editingFinished")));
    QCOMPARE(edit->text(), shown);
    const QMap<QString, float> members = {{"lineEditSetPos", w.worker.setPosition},
                                          {"lineEditSetVel", w.worker.setVelocity},
                                          {"lineEditSetKp", w.worker.setKp},
                                          {"lineEditSetKd", w.worker.setKd},
                                          {"lineEditSetTorque", w.worker.setTorque}};
    QCOMPARE(members.value(field), stored);
    for (auto it = members.begin(); it != members.end(); ++it)
        if (it.key() != field)
            QCOMPARE(it.value(), 0.0f);
}

void TestMotionControls::runMode_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("code");

    QTest::newRow("CSP") << QString::fromUtf8("位置模式") << 0 << 5;
    QTest::newRow("CSP on model 1") << QString::fromUtf8("位置模式") << 1 << 1;
    QTest::newRow("MIT") << QString::fromUtf8("运控模式") << 1 << 0;
    QTest::newRow("velocity") << QString::fromUtf8("速度模式") << 0 << 2;
    QTest::newRow("current") << QString::fromUtf8("电流模式") << 0 << 3;
    QTest::newRow("PP") << QString::fromUtf8("插补位置模式") << 0 << 1;
}

void TestMotionControls::runMode()
{
    QFETCH(QString, item);
    QFETCH(int, model);
    QFETCH(int, code);
    MainWindow w;
    announceDrive(w, 21, 0x1234);
    w.worker.motorModelCode = uint8_t(model);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    const int index = w.ui->comboBoxRunMode->findText(item);
    QVERIFY(index > 0);
    w.ui->comboBoxRunMode->setCurrentIndex(index);

    QCOMPARE(int(w.worker.runMode), code);
    const QList<CanFrame> frames = dataFrames(spy);
    QCOMPARE(frames.size(), 1);
    checkParamWrite(frames[0], 21, 0x7005);
    QCOMPARE(int(codec::readLe32(frames[0].data + 4)), code);

    // Back to the blank item: run mode 0.
    w.ui->comboBoxRunMode->setCurrentIndex(0);
    QCOMPARE(int(w.worker.runMode), 0);
    QCOMPARE(int(codec::readLe32(dataFrames(spy).last().data + 4)), 0);
}

void TestMotionControls::jog_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<float>("velMax");
    QTest::addColumn<int>("pressWord");
    QTest::addColumn<int>("releaseWord");

    QTest::newRow("jog+ default range") << "pushButton_6" << 50.0f << 33422 << 32767;
    QTest::newRow("jog- default range") << "pushButton_4" << 50.0f << 32112 << 32767;
    QTest::newRow("jog+ reported 20 rad/s") << "pushButton_6" << 20.0f << 34405 << 32767;
}

void TestMotionControls::jog()
{
    QFETCH(QString, button);
    QFETCH(float, velMax);
    QFETCH(int, pressWord);
    QFETCH(int, releaseWord);
    MainWindow w;
    announceDrive(w, 3, 0x1234);
    w.worker.velMax = velMax;
    w.worker.velMin = -velMax;
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    QPushButton* b = w.findChild<QPushButton*>(button);
    QTest::mousePress(b, Qt::LeftButton);
    QTest::mouseRelease(b, Qt::LeftButton);

    const QList<CanFrame> frames = dataFrames(spy);
    QCOMPARE(frames.size(), 2);
    for (const CanFrame& f : frames) {
        checkParamWrite(f, 3, 0x7005);
        QCOMPARE(int(f.data[4]), 7);
    }
    QCOMPARE(int(frames[0].data[5]), 1);
    QCOMPARE((frames[0].data[6] << 8) | frames[0].data[7], pressWord);
    QCOMPARE(int(frames[1].data[5]), 0);
    QCOMPARE((frames[1].data[6] << 8) | frames[1].data[7], releaseWord);
}

void TestMotionControls::setPointButtons_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("index");

    QTest::newRow("PP speed") << "lineEditSetPos_3" << "pushButton_9" << 0x7024;
    QTest::newRow("PP acceleration") << "lineEditSetPos_5" << "pushButton_12" << 0x7025;
    QTest::newRow("PP angle") << "lineEditSetPos_2" << "pushButton_5" << 0x7016;
    QTest::newRow("current limit") << "lineEditSetVel_3" << "pushButton_10" << 0x7018;
    QTest::newRow("speed step") << "lineEditSetVel_4" << "pushButton_11" << 0x7022;
    QTest::newRow("velocity") << "lineEditSetVel_2" << "pushButton_8" << 0x700A;
    QTest::newRow("Iq preset 1") << "lineEditSetIq1" << "pushButton_2" << 0x7006;
    QTest::newRow("Iq preset 2") << "lineEditSetIq2" << "pushButton_3" << 0x7006;
    QTest::newRow("Id") << "lineEditSetId" << "pushButton_7" << 0x7007;
    QTest::newRow("CSP speed limit") << "lineEdit_spd" << "pushButton_13" << 0x7017;
    QTest::newRow("CSP angle") << "lineEdit_2" << "pushButton_14" << 0x7016;
}

void TestMotionControls::setPointButtons()
{
    QFETCH(QString, field);
    QFETCH(QString, button);
    QFETCH(int, index);
    MainWindow w;
    announceDrive(w, 8, 0x1234);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    w.findChild<QLineEdit*>(field)->setText(QStringLiteral("-123.25"));
    w.findChild<QPushButton*>(button)->click();
    w.findChild<QLineEdit*>(field)->setText(QStringLiteral("not a number"));
    w.findChild<QPushButton*>(button)->click();

    const QList<CanFrame> frames = dataFrames(spy);
    QCOMPARE(frames.size(), 2);
    checkParamWrite(frames[0], 8, uint16_t(index));
    QCOMPARE(codec::readLeFloat(frames[0].data + 4), -123.25f);
    QCOMPARE(codec::readLeFloat(frames[1].data + 4), 0.0f);
    QCOMPARE(w.findChild<QLineEdit*>(field)->text(), "not a number");  // nothing is written back
}

void TestMotionControls::applySineParameters()
{
    MainWindow w;
    announceDrive(w, 6, 0x1234);
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    QVector<QPair<unsigned, int>> sleeps;  // (ms, frames sent before the sleep)
    VirtualClock clock;
    w.setClock(&clock);
    clock.onSleep = [&](unsigned ms) { sleeps << qMakePair(ms, spy.size()); };
    w.ui->lineEditSetSineFuzhi->setText(QStringLiteral("2.5"));
    w.ui->lineEditSetSineFre->setText(QStringLiteral("4"));
    w.ui->pushButton->click();

    const QList<CanFrame> frames = dataFrames(spy);
    QCOMPARE(frames.size(), 2);
    checkParamWrite(frames[0], 6, 0x7003);
    QCOMPARE(codec::readLeFloat(frames[0].data + 4), 2.5f);
    checkParamWrite(frames[1], 6, 0x7002);
    QCOMPARE(codec::readLeFloat(frames[1].data + 4), 4.0f);
    QCOMPARE(sleeps.size(), 1);
    QCOMPARE(sleeps[0].first, 200u);
    QCOMPARE(sleeps[0].second, 1);  // between the two writes
}

void TestMotionControls::sineStartStop_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("enable");
    QTest::addColumn<QString>("after");

    QTest::newRow("start zh") << QString::fromUtf8("启动") << false << 1 << QString::fromUtf8("停止");
    QTest::newRow("start en") << "Start" << true << 1 << "Stop";
    QTest::newRow("start zh, now English") << QString::fromUtf8("启动") << true << 1 << "Stop";
    QTest::newRow("stop zh") << QString::fromUtf8("停止") << false << 0 << QString::fromUtf8("启动");
    QTest::newRow("stop en") << "Stop" << true << 0 << "Start";
}

void TestMotionControls::sineStartStop()
{
    QFETCH(QString, before);
    QFETCH(bool, english);
    QFETCH(int, enable);
    QFETCH(QString, after);
    MainWindow w;
    w.languageEnglish = english;
    w.worker.targetId = 77;  // the drive of the last device command, not the selection
    QSignalSpy spy(&w.worker, &otaThread::WriteToSerial);
    QVector<unsigned> sleeps;
    VirtualClock clock;
    w.setClock(&clock);
    clock.onSleep = [&](unsigned ms) { sleeps << ms; };
    w.ui->pushButtonSineEn->setText(before);
    w.ui->pushButtonSineEn->click();

    const QList<CanFrame> frames = dataFrames(spy);
    QCOMPARE(frames.size(), 1);
    checkParamWrite(frames[0], 77, 0x7001);
    QCOMPARE(int(codec::readLe32(frames[0].data + 4)), enable);
    QCOMPARE(sleeps, QVector<unsigned>{100});
    QCOMPARE(w.ui->pushButtonSineEn->text(), after);
}

QTEST_MAIN(TestMotionControls)
#include "tst_controls_motion.moc"
