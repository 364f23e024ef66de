// Value types as texts and back: names, limits, raw values of every type and
// the texts of the transfer's error words; the typed conversion of a number
// and the checks of an edited cell.

#include <QtTest>
#include <cstring>

#include "params/valuetext.h"
#include "protocol/parametertable.h"

namespace {

QByteArray raw8(const QByteArray& bytes) { return bytes.leftJustified(8, '\0', true); }

template <typename T>
QByteArray rawOf(T v)
{
    QByteArray r(8, '\0');
    std::memcpy(r.data(), &v, sizeof v);
    return r;
}

WritableParamEntry entry(uint32_t type, float minValue, float maxValue, const QString& current)
{
    WritableParamEntry e;
    e.valueType = type;
    e.minValue = minValue;
    e.maxValue = maxValue;
    e.valueText = current;
    return e;
}

}  // namespace

class ParamsValuesTest : public QObject {
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void fromNumber_data();
    void fromNumber();
    void numberEdits_data();
    void numberEdits();
    void textEdits_data();
    void textEdits();
};

void ParamsValuesTest::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const char* names[] = {"uint8", "int8", "uint16", "int16", "uint32", "int32", "float", "uint64", "int64", "double"};
    for (uint t = 0; t < 10; ++t)
        QTest::newRow(names[t]) << valueTypeName(t) << QString(names[t]);
    QTest::newRow("text type has no name") << valueTypeName(10) << QString("none");
    QTest::newRow("type 15 has no name") << valueTypeName(15) << QString("none");

    QTest::newRow("limit: float 10 with 2 decimals") << limitToText(vtFloat, 10.0f, 2) << QString("10.00");
    QTest::newRow("limit: double -0.5 with 3") << limitToText(vtDouble, -0.5f, 3) << QString("-0.500");
    QTest::newRow("limit: int16 -10") << limitToText(vtInt16, -10.0f, 2) << QString("-10");
    QTest::newRow("limit: uint64 large") << limitToText(vtUint64, 3.0e9f, 0) << QString("3000000000");
    QTest::newRow("limit: text") << limitToText(vtText, 1.0f, 0) << QString("none");

    const auto value = [](uint32_t type, const QByteArray& raw) {
        return valueToText(type, reinterpret_cast<const uint8_t*>(raw8(raw).constData()));
    };
    QTest::newRow("uint8 255") << value(vtUint8, "\xFF") << QString("255");
    QTest::newRow("int8 -1") << value(vtInt8, "\xFF") << QString("-1");
    QTest::newRow("uint16 65535") << value(vtUint16, "\xFF\xFF") << QString("65535");
    QTest::newRow("int16 -2") << value(vtInt16, "\xFE\xFF") << QString("-2");
    QTest::newRow("uint32 max") << value(vtUint32, "\xFF\xFF\xFF\xFF") << QString("4294967295");
    QTest::newRow("int32 min") << value(vtInt32, QByteArray("\x00\x00\x00\x80", 4)) << QString("-2147483648");
    QTest::newRow("float 1.5") << value(vtFloat, rawOf(1.5f)) << QString("1.500000");
    QTest::newRow("uint64 max") << value(vtUint64, QByteArray(8, '\xFF')) << QString("18446744073709551615");
    QTest::newRow("int64 -1") << value(vtInt64, QByteArray(8, '\xFF')) << QString("-1");
    QTest::newRow("double 0.125") << value(vtDouble, rawOf(0.125)) << QString("0.125000000000");
    QTest::newRow("type 11") << value(11, QByteArray(8, '\0')) << QString("none");

    QTest::newRow("download 0x0C") << downloadErrorText(0x0C, 0).chinese
                                   << QString("Error updating parameter table code:0Xc/Number missing frame/Discontinuous numbering");
    QTest::newRow("download counts") << downloadErrorText(0x481, 0x2005).chinese
                                     << QString("Error updating parameter table code:0X481/Illegal type"
                                                "/Wrong number of writable strings/Wrong number of read-only parameters");
    QTest::newRow("incomplete entry, English") << downloadErrorText(0x820, 0x2005).english
                                               << QString("Error updating parameter table code:0X820/Missing frames"
                                                          "/Incomplete entry 0X2005");
    QTest::newRow("incomplete entry, Chinese") << downloadErrorText(0x800, 0x300a).chinese
                                               << QString::fromUtf8("Error updating parameter table code:0X800/参数 0X300a 不完整");
    QTest::newRow("read status, English") << readErrorText(0x2003, 0x01).english
                                          << QString("Read parameter 0X2003An error occurred:/No function code");
    QTest::newRow("read, Chinese") << readErrorText(0x000a, 0x16).chinese
                                   << QString::fromUtf8("读取参数0X000a发生错误:/类型错误/漏帧/编号不匹配");
    QTest::newRow("write range") << writeErrorText(0x2001, 0x40).english
                                 << QString("Write parameter 0X2001An error occurred:/Setting data out of range");
    QTest::newRow("write mismatch order") << writeErrorText(0x2001, 0xC002).english
                                          << QString("Write parameter 0X2001An error occurred:/No such parameter"
                                                     "/Command mismatch/Parameter mismatch");
    QTest::newRow("write, Chinese") << writeErrorText(0x0003, 0x0200).chinese
                                    << QString::fromUtf8("写参数0X0003发生错误:/保存失败");
}

void ParamsValuesTest::texts()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void ParamsValuesTest::fromNumber_data()
{
    QTest::addColumn<uint>("type");
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("raw");
    QTest::newRow("uint8 300.7 keeps the low byte") << uint(vtUint8) << 300.7 << QString("44") << raw8("\x2C");
    QTest::newRow("int8 -129") << uint(vtInt8) << -129.0 << QString("127") << raw8("\x7F");
    QTest::newRow("uint16 70000") << uint(vtUint16) << 70000.0 << QString("4464") << raw8("\x70\x11");
    QTest::newRow("int16 -2.9 truncates toward zero") << uint(vtInt16) << -2.9 << QString("-2") << raw8("\xFE\xFF");
    QTest::newRow("int32 -7.5") << uint(vtInt32) << -7.5 << QString("-7") << raw8("\xF9\xFF\xFF\xFF");
    QTest::newRow("uint32 2^32+5") << uint(vtUint32) << 4294967301.0 << QString("5") << raw8("\x05");
    QTest::newRow("uint32 -1") << uint(vtUint32) << -1.0 << QString("4294967295") << raw8("\xFF\xFF\xFF\xFF");
    QTest::newRow("int64 -5") << uint(vtInt64) << -5.0 << QString("-5") << rawOf(int64_t(-5));
    QTest::newRow("uint64 above 2^63") << uint(vtUint64) << 10000000000000000000.0 << QString("10000000000000000000")
                                       << rawOf(uint64_t(10000000000000000000ull));
    QTest::newRow("uint64 small") << uint(vtUint64) << 42.9 << QString("42") << rawOf(uint64_t(42));
    QTest::newRow("float rounds to single") << uint(vtFloat) << 0.1 << QString("0.100000") << rawOf(0.1f);
    QTest::newRow("double unchanged") << uint(vtDouble) << 0.1 << QString("0.100000000000") << rawOf(0.1);
    QTest::newRow("no type") << 12u << 5.0 << QString("0") << QByteArray(8, '\0');
    QTest::newRow("int16 far out of range stays defined") << uint(vtInt16) << 1e300 << QString("-1") << raw8("\xFF\xFF");
}

void ParamsValuesTest::fromNumber()
{
    QFETCH(uint, type);
    QFETCH(double, number);
    QFETCH(QString, text);
    QFETCH(QByteArray, raw);
    uint8_t out[8];
    std::memset(out, 0xAA, 8);
    QCOMPARE(valueFromNumber(type, number, out), text);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(out), 8), raw);
}

void ParamsValuesTest::numberEdits_data()
{
    QTest::addColumn<uint>("type");
    QTest::addColumn<float>("minValue");
    QTest::addColumn<float>("maxValue");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("canonical");
    const int invalid = int(EditVerdict::Invalid), out = int(EditVerdict::OutOfRange);
    const int same = int(EditVerdict::Unchanged), changed = int(EditVerdict::Changed);
    QTest::newRow("12.5 into int16") << uint(vtInt16) << -100.0f << 100.0f << "0" << "12.5" << invalid << QString();
    QTest::newRow("300 into 0..255") << uint(vtUint8) << 0.0f << 255.0f << "0" << "300" << out << QString();
    QTest::newRow("255 into 0..255") << uint(vtUint8) << 0.0f << 255.0f << "0" << "255" << changed << QString("255");
    QTest::newRow("limits inclusive below") << uint(vtInt8) << -10.0f << 10.0f << "0" << "-10" << changed << QString("-10");
    QTest::newRow("negative into unsigned") << uint(vtUint16) << 0.0f << 100.0f << "0" << "-1" << invalid << QString();
    QTest::newRow("letters") << uint(vtFloat) << 0.0f << 10.0f << "1.000000" << "abc" << invalid << QString();
    QTest::newRow("float canonical") << uint(vtFloat) << 0.0f << 10.0f << "1.000000" << "2.5" << changed << QString("2.500000");
    QTest::newRow("same float again") << uint(vtFloat) << 0.0f << 10.0f << "1.500000" << "1.5" << same << QString("1.500000");
    QTest::newRow("text type") << uint(vtText) << 0.0f << 10.0f << "" << "1" << invalid << QString();
    QTest::newRow("uint64 big") << uint(vtUint64) << 0.0f << 2e19f << "0" << "10000000000000000000" << changed
                                << QString("10000000000000000000");
}

void ParamsValuesTest::numberEdits()
{
    QFETCH(uint, type);
    QFETCH(float, minValue);
    QFETCH(float, maxValue);
    QFETCH(QString, current);
    QFETCH(QString, typed);
    QFETCH(int, verdict);
    QFETCH(QString, canonical);
    const NumberEdit edit = checkNumberEdit(entry(type, minValue, maxValue, current), typed);
    QCOMPARE(int(edit.verdict), verdict);
    QCOMPARE(edit.canonical, canonical);
}

void ParamsValuesTest::textEdits_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QByteArray>("pending");
    QTest::newRow("new text") << "Axis-A" << "Axis-B" << int(EditVerdict::Changed) << QByteArray("Axis-B");
    QTest::newRow("20 characters keep 16") << "x" << "ABCDEFGHIJKLMNOPQRST" << int(EditVerdict::Changed)
                                           << QByteArray("ABCDEFGHIJKLMNOP");
    QTest::newRow("non-ASCII") << "x" << QString::fromUtf8("Achse-ä") << int(EditVerdict::Invalid) << QByteArray();
    QTest::newRow("same text") << "Axis-A" << "Axis-A" << int(EditVerdict::Unchanged) << QByteArray();
}

void ParamsValuesTest::textEdits()
{
    QFETCH(QString, current);
    QFETCH(QString, typed);
    QFETCH(int, verdict);
    QFETCH(QByteArray, pending);
    const TextEdit edit = checkTextEdit(current, typed);
    QCOMPARE(int(edit.verdict), verdict);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(edit.pendingText)), pending);
    QCOMPARE(edit.pendingText[16], uint8_t(0));
}

QTEST_GUILESS_MAIN(ParamsValuesTest)
#include "tst_params_values.moc"
