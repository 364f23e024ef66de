// The oscilloscope tab against the simulated drive's table and oscilloscope,
// in process: the frequency field, the configuration checks and replies, the
// plot's channels, start and stop, the wave file; and the plot's tools: freeze
// while samples and the wave file go on, two cursors read the samples of a
// ramp and a sine, the legend hides channels, and the export writes the
// visible range as CSV, or the plot as PNG and PDF.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

#include "scope/envelopegraph.h"
#include "scope/wavedisplay.h"
#include "sim/simparamtable.h"
#include "sim/simscope.h"
#include "support/inprocess.h"
#include "support/scripteddialogs.h"
#include "ui/mainwindow.h"

namespace {

constexpr int frequency = 100;  // the tools' stream: samples 10 ms apart, the first at 0.01 s

// Selector indices of the simulated table's variables; MaxSpeed is a float ramp, Temperature a sine.
enum Variable { CanTimeout = 1, MaxSpeed = 3, CurrentKi = 5, SerialNo = 10, Odometer = 11, Temperature = 12 };

struct Tab {
    ScriptedDialogs dialogs;
    MainWindow w;
    LoopDrive drive{w, 5, 0x1122334455667701ull};
    QString chosenFile;  // the save dialog's answer
    Tab()
    {
        w.setDialogs(&dialogs);
        drive.listAsOnlyDrive();
        dialogs.saveFileName = [this](const QString&, const QString&, const QString&) { return chosenFile; };
    }
    QLabel* label(const char* name) const { return w.findChild<QLabel*>(name); }
    QLabel* info() const { return label("label_selChInfo"); }
    QPushButton* button(const char* name) const { return w.findChild<QPushButton*>(name); }
    QComboBox* channel(int n) const { return w.findChild<QComboBox*>(QStringLiteral("comboBoxCh%1").arg(n)); }
    QLineEdit* frequencyField() const { return w.findChild<QLineEdit*>("lineEditSetEchoFre"); }
    waveDisplay* plot() const { return w.findChild<waveDisplay*>("waveShow"); }
    int decoded() const { return int(w.worker.decodedSamples); }
    bool waitInfo(const QString& text, int ms = 3000) const
    {
        return QTest::qWaitFor([&] { return info()->text() == text; }, ms);
    }
    QString shown() const { return info()->styleSheet() + info()->text(); }  // colour, then text
    bool download()
    {
        button("pushButtonRefreshTable")->click();
        return QTest::qWaitFor([&] { return label("labelParaInfo")->text() == QString::fromUtf8("更新参数表成功！"); }, 3000);
    }
    bool configure(const QVector<QPair<int, int>>& channels)
    {
        for (const auto& c : channels)
            channel(c.first)->setCurrentIndex(c.second);
        button("pushButtonEchoSet")->click();
        return waitInfo(QString::fromUtf8("通道配置成功！"));
    }
    // The window shown on the oscilloscope page; the ramp on channel 1 and the sine on channel 2 streaming at 100 Hz.
    bool start()
    {
        w.resize(1700, 843);
        w.findChild<QTabWidget*>("tabWidget")->setCurrentWidget(w.findChild<QWidget*>("tab_Oscilloscope"));
        w.show();
        if (!download())
            return false;
        frequencyField()->setText(QString::number(frequency));
        if (!configure({{1, MaxSpeed}, {2, Temperature}}))
            return false;
        button("pushButtonEchoStart")->click();
        return true;
    }
    bool stopAfter(int samples)
    {
        if (!QTest::qWaitFor([&] { return decoded() >= samples; }, 8000))
            return false;
        button("pushButtonEchoStart")->click();
        return QTest::qWaitFor([&] { return !drive.scope.running && !w.worker.scopeRunning.load(); }, 3000);
    }
    // The value the drive sent for channel c in the sample at `time`, as decoded.
    double sent(int c, double time) const
    {
        const double t = std::round(time * frequency) / frequency - 1.0 / frequency;
        const uint32_t type = w.worker.channelTypes[c];
        const double value = SimScope::traceValue(w.worker.channelCodes[c], type, t);
        return type >= vtUint32 && type <= vtInt64 ? double(float(value)) : value;
    }
    // A value as written for channel c: floats in their own shortest text.
    bool writtenAs(int c, const QString& text, double value) const
    {
        if (w.worker.channelTypes[c] == vtFloat)
            return text.toFloat() == float(value);
        return text.toDouble() == value;
    }
    QPoint pixelOf(double time) const
    {
        return QPoint(int(std::lround(plot()->xAxis->coordToPixel(time))), plot()->axisRect()->center().y());
    }
};

}  // namespace

class ScopeWindowTest : public QObject {
    Q_OBJECT

    // 150 samples of the ramp and the sine, the stream stopped: what the tools read.
    std::unique_ptr<Tab> stopped;

private slots:
    void initTestCase();
    void frequencyField_data();
    void frequencyField();
    void configurationFails_data();
    void configurationFails();
    void plotShowsConfiguredChannelsAndStreams();
    void droppedSamplesAreLogged();
    void waveFileCancelledThenClosedByNewConfiguration();
    void waveFileWriteFailure();
    void englishTexts();
    void freezeKeepsTheShownData();
    void cursorsReadTheNearestSamples();
    void legendHidesChannelsAndDoubleClickShowsTheWindow();
    void csvOfTheVisibleRange();
    void exports_data();
    void exports();
    void tabLayoutKeepsItsLimits();
};

void ScopeWindowTest::initTestCase()
{
    stopped = std::make_unique<Tab>();
    QVERIFY(stopped->start());
    QVERIFY(stopped->stopAfter(150));
}

void ScopeWindowTest::frequencyField_data()
{
    QTest::addColumn<int>("stored");  // the drive's frequency entry
    QTest::addColumn<QString>("typed");  // null: the download alone
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<QString>("shown");

    QTest::newRow("downloaded, another value") << 250 << QString() << "250" << 250
                                               << QString::fromUtf8("color:green;输出频率设置：250 HZ");
    QTest::newRow("above the maximum") << 100 << "3000" << "2600" << 2600
                                       << QString::fromUtf8("color:red;输出频率设置范围：1~2600 HZ");
}

void ScopeWindowTest::frequencyField()
{
    QFETCH(int, stored);
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(int, frequency);
    QFETCH(QString, shown);
    Tab t;
    t.drive.table.kinds[2][2].value = SimParamTable::encode(2, stored);
    QVERIFY(t.download());
    QVERIFY(t.frequencyField()->isEnabled());
    if (!typed.isNull())
        t.frequencyField()->setText(typed);
    QCOMPARE(t.frequencyField()->text(), field);
    QCOMPARE(int(t.w.worker.scopeFrequency), frequency);
    QCOMPARE(t.shown(), shown);
}

void ScopeWindowTest::configurationFails_data()
{
    QTest::addColumn<QVector<int>>("variables");  // for channels 1, 2, 3
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<int>("drive");  // 0: answers, 1: refuses the variables, 2: echoes the wrong type, 3: silent
    QTest::addColumn<QString>("text");
    const auto z = [](const char* s) { return QString::fromUtf8(s); };
    // refused before anything is sent
    QTest::newRow("no channel") << QVector<int>{0, 0, 0} << "100" << 0 << z("没有通道有效，请配置通道!");
    QTest::newRow("three 8-byte channels at 1000 Hz") << QVector<int>{CurrentKi, SerialNo, Odometer} << "1000" << 0
                                                      << z("设置频率过高!");
    // refused by the drive, or never answered
    QTest::newRow("unknown variables") << QVector<int>{MaxSpeed, 0, 0} << "100" << 1 << z("示波器配置发送错误:4/未知变量");
    QTest::newRow("type echo") << QVector<int>{MaxSpeed, 0, 0} << "100" << 2 << z("示波器配置发送错误:40/类型错误");
    QTest::newRow("no answer") << QVector<int>{MaxSpeed, 0, 0} << "100" << 3 << z("示波器配置超时！");
}

void ScopeWindowTest::configurationFails()
{
    QFETCH(QVector<int>, variables);
    QFETCH(QString, frequency);
    QFETCH(int, drive);
    QFETCH(QString, text);
    Tab t;
    QVERIFY(t.download());
    t.drive.scope.channelErrorCode = drive == 1;
    t.drive.scope.wrongTypeEcho = drive == 2;
    t.drive.scope.answerConfiguration = drive != 3;
    for (int c = 0; c < 3; ++c)
        t.channel(c + 1)->setCurrentIndex(variables[c]);
    t.frequencyField()->setText(frequency);
    QTest::qWait(20);
    const int heard = t.drive.framesHeard;
    t.button("pushButtonEchoSet")->click();
    if (drive == 0)
        QCOMPARE(t.shown(), "color:red;" + text);  // at once
    QVERIFY2(t.waitInfo(text), qPrintable(t.info()->text()));
    QCOMPARE(t.shown(), "color:red;" + text);
    QVERIFY(!t.button("pushButtonEchoStart")->isEnabled());
    QTest::qWait(50);
    QCOMPARE(t.drive.framesHeard > heard, drive != 0);  // sent only when the checks pass
    if (drive != 0)
        QCOMPARE(t.w.worker.pendingOp.load(), int(opNone));
}

void ScopeWindowTest::plotShowsConfiguredChannelsAndStreams()
{
    Tab t;
    QVERIFY(t.download());
    QVERIFY(t.configure({{2, CanTimeout}, {5, Temperature}}));
    QCOMPARE(t.info()->styleSheet(), QString("color:green;"));
    for (int k = 0; k < 8; ++k)
        QCOMPARE(t.plot()->graph(k)->visible(), k == 1 || k == 4);
    QCOMPARE(t.w.worker.scopeChannelCount, uint8_t(2));
    QCOMPARE(int(t.w.worker.scopeChannels[0]), 1);
    QCOMPARE(int(t.w.worker.scopeChannels[1]), 4);
    QCOMPARE(int(t.drive.scope.channelCodes[0]), 0x2003);
    QCOMPARE(int(t.drive.scope.channelCodes[1]), 0x3000);
    QVERIFY(t.button("pushButtonSaveWave")->isEnabled());
    QCOMPARE(t.button("pushButtonEchoStart")->text(), QString::fromUtf8("启动"));

    t.button("pushButtonEchoStart")->click();
    QCOMPARE(t.info()->text(), QString::fromUtf8("示波器开启！"));
    QCOMPARE(t.button("pushButtonEchoStart")->text(), QString::fromUtf8("停止"));
    QVERIFY(!t.button("pushButtonEchoSet")->isEnabled());
    QVERIFY(!t.frequencyField()->isEnabled());
    QVERIFY(!t.channel(4)->isEnabled());
    QVERIFY(QTest::qWaitFor([&] { return t.plot()->graph(4)->dataCount() >= 2; }, 3000));
    QCOMPARE(t.plot()->graph(1)->dataCount(), t.plot()->graph(4)->dataCount());

    t.button("pushButtonEchoStart")->click();
    QVERIFY(!t.button("pushButtonEchoStart")->isEnabled());
    QVERIFY(t.waitInfo(QString::fromUtf8("成功停止")));
    QCOMPARE(t.button("pushButtonEchoStart")->text(), QString::fromUtf8("启动"));
    QVERIFY(t.button("pushButtonEchoSet")->isEnabled());
    QVERIFY(t.frequencyField()->isEnabled());
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
    QVERIFY(QTest::qWaitFor([&] { return t.decoded() >= 20; }, 3000));
    t.button("pushButtonEchoStart")->click();
    QVERIFY(t.waitInfo(QString::fromUtf8("成功停止")));
    const int damaged = t.drive.scope.samplesDamaged;
    QVERIFY(damaged > 0);
    QCOMPARE(t.decoded() + damaged, t.drive.scope.samplesSent);
    QVERIFY(logParagraphs(t.w).join(QLatin1Char('\n')).contains(
        QString::fromUtf8("丢弃不完整样本：") + QString::number(damaged)));
}

void ScopeWindowTest::waveFileCancelledThenClosedByNewConfiguration()
{
    QTemporaryDir dir;
    Tab t;
    QVERIFY(t.download());
    QVERIFY(t.configure({{1, MaxSpeed}}));
    QStringList asked;
    t.dialogs.saveFileName = [&](const QString& title, const QString& proposed, const QString& filter) {
        asked = QStringList{title, proposed, filter};
        return t.chosenFile;
    };
    t.button("pushButtonSaveWave")->click();
    QCOMPARE(asked.value(0), QString("Wave file"));
    QCOMPARE(asked.value(2), QString("TXT Files(*.txt)"));
    QVERIFY2(QRegularExpression("^\\./wave_\\d{4}_\\d{2}_\\d{2}_\\d{6}\\.txt$").match(asked.value(1)).hasMatch(),
             qPrintable(asked.value(1)));
    QCOMPARE(t.shown(), QString::fromUtf8("color:blue;未指定数据保存文件！"));
    QVERIFY(!t.w.worker.waveSaving);

    t.chosenFile = dir.filePath("wave.txt");
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
    QCOMPARE(t.shown(), "color:red;" + failure);
    QVERIFY(!t.w.worker.waveSaving);
    QCOMPARE(t.button("pushButtonSaveWave")->text(), QString::fromUtf8("数据保存"));
    // the confirmed stop does not hide what happened to the file
    t.button("pushButtonEchoStart")->click();
    QVERIFY(QTest::qWaitFor([&] { return t.button("pushButtonEchoSet")->isEnabled(); }, 3000));
    QCOMPARE(t.shown(), "color:red;" + failure);
    t.w.languageEnglish = true;
    t.w.StateUpdate();
    QCOMPARE(t.info()->text(), QString("Data saving stopped, disk full: 0 lines kept"));
}

void ScopeWindowTest::englishTexts()
{
    Tab t;
    QVERIFY(t.download());
    t.button("pushButtonlanguage")->click();
    t.button("pushButtonScopeCursors")->click();
    QCOMPARE(t.label("labelScopeCursors")->text(), QString("Click the plot to place cursor A"));
    t.channel(1)->setCurrentIndex(MaxSpeed);
    t.frequencyField()->setText("3000");
    QCOMPARE(t.info()->text(), QString("Output frequency setting range：1~2600 HZ"));
    t.frequencyField()->setText("200");
    QCOMPARE(t.info()->text(), QString("Output frequency setting：200 HZ"));
    t.button("pushButtonEchoSet")->click();
    QVERIFY(t.waitInfo("The channel configuration was successful！"));
    QCOMPARE(t.button("pushButtonEchoStart")->text(), QString("Start"));
    t.button("pushButtonEchoStart")->click();
    QCOMPARE(t.info()->text(), QString("Oscilloscope on！"));
    QCOMPARE(t.button("pushButtonEchoStart")->text(), QString("stop"));
    t.button("pushButtonEchoStart")->click();
    QVERIFY(t.waitInfo("A winner never stops trying"));
    t.button("pushButtonSaveWave")->click();  // the dialog is cancelled
    QCOMPARE(t.info()->text(), QString("No data save file specified！"));
    t.chosenFile = "/nonexistent-folder/x.csv";
    t.button("pushButtonScopeExport")->click();
    QVERIFY(t.info()->text().startsWith("Export failed: "));
    t.button("pushButtonlanguage")->click();
    QCOMPARE(t.label("labelScopeCursors")->text(), QString::fromUtf8("单击波形放置游标A"));
}

void ScopeWindowTest::freezeKeepsTheShownData()
{
    QTemporaryDir dir;
    Tab s;
    s.chosenFile = dir.filePath("wave.txt");
    {
        QFile existing(s.chosenFile);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("kept\r\n");
    }
    QVERIFY(s.start());
    s.button("pushButtonSaveWave")->click();
    QCOMPARE(s.button("pushButtonSaveWave")->text(), QString::fromUtf8("停止保存"));
    QVERIFY(QTest::qWaitFor([&] { return s.decoded() >= 30; }, 3000));

    s.button("pushButtonScopeFreeze")->click();
    QVERIFY(s.button("pushButtonScopeFreeze")->isChecked());
    const QVector<QCPGraphData> shown = s.plot()->channelGraph(0)->window();
    const int decodedAtFreeze = s.decoded();
    const qint64 waveAtFreeze = QFileInfo(s.chosenFile).size();
    s.plot()->xAxis->setRange(0.1, 0.2);  // a zoom while frozen stays
    QVERIFY(QTest::qWaitFor([&] { return s.decoded() >= decodedAtFreeze + 40; }, 3000));
    QCOMPARE(s.plot()->channelGraph(0)->window().constLast().key, shown.constLast().key);
    QCOMPARE(s.plot()->channelGraph(0)->dataCount(), shown.size());
    QCOMPARE(s.plot()->xAxis->range(), QCPRange(0.1, 0.2));
    s.w.worker.waveFile.flush();
    QVERIFY(QFileInfo(s.chosenFile).size() > waveAtFreeze);

    s.button("pushButtonScopeFreeze")->click();
    const double newest = s.plot()->channelGraph(0)->window().constLast().key;
    QVERIFY(newest > shown.constLast().key + 0.3);
    QCOMPARE(s.plot()->xAxis->range().upper, newest);
    QVERIFY(s.stopAfter(0));
    s.button("pushButtonSaveWave")->click();
    QCOMPARE(s.button("pushButtonSaveWave")->text(), QString::fromUtf8("数据保存"));
    QVERIFY(!s.w.worker.waveSaving);
    // appended behind what the file held: a line per sample, from the first at 0.01 s
    QFile wave(s.chosenFile);
    QVERIFY(wave.open(QIODevice::ReadOnly));
    const QByteArray content = wave.readAll();
    QVERIFY(content.startsWith("kept\r\n      0.010000"));
    QCOMPARE(content.count("\r\n"), 1 + s.decoded());
}

void ScopeWindowTest::cursorsReadTheNearestSamples()
{
    Tab& s = *stopped;
    s.button("pushButtonScopeCursors")->click();
    QVERIFY(s.label("labelScopeCursors")->isVisible());
    QCOMPARE(s.label("labelScopeCursors")->text(), QString::fromUtf8("单击波形放置游标A"));

    waveDisplay* plot = s.plot();
    plot->xAxis->setRange(0, 1.6);
    plot->replot();
    QTest::mouseClick(plot, Qt::LeftButton, {}, s.pixelOf(0.3));
    QCOMPARE(s.label("labelScopeCursors")->text(), QString::fromUtf8("单击波形放置游标B"));
    QTest::mouseClick(plot, Qt::LeftButton, {}, s.pixelOf(1.2));
    // B dragged from 1.2 s to about 0.9 s
    QTest::mousePress(plot, Qt::LeftButton, {}, s.pixelOf(1.2));
    QMouseEvent move(QEvent::MouseMove, s.pixelOf(0.9), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(plot, &move);
    QTest::mouseRelease(plot, Qt::LeftButton, {}, s.pixelOf(0.9));
    QCOMPARE(plot->xAxis->range(), QCPRange(0, 1.6));  // dragging a cursor neither pans nor zooms

    const double a = plot->cursorTime(0), b = plot->cursorTime(1);
    QVERIFY(std::abs(a - 0.3) < 0.01);
    QVERIFY(std::abs(b - 0.9) < 0.01);
    const QStringList lines = s.label("labelScopeCursors")->text().split('\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QStringLiteral("A: %1 s   B: %2 s").arg(a, 0, 'f', 6).arg(b, 0, 'f', 6));
    QCOMPARE(lines[1], QStringLiteral("Δt: %1 s   1/Δt: %2 Hz").arg(b - a, 0, 'f', 6).arg(1 / (b - a), 0, 'g', 6));
    const QString names[2] = {s.w.findChild<QComboBox*>("comboBoxCh1")->itemText(MaxSpeed),
                              s.w.findChild<QComboBox*>("comboBoxCh2")->itemText(Temperature)};
    const QRegularExpression line(QString::fromUtf8("^(.+)：A (\\S+)   B (\\S+)   Δ (\\S+)$"));
    for (int c = 0; c < 2; ++c) {
        const QRegularExpressionMatch m = line.match(lines[2 + c]);
        QVERIFY2(m.hasMatch(), qPrintable(lines[2 + c]));
        QCOMPARE(m.captured(1), names[c]);
        QVERIFY(s.writtenAs(c, m.captured(2), s.sent(c, a)));
        QVERIFY(s.writtenAs(c, m.captured(3), s.sent(c, b)));
        QVERIFY(s.writtenAs(c, m.captured(4), s.sent(c, b) - s.sent(c, a)));
    }

    s.button("pushButtonScopeCursors")->click();
    QVERIFY(!plot->cursorPlaced(0));
    QCOMPARE(s.label("labelScopeCursors")->text(), QString());
}

void ScopeWindowTest::legendHidesChannelsAndDoubleClickShowsTheWindow()
{
    Tab& s = *stopped;
    waveDisplay* plot = s.plot();
    QCOMPARE(plot->legend->itemCount(), 2);
    auto* sineEntry = qobject_cast<QCPPlottableLegendItem*>(plot->legend->item(1));
    QVERIFY(sineEntry);
    QCOMPARE(sineEntry->plottable()->name(), s.w.findChild<QComboBox*>("comboBoxCh2")->itemText(Temperature));

    plot->replot();
    QTest::mouseClick(plot, Qt::LeftButton, {}, sineEntry->rect().center());
    QVERIFY(!plot->channelGraph(1)->visible());
    QVERIFY(plot->channelHidden(1));
    QVERIFY(plot->channelGraph(0)->visible());
    QTest::mouseClick(plot, Qt::LeftButton, {}, sineEntry->rect().center());
    QVERIFY(plot->channelGraph(1)->visible());

    plot->xAxis->setRange(0.2, 0.3);
    plot->yAxis->setRange(-1000, 1000);
    QTest::mouseDClick(plot, Qt::LeftButton, {}, plot->axisRect()->center());
    const QVector<QCPGraphData>& window = plot->channelGraph(0)->window();
    QCOMPARE(plot->xAxis->range(), QCPRange(window.constFirst().key, window.constLast().key));
    QVERIFY(plot->yAxis->range().size() < 1000);
}

void ScopeWindowTest::csvOfTheVisibleRange()
{
    QTemporaryDir dir;
    Tab& s = *stopped;
    s.chosenFile = dir.filePath("range.csv");
    s.plot()->xAxis->setRange(0.305, 0.805);
    s.button("pushButtonScopeExport")->click();
    QCOMPARE(s.shown(), QString::fromUtf8("color:green;已导出：range.csv"));

    QFile file(s.chosenFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(file.readAll()).split("\r\n");
    QCOMPARE(rows.first(), QStringLiteral("time (s),%1,%2")
                               .arg(s.w.findChild<QComboBox*>("comboBoxCh1")->itemText(MaxSpeed),
                                    s.w.findChild<QComboBox*>("comboBoxCh2")->itemText(Temperature)));
    QCOMPARE(rows.last(), QString());
    QCOMPARE(rows.size(), 2 + 50);  // the samples at 0.31 .. 0.80 s
    for (int i = 1; i + 1 < rows.size(); ++i) {
        const QStringList fields = rows[i].split(',');
        QCOMPARE(fields.size(), 3);
        const double time = fields[0].toDouble();
        QVERIFY(std::abs(time - (0.30 + 0.01 * i)) < 1e-6);
        QVERIFY(s.writtenAs(0, fields[1], s.sent(0, time)));
        QVERIFY(s.writtenAs(1, fields[2], s.sent(1, time)));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"range.csv"});  // no temporary left
}

void ScopeWindowTest::exports_data()
{
    QTest::addColumn<QString>("name");       // under a temporary folder
    QTest::addColumn<QByteArray>("header");  // empty: the export fails
    QTest::addColumn<QString>("cause");
    QTest::newRow("png") << "plot.png" << QByteArray("\x89PNG\r\n\x1a\n") << QString();
    QTest::newRow("pdf") << "plot.pdf" << QByteArray("%PDF-") << QString();
    QTest::newRow("missing folder") << "missing/plot.csv" << QByteArray() << "";
    QTest::newRow("unknown type") << "plot.txt" << QByteArray() << QString::fromUtf8("文件名须以.csv、.png或.pdf结尾");
}

void ScopeWindowTest::exports()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, header);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    Tab& s = *stopped;
    s.chosenFile = dir.filePath(name);
    s.button("pushButtonScopeExport")->click();
    QLabel* info = s.label("label_selChInfo");
    if (header.isEmpty()) {
        QCOMPARE(info->styleSheet(), QString("color:red;"));
        QVERIFY2(info->text().startsWith(QString::fromUtf8("导出失败：")) && info->text().size() > 6, qPrintable(info->text()));
        if (!cause.isEmpty())
            QCOMPARE(info->text(), QString::fromUtf8("导出失败：") + cause);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
        return;
    }
    QCOMPARE(info->styleSheet(), QString("color:green;"));
    QFile file(s.chosenFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QVERIFY(content.startsWith(header));
    QVERIFY(content.size() > 2000);
    if (name.endsWith(".png")) {
        QImage image;
        QVERIFY(image.loadFromData(content, "PNG"));
        QCOMPARE(image.size(), s.plot()->size());
    } else {
        QVERIFY(content.trimmed().endsWith("%%EOF"));
    }
}

void ScopeWindowTest::tabLayoutKeepsItsLimits()
{
    Tab& s = *stopped;
    QVERIFY(QTest::qWaitForWindowExposed(&s.w));
    s.button("pushButtonScopeCursors")->click();
    s.plot()->placeCursor(0, 0.1);
    s.plot()->placeCursor(1, 0.2);
    s.button("pushButtonlanguage")->click();  // the longer English texts
    QCoreApplication::processEvents();
    for (const char* name : {"pushButtonScopeFreeze", "pushButtonScopeCursors", "pushButtonScopeExport"}) {
        QPushButton* b = s.button(name);
        QVERIFY2(b->isVisible() && b->width() >= b->sizeHint().width(), name);  // the text fits
    }
    QVERIFY(s.w.findChild<QWidget*>("groupBox_2")->width() >= 245);
    QVERIFY(s.button("pushButtonSaveWave")->width() <= 200);
    QVERIFY(s.label("label_selChInfo")->height() <= 20);
    QVERIFY(s.plot()->height() >= 400);
    // the window needs no more room than without the new widgets
    QWidget* central = s.w.findChild<QWidget*>("centralwidget");
    const QSize needed = central->minimumSizeHint();
    for (const char* name : {"pushButtonScopeFreeze", "pushButtonScopeCursors", "pushButtonScopeExport", "labelScopeCursors"})
        s.w.findChild<QWidget*>(name)->hide();
    QCOMPARE(needed, central->minimumSizeHint());
}

QTEST_MAIN(ScopeWindowTest)
#include "tst_scope_window.moc"
