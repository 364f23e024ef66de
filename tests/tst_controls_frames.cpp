// The frames the operator controls build themselves, and the field rules behind them.

#include <QtTest>

#include "support/ruletable.h"
#include "controls/commandframes.h"

using namespace commandframes;

class TestControlFrames : public QObject {
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
};

// Every frame and field rule as one text: what the code gives, as written in the row.
void TestControlFrames::rules_data()
{
    ruletable::columns();
    const auto row = ruletable::row;
    const auto z = [](const char* s) { return QString::fromUtf8(s); };
    const auto frame = [](const CanFrame& f) {  // identifier, length, all eight data bytes
        return QStringLiteral("%1 %2 ").arg(f.id, 8, 16, QLatin1Char('0')).arg(f.length)
               + QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(f.data), 8).toHex());
    };
    row("float write", frame(paramWriteFloat(0x21, 0x700A, 1.0f)), "1200fd21 8 0a7000000000803f");
    row("byte write", frame(paramWriteByte(3, indexRunMode, 5)), "1200fd03 8 0570000005000000");
    row("reporting start", frame(reportingFrame(7, 0, true)), "1800fd07 7 0100000000000000");
    row("reporting stop", frame(reportingFrame(7, 0, false)), "1800fd07 7 0000000000000000");
    row("model 2 reports by type 23", frame(reportingFrame(7, 2, true)), "1700fd07 7 0100000000000000");
    row("model 31 is plain", frame(reportingFrame(7, 31, true)), "1800fd07 7 0100000000000000");
    row("model 32 start keyed", frame(reportingFrame(7, 32, true)), "1800fd07 7 0102030405060100");
    row("model 81 stop keyed", frame(reportingFrame(7, 81, false)), "1800fd07 7 0102030405060000");
    row("jog press", frame(jogFrame(4, 1.0f, true, -50, 50)), "1200fd04 8 057000000701828e");
    row("jog release", frame(jogFrame(4, 0.0f, false, -50, 50)), "1200fd04 8 0570000007007fff");
    row("clear fault", frame(clearFaultFrame(9)), "0400fd09 8 0100000000000000");
    row("private protocol", frame(privateProtocolFrame()), "00000fff 8 0102030405060000");
    row("report period, model 2", frame(reportPeriodFrame(2, 2, 19)), "1200fd02 8 2470000013000000");
    row("report period, two bytes", frame(reportPeriodFrame(2, 0, 258)), "1200fd02 8 2670000002010000");

    const auto period = [](const char* input) {  // the code sent, and the text the field shows afterwards
        const uint16_t code = reportPeriodCode(input);
        return QStringLiteral("%1 %2").arg(code).arg(reportPeriodText(code));
    };
    row("period 3", period("3"), "0 5");
    row("period 5", period("5"), "1 10");
    row("period 14", period("14"), "1 10");
    row("period 15", period("15"), "2 15");
    row("period 100", period("100"), "19 100");
    row("period not a number is 0", period("abc"), "0 5");
    row("period reduced to 16 bits", period("65541"), "1 10");
    row("period 65535", period("65535"), "13106 65535");

    const auto jog = [](float speed, float low, float high) { return QString::number(jogSpeedWord(speed, low, high)); };
    row("jog +1 default", jog(1, -50, 50), "33422");
    row("jog -1 default", jog(-1, -50, 50), "32112");
    row("jog +1 narrow range", jog(1, -20, 20), "34405");
    row("jog beyond the range saturates", jog(1, -0.5f, 0.5f), "65535");
    row("jog below the range is 0", jog(-1, -0.5f, 0.5f), "0");
    row("jog empty range is 0", jog(1, 0, 0), "0");

    const auto mode = [](const QString& text, uint8_t model) { return QString::number(runModeCode(text, model)); };
    row("MIT zh", mode(z("运控模式"), 0), "0");
    row("MIT en", mode("MIT", 0), "0");
    row("PP zh", mode(z("插补位置模式"), 0), "1");
    row("PP en", mode("PP", 0), "1");
    row("velocity zh", mode(z("速度模式"), 0), "2");
    row("velocity en", mode("Velocity", 0), "2");
    row("current zh", mode(z("电流模式"), 0), "3");
    row("current en", mode("Current", 0), "3");
    row("CSP zh", mode(z("位置模式"), 0), "5");
    row("CSP en", mode("CSP", 2), "5");
    row("CSP zh on model 1", mode(z("位置模式"), 1), "1");
    row("CSP en on model 1", mode("CSP", 1), "1");
    row("blank mode", mode("", 1), "0");
    row("unknown mode", mode("Torque", 0), "0");

    const auto adapter = [](const QString& rate, const QString& type) {  // rate code, its command line's data, frame-type code
        const CanFrame f = moduleCommand(moduleSetRate, adapterRateCode(rate));
        return QStringLiteral("%1 %2 %3").arg(adapterRateCode(rate))
            .arg(QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(f.data), f.length).toHex()))
            .arg(adapterFrameTypeCode(type));
    };
    row("blank items", adapter("", ""), "0 3b0000 1");
    row("1M / extended en", adapter("1Mbps", "Extended Frame"), "1 3b0100 1");
    row("500k / standard en", adapter("500kbps", "Standard Frame"), "2 3b0200 2");
    row("250k / extended zh", adapter("250kbps", z("扩展帧")), "3 3b0300 1");
    row("125k / standard zh", adapter("125kbps", z("标准帧")), "4 3b0400 2");
    row("unknown", adapter("2Mbps", "Standard frame"), "0 3b0000 1");

    // A motion field after a keystroke: the bound it is replaced by, or nothing when the text stands.
    row("position 13", clampedFieldText("13", -12.57f, 12.57f), "12.57");
    row("position 1 stands", clampedFieldText("1", -12.57f, 12.57f), "");
    row("position -13", clampedFieldText("-13", -12.57f, 12.57f), "-12.57");
    row("position 12.57 stands", clampedFieldText("12.57", -12.57f, 12.57f), "");
    row("lone minus stands", clampedFieldText("-", -12.57f, 12.57f), "");
    row("Kp -1", clampedFieldText("-1", 0, 5000), "0.00");
    row("Kp empty stands", clampedFieldText("", 0, 5000), "");
    row("Kd 5.01", clampedFieldText("5.01", 0, 5), "5.00");
    row("infinity clamps", clampedFieldText("inf", -12.57f, 12.57f), "12.57");
    row("nan is 0", clampedFieldText("nan", -12.57f, 12.57f), "");
    row("nan below a positive range", clampedFieldText("nan", 1, 2), "1.00");

    const auto canId = [](const char* text) {  // the id taken, and the text shown instead
        const CanIdInput input = parseCanIdInput(text);
        return QStringLiteral("%1 %2").arg(input.id).arg(input.replacement);
    };
    row("id 1", canId("1"), "1 ");
    row("id 127", canId("127"), "127 ");
    row("id 128", canId("128"), "127 127");
    row("id 0", canId("0"), "1 1");
    row("id empty", canId(""), "1 1");
    row("id letters", canId("ab"), "1 1");
    row("id negative", canId("-3"), "1 1");
    row("id too long for 32 bits", canId("99999999999"), "127 127");
}

void TestControlFrames::rules()
{
    ruletable::compareRow();
}

QTEST_GUILESS_MAIN(TestControlFrames)
#include "tst_controls_frames.moc"
