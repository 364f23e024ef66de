// The oscilloscope tab against the simulated drive's table and oscilloscope,
// in process: the frequency field, the configuration checks and replies, the
// plot's channels, start and stop, the wave file button and its lines.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include "scope/wavedisplay.h"
#include "sim/simparamtable.h"
#include "sim/simscope.h"
#include "support/inprocess.h"
#include "support/scripteddialogs.h"
#include "ui/mainwindow.h"

namespace {

constexpr uint8_t driveId = 5;
constexpr uint64_t driveUid = 0x1122334455667701ull;

// Selector indices of the simulated table's variables.
enum Variable { CanTimeout = 1, MaxSpeed = 3, CurrentKi = 5, SerialNo = 10, Odometer = 11, Temperature = 12 };

struct Tab {
    ScriptedDialogs dialogs;
    MainWindow w;
    LoopDrive drive{w, driveId, driveUid};
    QString chosenFile;  // the save dialog's answer
    Tab()
    {
        w.setDialogs(&dialogs);
        drive.listAsOnlyDrive();
        dialogs.saveFileName = [this](const QString&, const QString&, const QString&) { return chosenFile; };
    }
    QLabel* info() const { return w.findChild<QLabel*>("label_selChInfo"); }
    QPushButton* button(const char* name) const { return w.findChild<QPushButton*>(name); }
    QComboBox* channel(int n) const { return w.findChild<QComboBox*>(QStringLiteral("comboBoxCh%1").arg(n)); }
    QLineEdit* frequency() const { return w.findChild<QLineEdit*>("lineEditSetEchoFre"); }
    waveDisplay* plot() const { return w.findChild<waveDisplay*>("waveShow"); }
    bool waitInfo(const QString& text, int ms = 3000) const
    {
        return QTest::qWaitFor([&] { return info()->text() == text; }, ms);
    }
    bool download()
    {
        button("pushButtonRefreshTable")->click();
        return QTest::qWaitFor([&] { return w.findChild<QLabel*>("labelParaInfo")->text() == QString::fromUtf8("更新参数表成功！"); }, 3000);
    }
    bool configure(const QVector<QPair<int, int>>& channels)
    {
        for (const auto& c : channels)
            channel(c.first)->setCurrentIndex(c.second);
        button("pushButtonEchoSet")->click();
        return waitInfo(QString::fromUtf8("通道配置成功！"));
    }
    int samplesDecoded() const { return int(w.worker.decodedSamples); }
};

}  // namespace

class ScopeWindowTest : public QObject {
    Q_OBJECT

private slots:
    void frequencyField_data();
    void frequencyField();
    void configurationRefused_data();
    void configurationRefused();
    void driveErrorShowsItsText_data();
    void driveErrorShowsItsText();
    void configurationTimeout();
    void plotShowsConfiguredChannels();
    void streamStartStop();
    void droppedSamplesAreLogged();
    void waveFileCancelled();
    void waveFileAppendsEverySample();
    void newConfigurationClosesWaveFile();
    void waveFileWriteFailure();
    void englishTexts();
};

void ScopeWindowTest::frequencyField_data()
{
    QTest::addColumn<int>("stored");  // the drive's frequency entry
    QTest::addColumn<QString>("typed");  // null: the download alone
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("text");

    QTest::newRow("downloaded, as the field was") << 100 << QString() << "100" << 100 << "color:green;"
                                                  << QString::fromUtf8("输出频率设置：100 HZ");
    QTest::newRow("downloaded, another value") << 250 << QString() << "250" << 250 << "color:green;"
                                               << QString::fromUtf8("输出频率设置：250 HZ");
    QTest::newRow("inside") << 100 << "500" << "500" << 500 << "color:green;" << QString::fromUtf8("输出频率设置：500 HZ");
    QTest::newRow("above the maximum") << 100 << "3000" << "2600" << 2600 << "color:red;"
                                       << QString::fromUtf8("输出频率设置范围：1~2600 HZ");
    QTest::newRow("letters") << 100 << "abc" << "1" << 1 << "color:red;" << QString::fromUtf8("输出频率设置范围：1~2600 HZ");
}

void ScopeWindowTest::frequencyField()
{
    QFETCH(int, stored);
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(int, frequency);
    QFETCH(QString, style);
    QFETCH(QString, text);
    Tab t;
    t.drive.table.kinds[2][2].value = SimParamTable::encode(2, stored);
    QVERIFY(t.download());
    QVERIFY(t.frequency()->isEnabled());
    if (!typed.isNull())
        t.frequency()->setText(typed);
    QCOMPARE(t.frequency()->text(), field);
    QCOMPARE(int(t.w.worker.scopeFrequency), frequency);
    QCOMPARE(t.info()->styleSheet(), style);
    QCOMPARE(t.info()->text(), text);
}

void ScopeWindowTest::configurationRefused_data()
{
    QTest::addColumn<QVector<int>>("variables");  // for channels 1, 2, 3
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<QString>("text");
    QTest::newRow("no channel") << QVector<int>{0, 0, 0} << "100"
                                << QString::fromUtf8("没有通道有效，请配置通道!");
    QTest::newRow("three 8-byte channels at 1000 Hz")
        << QVector<int>{CurrentKi, SerialNo, Odometer} << "1000" << QString::fromUtf8("设置频率过高!");
}

void ScopeWindowTest::configurationRefused()
{
    QFETCH(QVector<int>, variables);
    QFETCH(QString, frequency);
    QFETCH(QString, text);
    Tab t;
    QVERIFY(t.download());
    for (int c = 0; c < 3; ++c)
        t.channel(c + 1)->setCurrentIndex(variables[c]);
    t.frequency()->setText(frequency);
    QTest::qWait(20);
    const int heard = t.drive.framesHeard;
    t.button("pushButtonEchoSet")->click();
    QCOMPARE(t.info()->text(), text);
    QCOMPARE(t.info()->styleSheet(), QString("color:red;"));
    QTest::qWait(50);
    QCOMPARE(t.drive.framesHeard, heard);  // nothing was sent
    QVERIFY(!t.button("pushButtonEchoStart")->isEnabled());
}

void ScopeWindowTest::driveErrorShowsItsText_data()
{
    QTest::addColumn<int>("frequencyError");
    QTest::addColumn<int>("channelError");
    QTest::addColumn<bool>("wrongEcho");
    QTest::addColumn<QString>("text");
    QTest::newRow("frequency out of range, with the drive's range")
        << 1 << 0 << false << QString::fromUtf8("示波器配置发送错误:2/频率配置超出范围1~2600");
    QTest::newRow("unknown variables") << 0 << 1 << false << QString::fromUtf8("示波器配置发送错误:4/未知变量");
    QTest::newRow("type echo") << 0 << 0 << true << QString::fromUtf8("示波器配置发送错误:40/类型错误");
}

void ScopeWindowTest::driveErrorShowsItsText()
{
    QFETCH(int, frequencyError);
    QFETCH(int, channelError);
    QFETCH(bool, wrongEcho);
    QFETCH(QString, text);
    Tab t;
    QVERIFY(t.download());
    t.drive.scope.frequencyErrorCode = uint8_t(frequencyError);
    t.drive.scope.channelErrorCode = uint8_t(channelError);
    t.drive.scope.wrongTypeEcho = wrongEcho;
    t.channel(1)->setCurrentIndex(MaxSpeed);
    t.button("pushButtonEchoSet")->click();
    QVERIFY2(t.waitInfo(text), qPrintable(t.info()->text()));
    QCOMPARE(t.info()->styleSheet(), QString("color:red;"));
    QVERIFY(!t.button("pushButtonEchoStart")->isEnabled());
}

void ScopeWindowTest::configurationTimeout()
{
    Tab t;
    QVERIFY(t.download());
    t.drive.scope.answerConfiguration = false;
    t.channel(1)->setCurrentIndex(MaxSpeed);
    t.button("pushButtonEchoSet")->click();
    QVERIFY(t.waitInfo(QString::fromUtf8("示波器配置超时！"), 3000));
    QCOMPARE(t.info()->styleSheet(), QString("color:red;"));
    QCOMPARE(t.w.worker.pendingOp.load(), int(opNone));
}

void ScopeWindowTest::plotShowsConfiguredChannels()
{
    Tab t;
    QVERIFY(t.download());
    QVERIFY(t.configure({{2, CanTimeout}, {5, Temperature}}));
    QCOMPARE(t.info()->styleSheet(), QString("color:green;"));
    for (int k = 0; k < 8; ++k)
        QCOMPARE(t.plot()->graph(k)->visible(), k == 1 || k == 4);
    QCOMPARE(t.plot()->graph(1)->pen().color(), QColor(0, 255, 0));
    QCOMPARE(t.plot()->graph(4)->pen().color(), QColor(255, 0, 255));
    QCOMPARE(t.w.worker.scopeChannelCount, uint8_t(2));
    QCOMPARE(int(t.w.worker.scopeChannels[0]), 1);
    QCOMPARE(int(t.w.worker.scopeChannels[1]), 4);
    QCOMPARE(int(t.drive.scope.channelCodes[0]), 0x2003);
    QCOMPARE(int(t.drive.scope.channelCodes[1]), 0x3000);
    QVERIFY(t.button("pushButtonEchoStart")->isEnabled());
    QVERIFY(t.button("pushButtonSaveWave")->isEnabled());
    QCOMPARE(t.button("pushButtonEchoStart")->text(), QString::fromUtf8("启动"));
}

void ScopeWindowTest::streamStartStop()
{
    Tab t;
    QVERIFY(t.download());
    QVERIFY(t.configure({{1, MaxSpeed}, {3, CanTimeout}}));
    t.button("pushButtonEchoStart")->click();
    QCOMPARE(t.info()->text(), QString::fromUtf8("示波器开启！"));
    QCOMPARE(t.button("pushButtonEchoStart")->text(), QString::fromUtf8("停止"));
    QVERIFY(!t.button("pushButtonEchoSet")->isEnabled());
    QVERIFY(!t.frequency()->isEnabled());
    QVERIFY(!t.channel(4)->isEnabled());

    QVERIFY(QTest::qWaitFor([&] { return t.samplesDecoded() >= 30; }, 3000));
    // the plot holds the windows: both curves, the view spans them
    QVERIFY(t.plot()->graph(0)->dataCount() >= 2);
    QCOMPARE(t.plot()->graph(0)->dataCount(), t.plot()->graph(2)->dataCount());
    QVERIFY(t.plot()->xAxis->range().upper > 0.1);
    QCOMPARE(t.plot()->graph(1)->dataCount(), 0);

    t.button("pushButtonEchoStart")->click();
    QVERIFY(!t.button("pushButtonEchoStart")->isEnabled());
    QVERIFY(t.waitInfo(QString::fromUtf8("成功停止")));
    QCOMPARE(t.button("pushButtonEchoStart")->text(), QString::fromUtf8("启动"));
    QVERIFY(t.button("pushButtonEchoSet")->isEnabled());
    QVERIFY(t.frequency()->isEnabled());
    for (int c = 1; c <= 8; ++c)
        QVERIFY(t.channel(c)->isEnabled());
    QVERIFY(!t.drive.scope.running);
    QCOMPARE(t.w.worker.scopeRunning.load(), uint8_t(0));
    QVERIFY(!logParagraphs(t.w).join(QLatin1Char('\n')).contains(QString::fromUtf8("丢弃")));
}

void ScopeWindowTest::droppedSamplesAreLogged()
{
    // two doubles and a float: 22 bytes, three frames per sample; every 4th sample loses its middle frame
    Tab t;
    QVERIFY(t.download());
    t.drive.scope.dropMiddleFrameEvery = 4;
    QVERIFY(t.configure({{1, CurrentKi}, {2, MaxSpeed}, {3, Odometer}}));
    t.button("pushButtonEchoStart")->click();
    QVERIFY(QTest::qWaitFor([&] { return t.samplesDecoded() >= 20; }, 3000));
    t.button("pushButtonEchoStart")->click();
    QVERIFY(t.waitInfo(QString::fromUtf8("成功停止")));
    const int damaged = t.drive.scope.samplesDamaged;
    QVERIFY(damaged > 0);
    QCOMPARE(t.samplesDecoded() + damaged, t.drive.scope.samplesSent);
    QVERIFY(logParagraphs(t.w).join(QLatin1Char('\n')).contains(
        QString::fromUtf8("丢弃不完整样本：") + QString::number(damaged)));
}

void ScopeWindowTest::waveFileCancelled()
{
    Tab t;
    QVERIFY(t.download());
    QVERIFY(t.configure({{1, MaxSpeed}}));
    QString title, proposed, filter;
    t.dialogs.saveFileName = [&](const QString& askedTitle, const QString& name, const QString& askedFilter) {
        title = askedTitle;
        proposed = name;
        filter = askedFilter;
        return QString();
    };
    t.button("pushButtonSaveWave")->click();
    QCOMPARE(title, QString("Wave file"));
    QCOMPARE(filter, QString("TXT Files(*.txt)"));
    QVERIFY2(QRegularExpression("^\\./wave_\\d{4}_\\d{2}_\\d{2}_\\d{6}\\.txt$").match(proposed).hasMatch(), qPrintable(proposed));
    QCOMPARE(t.info()->text(), QString::fromUtf8("未指定数据保存文件！"));
    QCOMPARE(t.info()->styleSheet(), QString("color:blue;"));
    QVERIFY(!t.w.worker.waveSaving);
}

void ScopeWindowTest::waveFileAppendsEverySample()
{
    QTemporaryDir dir;
    Tab t;
    t.chosenFile = dir.filePath("wave.txt");
    {
        QFile existing(t.chosenFile);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("kept\r\n");
    }
    QVERIFY(t.download());
    QVERIFY(t.configure({{1, CanTimeout}, {2, MaxSpeed}}));
    t.button("pushButtonSaveWave")->click();
    QCOMPARE(t.button("pushButtonSaveWave")->text(), QString::fromUtf8("停止保存"));
    t.button("pushButtonEchoStart")->click();
    QVERIFY(QTest::qWaitFor([&] { return t.samplesDecoded() >= 25; }, 3000));
    t.button("pushButtonEchoStart")->click();
    QVERIFY(t.waitInfo(QString::fromUtf8("成功停止")));
    t.button("pushButtonSaveWave")->click();
    QCOMPARE(t.button("pushButtonSaveWave")->text(), QString::fromUtf8("数据保存"));
    QVERIFY(!t.w.worker.waveSaving);

    QFile file(t.chosenFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QVERIFY(content.startsWith("kept\r\n"));
    const QList<QByteArray> lines = content.mid(6).split('\n');
    QCOMPARE(lines.size() - 1, t.samplesDecoded());
    QVERIFY(lines.last().isEmpty());
    // time (14), uint8 (4), float (12), CR
    for (int i = 0; i + 1 < lines.size(); ++i)
        QCOMPARE(lines[i].size(), 14 + 4 + 12 + 1);
    QCOMPARE(lines[0].left(14), QByteArray("      0.010000"));
}

void ScopeWindowTest::newConfigurationClosesWaveFile()
{
    QTemporaryDir dir;
    Tab t;
    t.chosenFile = dir.filePath("wave.txt");
    QVERIFY(t.download());
    QVERIFY(t.configure({{1, MaxSpeed}}));
    t.button("pushButtonSaveWave")->click();
    QVERIFY(t.w.worker.waveSaving);
    QVERIFY(t.configure({{2, CanTimeout}}));
    QVERIFY(!t.w.worker.waveSaving);
    QVERIFY(!t.w.worker.waveFile.isOpen());
    QCOMPARE(t.button("pushButtonSaveWave")->text(), QString::fromUtf8("数据保存"));
}

void ScopeWindowTest::waveFileWriteFailure()
{
    if (!QFile::exists("/dev/full"))
        QSKIP("no /dev/full to fill");
    Tab t;
    t.chosenFile = "/dev/full";
    QVERIFY(t.download());
    QVERIFY(t.configure({{1, MaxSpeed}}));
    t.button("pushButtonSaveWave")->click();
    QVERIFY(t.w.worker.waveSaving);
    t.button("pushButtonEchoStart")->click();
    const QString failure = QString::fromUtf8("数据保存已停止，磁盘已满：已保存 0 行");
    QVERIFY(t.waitInfo(failure));
    QCOMPARE(t.info()->styleSheet(), QString("color:red;"));
    QVERIFY(!t.w.worker.waveSaving);
    QCOMPARE(t.button("pushButtonSaveWave")->text(), QString::fromUtf8("数据保存"));
    // the confirmed stop does not hide what happened to the file
    t.button("pushButtonEchoStart")->click();
    QVERIFY(QTest::qWaitFor([&] { return t.button("pushButtonEchoSet")->isEnabled(); }, 3000));
    QCOMPARE(t.info()->text(), failure);
    QCOMPARE(t.info()->styleSheet(), QString("color:red;"));
    t.w.languageEnglish = true;
    t.w.StateUpdate();
    QCOMPARE(t.info()->text(), QString("Data saving stopped, disk full: 0 lines kept"));
}

void ScopeWindowTest::englishTexts()
{
    Tab t;
    QVERIFY(t.download());
    t.w.languageEnglish = true;
    t.channel(1)->setCurrentIndex(MaxSpeed);
    t.frequency()->setText("3000");
    QCOMPARE(t.info()->text(), QString("Output frequency setting range：1~2600 HZ"));
    t.frequency()->setText("200");
    QCOMPARE(t.info()->text(), QString("Output frequency setting：200 HZ"));
    t.button("pushButtonEchoSet")->click();
    QVERIFY(t.waitInfo("The channel configuration was successful！"));
    QCOMPARE(t.button("pushButtonEchoStart")->text(), QString("Start"));
    t.button("pushButtonEchoStart")->click();
    QCOMPARE(t.info()->text(), QString("Oscilloscope on！"));
    QCOMPARE(t.button("pushButtonEchoStart")->text(), QString("stop"));
    t.button("pushButtonEchoStart")->click();
    QVERIFY(t.waitInfo("A winner never stops trying"));
    t.dialogs.saveFileName = [](const QString&, const QString&, const QString&) { return QString(); };
    t.button("pushButtonSaveWave")->click();
    QCOMPARE(t.info()->text(), QString("No data save file specified！"));
}

QTEST_MAIN(ScopeWindowTest)
#include "tst_scope_window.moc"
