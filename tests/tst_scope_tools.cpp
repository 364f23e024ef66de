// The plot's tools against the simulated drive's stream, in process: freeze
// while samples and the wave file go on, two cursors read the samples of a
// ramp and a sine, the legend hides channels, and the export writes the
// visible range as CSV, or the plot as PNG and PDF.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "scope/envelopegraph.h"
#include "scope/wavedisplay.h"
#include "sim/simscope.h"
#include "support/inprocess.h"
#include "support/scripteddialogs.h"
#include "ui/mainwindow.h"

namespace {

constexpr uint8_t driveId = 5;
constexpr uint64_t driveUid = 0x1122334455667701ull;
constexpr int frequency = 100;  // samples 10 ms apart, the first at 0.01 s

// Selector indices of the simulated table's variables: a float ramp and a sine.
enum Variable { MaxSpeed = 3, Temperature = 12 };

struct Scope {
    ScriptedDialogs dialogs;
    MainWindow w;
    LoopDrive drive{w, driveId, driveUid};
    QString chosenFile;
    Scope()
    {
        w.setDialogs(&dialogs);
        drive.listAsOnlyDrive();
        dialogs.saveFileName = [this](const QString&, const QString&, const QString&) { return chosenFile; };
        w.resize(1700, 843);
        auto* tabs = w.findChild<QTabWidget*>("tabWidget");
        tabs->setCurrentWidget(w.findChild<QWidget*>("tab_Oscilloscope"));
        w.show();
    }
    QPushButton* button(const char* name) const { return w.findChild<QPushButton*>(name); }
    QLabel* label(const char* name) const { return w.findChild<QLabel*>(name); }
    waveDisplay* plot() const { return w.findChild<waveDisplay*>("waveShow"); }
    int decoded() const { return int(w.worker.decodedSamples); }
    // Table, ramp on channel 1 and sine on channel 2 at 100 Hz, stream on.
    bool start()
    {
        button("pushButtonRefreshTable")->click();
        if (!QTest::qWaitFor([&] { return label("labelParaInfo")->text() == QString::fromUtf8("更新参数表成功！"); }, 3000))
            return false;
        w.findChild<QComboBox*>("comboBoxCh1")->setCurrentIndex(MaxSpeed);
        w.findChild<QComboBox*>("comboBoxCh2")->setCurrentIndex(Temperature);
        w.findChild<QLineEdit*>("lineEditSetEchoFre")->setText(QString::number(frequency));
        button("pushButtonEchoSet")->click();
        if (!QTest::qWaitFor([&] { return button("pushButtonEchoStart")->isEnabled(); }, 3000))
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

class ScopeToolsTest : public QObject {
    Q_OBJECT

private slots:
    void freezeKeepsTheShownData();
    void cursorsReadTheNearestSamples();
    void legendHidesChannelsAndDoubleClickShowsTheWindow();
    void csvOfTheVisibleRange();
    void imagesOfThePlot_data();
    void imagesOfThePlot();
    void exportFailureShowsItsCause_data();
    void exportFailureShowsItsCause();
    void englishTexts();
    void tabLayoutKeepsItsLimits();
};

void ScopeToolsTest::freezeKeepsTheShownData()
{
    QTemporaryDir dir;
    Scope s;
    s.chosenFile = dir.filePath("wave.txt");
    QVERIFY(s.start());
    s.button("pushButtonSaveWave")->click();
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
    QFile wave(s.chosenFile);
    QVERIFY(wave.open(QIODevice::ReadOnly));
    QCOMPARE(wave.readAll().count("\r\n"), s.decoded());
}

void ScopeToolsTest::cursorsReadTheNearestSamples()
{
    Scope s;
    QVERIFY(s.start());
    QVERIFY(s.stopAfter(150));
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
    // the ramp rises 10 per second; the sine crosses zero at 1 s
    QVERIFY(std::abs(s.sent(0, 0.9) - s.sent(0, 0.3) - 6.0) < 1e-5);
    QVERIFY(std::abs(s.sent(1, 1.01)) < 1e-9);

    s.button("pushButtonScopeCursors")->click();
    QVERIFY(!plot->cursorPlaced(0));
    QCOMPARE(s.label("labelScopeCursors")->text(), QString());
}

void ScopeToolsTest::legendHidesChannelsAndDoubleClickShowsTheWindow()
{
    Scope s;
    QVERIFY(s.start());
    QVERIFY(s.stopAfter(60));
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

void ScopeToolsTest::csvOfTheVisibleRange()
{
    QTemporaryDir dir;
    Scope s;
    s.chosenFile = dir.filePath("range.csv");
    QVERIFY(s.start());
    QVERIFY(s.stopAfter(120));
    s.plot()->xAxis->setRange(0.305, 0.805);
    s.button("pushButtonScopeExport")->click();
    QCOMPARE(s.label("label_selChInfo")->styleSheet(), QString("color:green;"));
    QCOMPARE(s.label("label_selChInfo")->text(), QString::fromUtf8("已导出：range.csv"));

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

void ScopeToolsTest::imagesOfThePlot_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("header");
    QTest::newRow("png") << "plot.png" << QByteArray("\x89PNG\r\n\x1a\n");
    QTest::newRow("pdf") << "plot.pdf" << QByteArray("%PDF-");
}

void ScopeToolsTest::imagesOfThePlot()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, header);
    QTemporaryDir dir;
    Scope s;
    s.chosenFile = dir.filePath(name);
    QVERIFY(s.start());
    QVERIFY(s.stopAfter(100));
    s.button("pushButtonScopeExport")->click();
    QCOMPARE(s.label("label_selChInfo")->styleSheet(), QString("color:green;"));
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

void ScopeToolsTest::exportFailureShowsItsCause_data()
{
    QTest::addColumn<QString>("name");  // under a temporary folder
    QTest::addColumn<QString>("cause");
    QTest::newRow("missing folder") << "missing/plot.csv" << "";
    QTest::newRow("unknown type") << "plot.txt" << QString::fromUtf8("文件名须以.csv、.png或.pdf结尾");
}

void ScopeToolsTest::exportFailureShowsItsCause()
{
    QFETCH(QString, name);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    Scope s;
    s.chosenFile = dir.filePath(name);
    s.button("pushButtonScopeExport")->click();
    QCOMPARE(s.label("label_selChInfo")->styleSheet(), QString("color:red;"));
    const QString text = s.label("label_selChInfo")->text();
    QVERIFY2(text.startsWith(QString::fromUtf8("导出失败：")), qPrintable(text));
    QVERIFY(text.size() > 6);
    if (!cause.isEmpty())
        QCOMPARE(text, QString::fromUtf8("导出失败：") + cause);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

void ScopeToolsTest::englishTexts()
{
    Scope s;
    s.button("pushButtonlanguage")->click();
    s.button("pushButtonScopeCursors")->click();
    QCOMPARE(s.label("labelScopeCursors")->text(), QString("Click the plot to place cursor A"));
    s.button("pushButtonlanguage")->click();
    QCOMPARE(s.label("labelScopeCursors")->text(), QString::fromUtf8("单击波形放置游标A"));
    s.chosenFile = "/nonexistent-folder/x.csv";
    s.button("pushButtonlanguage")->click();
    s.button("pushButtonScopeExport")->click();
    QVERIFY(s.label("label_selChInfo")->text().startsWith("Export failed: "));
}

void ScopeToolsTest::tabLayoutKeepsItsLimits()
{
    Scope s;
    QVERIFY(QTest::qWaitForWindowExposed(&s.w));
    QVERIFY(s.start());
    QVERIFY(s.stopAfter(30));
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

QTEST_MAIN(ScopeToolsTest)
#include "tst_scope_tools.moc"
