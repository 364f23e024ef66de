// The image helpers: block count, block bytes with 0xFF padding, the size
// limits, the information and finish frame data, the Intel HEX check and the
// reading of the image file.

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include "protocol/firmwareimage.h"
#include "protocol/intelhex.h"

namespace {

QByteArray counting(int size)
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char(i + 1);
    return image;
}

QByteArray bytes(const uint8_t out[8]) { return QByteArray(reinterpret_cast<const char*>(out), 8); }

}  // namespace

class UpgradeImageTest : public QObject {
    Q_OBJECT

private slots:
    void blockCount_data();
    void blockCount();
    void blockBytes_data();
    void blockBytes();
    void sizeCheck_data();
    void sizeCheck();
    void informationAndFinish_data();
    void informationAndFinish();
    void intelHex_data();
    void intelHex();
    void readImage_data();
    void readImage();
};

void UpgradeImageTest::blockCount_data()
{
    QTest::addColumn<uint32_t>("size");
    QTest::addColumn<uint32_t>("blocks");
    QTest::newRow("one block exactly") << 8u << 1u;
    QTest::newRow("nine bytes") << 9u << 2u;
    QTest::newRow("512 KiB") << 524288u << 65536u;
    QTest::newRow("one byte more") << 524289u << 65537u;
    QTest::newRow("no overflow near the top") << 0xFFFFFFFFu << 0x20000000u;
}

void UpgradeImageTest::blockCount()
{
    QFETCH(uint32_t, size);
    QFETCH(uint32_t, blocks);
    QCOMPARE(firmware::blockCountFor(size), blocks);
}

void UpgradeImageTest::blockBytes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<uint32_t>("block");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("20 bytes, block 0") << 20 << 0u << QByteArray::fromHex("0102030405060708");
    QTest::newRow("20 bytes, block 2: four bytes, four 0xFF") << 20 << 2u << QByteArray::fromHex("11121314ffffffff");
    QTest::newRow("9 bytes, block 1: one byte, seven 0xFF") << 9 << 1u << QByteArray::fromHex("09ffffffffffffff");
    QTest::newRow("past the end: all 0xFF") << 9 << 7u << QByteArray::fromHex("ffffffffffffffff");
    QTest::newRow("512 KiB, last block") << 524288 << 65535u << counting(524288).right(8);
    QTest::newRow("a block number whose byte offset passes 32 bits") << 16 << 0x30000000u
                                                                     << QByteArray::fromHex("ffffffffffffffff");
}

void UpgradeImageTest::blockBytes()
{
    QFETCH(int, size);
    QFETCH(uint32_t, block);
    QFETCH(QByteArray, expected);
    uint8_t out[8];
    firmware::blockBytes(counting(size), block, out);
    QCOMPARE(bytes(out).toHex(' '), expected.toHex(' '));
}

void UpgradeImageTest::sizeCheck_data()
{
    QTest::addColumn<quint64>("size");
    QTest::addColumn<int>("check");
    QTest::newRow("empty") << quint64(0) << int(firmware::SizeCheck::empty);
    QTest::newRow("512 KiB") << quint64(524288) << int(firmware::SizeCheck::accepted);
    QTest::newRow("one byte more") << quint64(524289) << int(firmware::SizeCheck::tooLarge);
    QTest::newRow("4 GiB + 1 is not mistaken for 1") << quint64(0x100000001ull) << int(firmware::SizeCheck::tooLarge);
}

void UpgradeImageTest::sizeCheck()
{
    QFETCH(quint64, size);
    QFETCH(int, check);
    QCOMPARE(int(firmware::checkSize(size)), check);
}

void UpgradeImageTest::informationAndFinish_data()
{
    QTest::addColumn<uint32_t>("size");
    QTest::addColumn<QByteArray>("information");
    QTest::addColumn<QByteArray>("finish");
    QTest::newRow("9 bytes") << 9u << QByteArray::fromHex("0900000002000000") << QByteArray::fromHex("0200000000000000");
    QTest::newRow("512 KiB") << 524288u << QByteArray::fromHex("0000080000000100")
                             << QByteArray::fromHex("0000010000000000");
}

void UpgradeImageTest::informationAndFinish()
{
    QFETCH(uint32_t, size);
    QFETCH(QByteArray, information);
    QFETCH(QByteArray, finish);
    uint8_t out[8];
    std::fill(out, out + 8, 0xAA);
    firmware::informationBytes(size, firmware::blockCountFor(size), out);
    QCOMPARE(bytes(out).toHex(' '), information.toHex(' '));
    std::fill(out, out + 8, 0xAA);
    firmware::finishBytes(firmware::blockCountFor(size), out);
    QCOMPARE(bytes(out).toHex(' '), finish.toHex(' '));
}

namespace {

const QByteArray dataRecord(":10010000214601360121470136007EFE09D2190140");
const QByteArray endRecord(":00000001FF");

}  // namespace

void UpgradeImageTest::intelHex_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("badLine");  // 0: well-formed
    const QByteArray crlf("\r\n");
    QTest::newRow("data and end, CR LF") << dataRecord + crlf + endRecord + crlf << 0;
    QTest::newRow("lower case, LF, no final newline")
        << dataRecord.toLower() + "\n:020000040800F2\n" + endRecord << 0;
    QTest::newRow("every address and start record")
        << QByteArray(":020000021000EC\n:0400000300003800C1\n:020000040800F2\n:04000005000000CD2A\n") + endRecord << 0;
    QTest::newRow("checksum") << dataRecord + "\n" + ":10011000214601360121470136007EFE09D2190141\n" + endRecord << 2;
    QTest::newRow("count longer than the data") << ":11010000214601360121470136007EFE09D2190140\n" + endRecord << 1;
    QTest::newRow("a space inside") << ":1001000021460136012147013600 7EFE09D2190140\n" + endRecord << 1;
    QTest::newRow("no colon") << "10010000214601360121470136007EFE09D2190140\n" + endRecord << 1;
    QTest::newRow("unknown record type") << QByteArray(":00000006FA\n") + endRecord << 1;
    QTest::newRow("end record with data") << dataRecord + "\n:01000001AA54\n" << 2;
    QTest::newRow("blank line") << dataRecord + "\n\n" + endRecord << 2;
    QTest::newRow("no end record") << dataRecord + "\n" + dataRecord + "\n" << 3;
    QTest::newRow("two end records") << endRecord + "\n" + endRecord << 2;
    QTest::newRow("data after the end") << endRecord + "\n" + dataRecord << 2;
    QTest::newRow("a binary image") << QByteArray("\x7f" "ELF\x02\x01", 6) << 1;
}

void UpgradeImageTest::intelHex()
{
    QFETCH(QByteArray, text);
    QFETCH(int, badLine);
    QCOMPARE(intelhex::firstBadLine(text), badLine);
}

void UpgradeImageTest::readImage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");  // written to `name` in a fresh folder
    QTest::addColumn<QString>("path");        // what is read: relative to that folder
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("badLine");
    using F = firmware::ImageFault;
    const QByteArray hex = dataRecord + "\n" + endRecord + "\n";
    QTest::newRow("512 KiB") << "a.bin" << QByteArray(524288, '\x5a') << "a.bin" << int(F::none) << 0;
    QTest::newRow("well-formed .hex") << "a.HEX" << hex << "a.HEX" << int(F::none) << 0;
    QTest::newRow("malformed .hex") << "a.hex" << dataRecord + "\n" << "a.hex" << int(F::malformedHex) << 2;
    QTest::newRow("HEX text in a .bin is sent as it is") << "a.bin" << dataRecord << "a.bin" << int(F::none) << 0;
    QTest::newRow("missing") << "a.bin" << QByteArray("x") << "b.bin" << int(F::missing) << 0;
    QTest::newRow("no path") << "a.bin" << QByteArray("x") << QString() << int(F::missing) << 0;
    QTest::newRow("empty") << "a.bin" << QByteArray() << "a.bin" << int(F::empty) << 0;
    QTest::newRow("one byte too many") << "a.bin" << QByteArray(524289, '\x5a') << "a.bin" << int(F::tooLarge) << 0;
    QTest::newRow("directory") << "a.bin" << QByteArray("x") << "." << int(F::notRegularFile) << 0;
    QTest::newRow("FIFO") << "fifo" << QByteArray() << "fifo" << int(F::notRegularFile) << 0;
    QTest::newRow("link to /dev/zero") << "zero.bin" << QByteArray() << "zero.bin" << int(F::notRegularFile) << 0;
}

void UpgradeImageTest::readImage()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, path);
    QFETCH(int, fault);
    QFETCH(int, badLine);
    QTemporaryDir dir;
    const QString file = dir.filePath(name);
    if (name == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    else if (name == "zero.bin")
        QVERIFY(QFile::link("/dev/zero", file));
    else {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    const firmware::Image image = firmware::readImage(path.isNull() ? QString() : dir.filePath(path));
    QCOMPARE(int(image.fault), fault);
    QCOMPARE(image.badLine, badLine);
    QCOMPARE(image.bytes, fault == int(firmware::ImageFault::none) ? content : QByteArray());
}

QTEST_APPLESS_MAIN(UpgradeImageTest)
#include "tst_upgrade_image.moc"
