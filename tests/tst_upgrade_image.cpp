// The image helpers: block count, block bytes with 0xFF padding, the size
// limits, the information and finish frame data, the Intel HEX check and the
// reading of the image file.

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <sys/stat.h>

#include "support/ruletable.h"
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

const QByteArray dataRecord(":10010000214601360121470136007EFE09D2190140");
const QByteArray endRecord(":00000001FF");

}  // namespace

class UpgradeImageTest : public QObject {
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void readImage_data();
    void readImage();
};

// Every helper's result as one text, as written in the row.
void UpgradeImageTest::rules_data()
{
    ruletable::columns();
    const auto row = ruletable::row;
    const auto hex = [](const std::function<void(uint8_t*)>& fill) {  // eight bytes written over a stale buffer
        uint8_t out[8];
        std::fill(out, out + 8, 0xAA);
        fill(out);
        return QString::fromLatin1(bytes(out).toHex());
    };
    const auto blocks = [](uint32_t size) { return QString::number(firmware::blockCountFor(size)); };
    row("blocks of 8 bytes", blocks(8), "1");
    row("blocks of 9 bytes", blocks(9), "2");
    row("blocks of 512 KiB", blocks(524288), "65536");
    row("blocks of one byte more", blocks(524289), "65537");
    row("blocks: no overflow near the top", blocks(0xFFFFFFFFu), "536870912");

    const auto block = [&](int size, uint32_t b) { return hex([=](uint8_t* o) { firmware::blockBytes(counting(size), b, o); }); };
    row("20 bytes, block 0", block(20, 0), "0102030405060708");
    row("20 bytes, block 2: four bytes, four 0xFF", block(20, 2), "11121314ffffffff");
    row("9 bytes, block 1: one byte, seven 0xFF", block(9, 1), "09ffffffffffffff");
    row("past the end: all 0xFF", block(9, 7), "ffffffffffffffff");
    row("512 KiB, last block", block(524288, 65535), QString::fromLatin1(counting(524288).right(8).toHex()));
    row("a block number whose byte offset passes 32 bits", block(16, 0x30000000u), "ffffffffffffffff");

    const auto size = [](quint64 n) { return QString::number(int(firmware::checkSize(n))); };
    using C = firmware::SizeCheck;
    row("size: empty", size(0), QString::number(int(C::empty)));
    row("size: 512 KiB", size(524288), QString::number(int(C::accepted)));
    row("size: one byte more", size(524289), QString::number(int(C::tooLarge)));
    row("size: 4 GiB + 1 is not mistaken for 1", size(0x100000001ull), QString::number(int(C::tooLarge)));

    const auto info = [&](uint32_t n) { return hex([=](uint8_t* o) { firmware::informationBytes(n, firmware::blockCountFor(n), o); }); };
    const auto finish = [&](uint32_t n) { return hex([=](uint8_t* o) { firmware::finishBytes(firmware::blockCountFor(n), o); }); };
    row("information, 9 bytes", info(9), "0900000002000000");
    row("information, 512 KiB", info(524288), "0000080000000100");
    row("finish, 9 bytes", finish(9), "0200000000000000");
    row("finish, 512 KiB", finish(524288), "0000010000000000");

    // The first malformed line of an Intel HEX text, 0 when it is well formed.
    const auto bad = [](const QByteArray& text) { return QString::number(intelhex::firstBadLine(text)); };
    const QByteArray crlf("\r\n");
    row("HEX: data and end, CR LF", bad(dataRecord + crlf + endRecord + crlf), "0");
    row("HEX: lower case, LF, no final newline", bad(dataRecord.toLower() + "\n:020000040800F2\n" + endRecord), "0");
    row("HEX: every address and start record",
        bad(QByteArray(":020000021000EC\n:0400000300003800C1\n:020000040800F2\n:04000005000000CD2A\n") + endRecord), "0");
    row("HEX: checksum", bad(dataRecord + "\n" + ":10011000214601360121470136007EFE09D2190141\n" + endRecord), "2");
    row("HEX: count longer than the data", bad(":11010000214601360121470136007EFE09D2190140\n" + endRecord), "1");
    row("HEX: a space inside", bad(":1001000021460136012147013600 7EFE09D2190140\n" + endRecord), "1");
    row("HEX: no colon", bad("10010000214601360121470136007EFE09D2190140\n" + endRecord), "1");
    row("HEX: unknown record type", bad(QByteArray(":00000006FA\n") + endRecord), "1");
    row("HEX: end record with data", bad(dataRecord + "\n:01000001AA54\n"), "2");
    row("HEX: blank line", bad(dataRecord + "\n\n" + endRecord), "2");
    row("HEX: no end record", bad(dataRecord + "\n" + dataRecord + "\n"), "3");
    row("HEX: two end records", bad(endRecord + "\n" + endRecord), "2");
    row("HEX: data after the end", bad(endRecord + "\n" + dataRecord), "2");
    row("HEX: a binary image", bad(QByteArray("\x7f" "ELF\x02\x01", 6)), "1");
}

void UpgradeImageTest::rules()
{
    ruletable::compareRow();
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
