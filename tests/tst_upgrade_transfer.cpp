// The firmware upgrade in process: the transfer driven directly through the
// worker (information frame, blocks and padding, a foreign line, the
// finish frame, the size limits and the 65536-block image), the upgrade
// buttons, and the window's reactions to the upgrade notifications.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"
#include "support/instantblocks.h"
#include "support/scripteddialogs.h"
#include "support/virtualclock.h"
#include "ui/mainwindow.h"

namespace {

QByteArray reply(uint8_t type, uint16_t fieldBits, const QByteArray& data = QByteArray(8, '\0'))
{
    CanFrame frame;
    frame.id = codec::makeId(type, hostId, fieldBits);
    frame.length = uint8_t(data.size());
    for (int i = 0; i < data.size(); ++i)
        frame.data[i] = uint8_t(data[i]);
    return adapterline::encodeDataLine(frame);
}

// What the worker sends, each frame as "identifier length data" in hex, and the states it raises.
struct Sent {
    QStringList frames;
    QList<int> states;
    explicit Sent(otaThread& w)
    {
        QObject::connect(&w, &otaThread::WriteToSerial, [this](QByteArray d, qint16) {
            const CanFrame f = adapterline::parseDataLine(d);
            frames << QStringLiteral("%1 %2 ").arg(f.id, 8, 16, QLatin1Char('0')).arg(f.length)
                          + QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(f.data), 8).toHex());
        });
        QObject::connect(&w, &otaThread::sendState, [this, &w] { states << w.stateCode; });
    }
};

QByteArray counting(int size)
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char(i + 1);
    return image;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return file.fileName();
}

// A window with drive 3 listed and `path` chosen as the image; its loop sends the blocks without pausing.
void prepareUpgrade(MainWindow& window, InstantBlocks& blocks, const QString& path)
{
    blocks.serve(window.worker);
    window.worker.deviceCount = 1;
    window.worker.deviceIds[0] = 3;
    window.findChild<QComboBox*>("comboBoxDev")->addItem("CAN:3  id:1");
    window.firmwarePath = path;
    window.findChild<QPushButton*>("pushButtonInOtaMode")->setEnabled(true);
}

void notify(MainWindow& window, int code)
{
    window.worker.stateCode = code;
    window.StateUpdate();
}

void startTransfer(otaThread& w, const QByteArray& image)
{
    static VirtualClock noPause;
    w.setClock(&noPause);
    w.targetId = 3;
    w.firmwareImage = image;
    w.execute(cmdOtaSendInfo);
}

}  // namespace

class UpgradeTransferTest : public QObject {
    Q_OBJECT

private slots:
    void twentyByteImage();
    void foreignLineRepeatsTheBlock();
    void sizeLimits_data();
    void sizeLimits();
    void eraseFrameCarriesTheMcuId();
    void unknownFinishReply();
    void fullSizeImageEndsInFinish();
    void stopDuringTransferSendsFinish();
    void eraseNeedsASoundImage_data();
    void eraseNeedsASoundImage();
    void theImageCheckedAtEraseIsSent();
    void closingAsksWhileAnUpgradeRuns_data();
    void closingAsksWhileAnUpgradeRuns();
    void labelTexts_data();
    void labelTexts();
    void progressFollowsBlocks();
    void outcomeResetsTheButton_data();
    void outcomeResetsTheButton();
};

void UpgradeTransferTest::twentyByteImage()
{
    otaThread w;
    Sent sent(w);
    startTransfer(w, counting(20));
    QCOMPARE(sent.frames, QStringList{"0c00fd03 8 1400000003000000"});  // size 20, three blocks
    QCOMPARE(w.pendingOp.load(), int(opOtaInfo));
    w.getSerialData(reply(12, 3));
    QCOMPARE(sent.states, QList<int>{stOtaTransferStarted});
    for (int b = 0; b < 3; ++b)
        w.getSerialData(reply(13, 3));
    QCOMPARE(sent.frames.mid(1), (QStringList{"0d000003 8 0102030405060708", "0d000103 8 090a0b0c0d0e0f10",
                                              "0d000203 8 11121314ffffffff",  // the last block padded with 0xFF
                                              "0e000003 8 0300000000000000"}));  // the finish, with the block count
    QCOMPARE(sent.states, (QList<int>{11, 13, 13, 15}));
    QCOMPARE(w.pendingOp.load(), int(opOtaFinish));
}

// Every line while a block waits is its answer: a foreign one repeats the block and is shown as what it is.
void UpgradeTransferTest::foreignLineRepeatsTheBlock()
{
    otaThread w;
    Sent sent(w);
    startTransfer(w, counting(100));
    w.getSerialData(reply(12, 3));
    w.getSerialData(reply(13, 3));
    w.getSerialData(reply(2, 9));
    QCOMPARE(sent.frames.mid(2), (QStringList{"0d000103 8 090a0b0c0d0e0f10", "0d000103 8 090a0b0c0d0e0f10"}));
    QCOMPARE(int(w.blockIndex), 1);
    QCOMPARE(sent.states.last(), int(stMotorFeedback));
}

void UpgradeTransferTest::sizeLimits_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("state");
    QTest::newRow("empty") << 0 << int(stOtaFileEmpty);
    QTest::newRow("one byte more") << 524289 << int(stOtaFileTooLarge);
}

void UpgradeTransferTest::sizeLimits()
{
    QFETCH(int, size);
    QFETCH(int, state);
    otaThread w;
    Sent sent(w);
    startTransfer(w, QByteArray(size, '\x5A'));
    QVERIFY(sent.frames.isEmpty());
    QCOMPARE(sent.states, QList<int>{state});
    QCOMPARE(w.pendingOp.load(), 0);
}

void UpgradeTransferTest::eraseFrameCarriesTheMcuId()
{
    otaThread w;
    Sent sent(w);
    w.targetId = 4;
    w.selectedDevice = 2;
    w.deviceUids[2] = 0x0102030405060708ull;
    w.execute(cmdOtaErase);
    QCOMPARE(sent.frames, QStringList{"0b00fd04 8 0807060504030201"});
    w.getSerialData(reply(11, 4));
    QCOMPARE(int(w.ackFlag), 1);
}

// Neither success nor failure in the finish reply: the transfer's code is raised again.
void UpgradeTransferTest::unknownFinishReply()
{
    otaThread w;
    w.targetId = 3;
    w.stateCode = stOtaTransferDone;
    w.execute(cmdOtaFinish);
    Sent sent(w);
    w.getSerialData(reply(14, 0x0104, QByteArray::fromHex("0700000000000000")));
    QCOMPARE(sent.states, QList<int>{stOtaTransferDone});
    QCOMPARE(int(w.ackFlag), 1);
}

void UpgradeTransferTest::fullSizeImageEndsInFinish()
{
    otaThread w;
    QList<CanFrame> out;
    connect(&w, &otaThread::WriteToSerial, this, [&](QByteArray d, qint16) { out << adapterline::parseDataLine(d); });
    startTransfer(w, counting(524288));
    QCOMPARE(out.size(), 1);  // 512 KiB is the largest image taken
    w.getSerialData(reply(12, 3));
    // The drive answers every block at once; answered one by one so the stack stays flat.
    QVector<int> order;
    order.reserve(65536);
    while (codec::commType(out.last().id) == 13) {
        order << codec::field(out.last().id);
        out.clear();
        w.getSerialData(reply(13, 3));
    }
    QCOMPARE(order.size(), 65536);
    QCOMPARE(order.first(), 0);
    QCOMPARE(order.last(), 65535);
    QCOMPARE(codec::commType(out.last().id), uint8_t(14));
    QCOMPARE(codec::readLe32(out.last().data), 65536u);
}

void UpgradeTransferTest::stopDuringTransferSendsFinish()
{
    InstantBlocks blocks;
    MainWindow window;
    QTemporaryDir dir;
    prepareUpgrade(window, blocks, writeFile(dir, "a.bin", counting(64)));
    Sent sent(window.worker);
    auto* upgrade = window.findChild<QPushButton*>("pushButtonInOtaMode");
    upgrade->click();
    QCOMPARE(upgrade->text(), QString::fromUtf8("停止升级"));
    QCOMPARE(window.findChild<QLabel*>("labelOtaInfo")->text(), QString::fromUtf8("擦除flash,请等待..."));
    window.worker.execute(cmdOtaSendInfo);
    window.worker.getSerialData(reply(12, 3));
    window.worker.getSerialData(reply(13, 3));
    QCOMPARE(window.findChild<QProgressBar*>("progressBar")->maximum(), 8);
    QCOMPARE(window.findChild<QProgressBar*>("progressBar")->value(), 1);
    upgrade->click();
    QCOMPARE(sent.frames.last(), "0e000003 8 0800000000000000");  // the finish, with the block count
    QCOMPARE(upgrade->text(), QString::fromUtf8("启动升级"));
    QVERIFY(window.otaIdle);
}

void UpgradeTransferTest::eraseNeedsASoundImage_data()
{
    QTest::addColumn<QString>("name");  // written into a fresh folder; empty: the dialog was cancelled
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("listed");  // a drive is listed
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("text");
    const auto z = [](const char* s) { return QString::fromUtf8(s); };
    QTest::newRow("dialog cancelled") << QString() << QByteArray() << true << false << z("固件文件不存在！");
    QTest::newRow("a folder") << "dir.bin" << QByteArray() << true << true << "The firmware file is not a regular file!";
    QTest::newRow("empty") << "a.bin" << QByteArray() << true << false << z("bin文件没有数据！");
    QTest::newRow("malformed HEX") << "a.hex" << QByteArray(":00000001FE\n") << true << true
                                   << "Malformed Intel HEX file at line 1";
    QTest::newRow("no drive listed") << "a.bin" << QByteArray("x") << false << false << z("请先检测并选择设备！");
}

void UpgradeTransferTest::eraseNeedsASoundImage()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, listed);
    QFETCH(bool, english);
    QFETCH(QString, text);
    InstantBlocks blocks;
    MainWindow window;
    window.languageEnglish = english;
    QTemporaryDir dir;
    QString path;
    if (name == "dir.bin") {
        QVERIFY(QDir(dir.path()).mkdir(name));
        path = dir.filePath(name);
    } else if (!name.isEmpty()) {
        path = writeFile(dir, name, content);
    }
    ScriptedDialogs dialogs;
    window.setDialogs(&dialogs);
    dialogs.openFileName = [path](const QString&, const QString&, const QString&) { return path; };
    window.findChild<QPushButton*>("pushButtonOpenFile")->click();
    prepareUpgrade(window, blocks, window.firmwarePath);
    if (!listed) {
        window.findChild<QComboBox*>("comboBoxDev")->clear();
        window.findChild<QPushButton*>("pushButtonInOtaMode")->setEnabled(true);  // enabled all the same
    }
    int writes = 0;
    connect(&window.worker, &otaThread::WriteToSerial, this, [&] { ++writes; });
    window.findChild<QPushButton*>("pushButtonInOtaMode")->click();
    auto* info = window.findChild<QLabel*>("labelOtaInfo");
    QCOMPARE(info->text(), text);
    QCOMPARE(info->styleSheet(), QString("color:red;"));
    QCOMPARE(writes, 0);  // the drive is not erased
    QVERIFY(window.otaIdle);
    QVERIFY(!window.findChild<QPushButton*>("pushButtonStartOta")->isEnabled());
}

void UpgradeTransferTest::theImageCheckedAtEraseIsSent()
{
    InstantBlocks blocks;
    MainWindow window;
    QTemporaryDir dir;
    const QString path = writeFile(dir, "a.bin", counting(20));
    prepareUpgrade(window, blocks, path);
    Sent sent(window.worker);
    window.findChild<QPushButton*>("pushButtonInOtaMode")->click();
    QVERIFY(sent.frames.last().startsWith("0b"));  // the erase request
    writeFile(dir, "a.bin", QByteArray(100, '\x77'));  // changed after the check: not what is sent
    auto* start = window.findChild<QPushButton*>("pushButtonStartOta");
    start->setEnabled(true);
    start->click();
    QCOMPARE(sent.frames.mid(1), QStringList{"0c00fd03 8 1400000003000000"});
    window.worker.getSerialData(reply(12, 3));
    QCOMPARE(sent.frames.last(), "0d000003 8 0102030405060708");
}

void UpgradeTransferTest::closingAsksWhileAnUpgradeRuns_data()
{
    QTest::addColumn<bool>("upgrading");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("closed");
    QTest::newRow("idle: no question") << false << false << 0 << true;
    QTest::newRow("upgrading, stay") << true << false << 1 << false;
    QTest::newRow("upgrading, close") << true << true << 1 << true;
}

void UpgradeTransferTest::closingAsksWhileAnUpgradeRuns()
{
    QFETCH(bool, upgrading);
    QFETCH(bool, answer);
    QFETCH(int, questions);
    QFETCH(bool, closed);
    MainWindow window;
    window.show();
    window.otaIdle = !upgrading;
    int asked = 0;
    ScriptedDialogs dialogs;
    window.setDialogs(&dialogs);
    dialogs.yesNo = [&](const QString&, const QString&) { ++asked; return answer; };
    QCOMPARE(window.close(), closed);
    QCOMPARE(asked, questions);
    QCOMPARE(window.isVisible(), !closed);
}

void UpgradeTransferTest::labelTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("style");

    const auto row = [](int code, const char* en, const char* zh, const char* style) {
        QTest::addRow("%d en", code) << code << true << QString::fromUtf8(en) << QString(style);
        QTest::addRow("%d zh", code) << code << false << QString::fromUtf8(zh) << QString(style);
    };
    row(stOtaEnterFailed, "The device failed to enter the upgrade mode！", "设备进入升级模式失败！", "color:red;");
    row(stOtaEntered, "The equipment has entered the upgrade mode！", "设备已进入升级模式！", "color:green;");
    row(stOtaFileEmpty, "There is no data in the bin file！", "bin文件没有数据！", "color:red;");
    row(stOtaFileTooLarge, "The BIN file size exceeds 512KB!", "BIN文件大小超过512KB!", "color:red;");
    row(stOtaTransferStarted, "Transmitting...", "传输中...", "color:black;");
    row(stOtaInfoTimeout, "Failed to send bin file information!", "发送bin文件信息失败！", "color:red;");
    row(stOtaTransferDone, "File transfer complete!", "文件传输完成！", "color:black;");
    row(stOtaSucceeded, "Upgrade successful!", "升级成功！", "color:green;");
    row(stOtaFailed, "Upgrade failed", "升级失败", "color:red;");
    row(stOtaBlockUnanswered, "Upgrade stopped: no answer to block 7", "升级中止：数据块 7 无应答", "color:red;");
}

void UpgradeTransferTest::labelTexts()
{
    QFETCH(int, code);
    QFETCH(bool, english);
    QFETCH(QString, text);
    QFETCH(QString, style);
    MainWindow window;
    window.languageEnglish = english;
    window.worker.blockPosition = 7;
    auto* start = window.findChild<QPushButton*>("pushButtonStartOta");
    start->setEnabled(false);
    notify(window, code);
    auto* info = window.findChild<QLabel*>("labelOtaInfo");
    QCOMPARE(info->text(), text);
    QCOMPARE(info->styleSheet(), style);
    QCOMPARE(start->isEnabled(), code == stOtaEntered);
}

void UpgradeTransferTest::progressFollowsBlocks()
{
    MainWindow window;
    auto* bar = window.findChild<QProgressBar*>("progressBar");
    bar->setValue(40);
    window.worker.blockCount = 65536;
    notify(window, stOtaTransferStarted);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 65536);
    QCOMPARE(bar->value(), 0);
    // the bar follows the position, not the block number in the identifier, which goes back on a resend
    // and wraps at the 65536th block
    for (const auto& [position, index, code] : {std::tuple<int, int, int>{120, 120, stOtaBlockAcked},
                                                {5, 5, stOtaBlockResend}, {65536, 0, stOtaBlockAcked}}) {
        window.worker.blockPosition = uint32_t(position);
        window.worker.blockIndex = uint16_t(index);
        notify(window, code);
        QCOMPARE(bar->value(), position);
    }
}

void UpgradeTransferTest::outcomeResetsTheButton_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("buttonText");
    QTest::addColumn<int>("barValue");
    QTest::newRow("success en") << int(stOtaSucceeded) << true << true << QString("Start the upgrade") << 12;
    QTest::newRow("failure zh: the bar stays") << int(stOtaFailed) << true << false << QString::fromUtf8("启动升级") << 7;
    QTest::newRow("success while idle: the button is not touched")
        << int(stOtaSucceeded) << false << false << QString("unchanged") << 12;
}

void UpgradeTransferTest::outcomeResetsTheButton()
{
    QFETCH(int, code);
    QFETCH(bool, running);
    QFETCH(bool, english);
    QFETCH(QString, buttonText);
    QFETCH(int, barValue);
    MainWindow window;
    window.languageEnglish = english;
    auto* bar = window.findChild<QProgressBar*>("progressBar");
    auto* button = window.findChild<QPushButton*>("pushButtonInOtaMode");
    bar->setRange(0, 12);
    bar->setValue(7);
    window.worker.blockCount = 12;
    button->setText("unchanged");
    window.otaIdle = !running;
    notify(window, code);
    QCOMPARE(button->text(), buttonText);
    QVERIFY(window.otaIdle);
    QCOMPARE(bar->value(), barValue);
}

QTEST_MAIN(UpgradeTransferTest)
#include "tst_upgrade_transfer.moc"
