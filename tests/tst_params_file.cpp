// Parameter files and their comparison with a downloaded table: the round
// trip over every value type and the strings, each comparison result, and
// damaged or foreign files refused with the message that names the fault.

#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include "params/paramcompare.h"
#include "params/paramfile.h"
#include "params/valuetext.h"
#include "support/inprocess.h"
#include "ui/mainwindow.h"

namespace {

constexpr uint8_t driveId = 5;
constexpr uint64_t driveUid = 0x1122334455667701ull;

struct Downloaded {
    MainWindow w;
    LoopDrive drive{w, driveId, driveUid};
    Downloaded()
    {
        drive.listAsOnlyDrive();
        w.findChild<QPushButton*>("pushButtonRefreshTable")->click();
        auto* info = w.findChild<QLabel*>("labelParaInfo");
        ok = QTest::qWaitFor([&] { return info->text() == QString::fromUtf8("更新参数表成功！"); }, 3000);
    }
    ParamFile file() const
    {
        ParamFile f;
        f.canId = driveId;
        f.mcuId = driveUid;
        f.model = QStringLiteral("M-60");
        f.time = QDateTime(QDate(2026, 12, 7), QTime(10, 5, 30, 250), Qt::UTC);
        f.entries = tableEntries(w.worker);
        return f;
    }
    bool ok = false;
};

QJsonObject rootOf(const ParamFile& f)
{
    return QJsonDocument::fromJson(serializeParamFile(f)).object();
}

QByteArray bytesOf(const QJsonObject& o)
{
    return QJsonDocument(o).toJson();
}

}  // namespace

class ParamsFileTest : public QObject {
    Q_OBJECT

private slots:
    void roundTripComparesSame();
    void compareResults_data();
    void compareResults();
    void damagedFilesAreRefused_data();
    void damagedFilesAreRefused();
    void failedWriteLeavesNoFile();
};

void ParamsFileTest::roundTripComparesSame()
{
    Downloaded d;
    QVERIFY(d.ok);
    const ParamFile saved = d.file();
    QSet<QString> types;
    for (const ParamFileEntry& e : saved.entries)
        types << e.type;
    QCOMPARE(types.size(), 11);  // the ten value types and String

    QTemporaryDir dir;
    const QString path = dir.filePath("a.json");
    QString error;
    QVERIFY(writeParamFile(path, saved, error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.json"});

    ParamFile loaded;
    ParamFileProblem problem;
    QVERIFY2(readParamFile(path, loaded, problem), qPrintable(paramFileProblemText(problem).english));
    QCOMPARE(loaded.canId, driveId);
    QCOMPARE(loaded.mcuId, driveUid);
    QCOMPARE(loaded.model, QString("M-60"));
    QCOMPARE(loaded.time, saved.time);
    QCOMPARE(loaded.entries.size(), 25);
    for (int i = 0; i < saved.entries.size(); ++i) {
        const ParamFileEntry& a = saved.entries[i];
        const ParamFileEntry& b = loaded.entries[i];
        QCOMPARE(QStringList({parameterCodeText(b.code), b.name, b.type, b.attribute, b.max, b.min, b.value}),
                 QStringList({parameterCodeText(a.code), a.name, a.type, a.attribute, a.max, a.min, a.value}));
    }
    const QJsonObject entry = rootOf(saved)["entries"].toArray()[5 + 5].toObject();
    QCOMPARE(entry["code"].toString(), QString("0X2005"));
    QCOMPARE(entry["value"].toString(), QString("20.500000"));
    QCOMPARE(entry["max"].toString(), QString("30.00"));
    QCOMPARE(entry["attribute"].toString(), QString("read/write"));

    for (const CompareRow& row : compareWithTable(d.w.worker, loaded.entries))
        QVERIFY2(row.result == CompareResult::Same, qPrintable(parameterCodeText(row.code)));
}

void ParamsFileTest::compareResults_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("field");  // "value", "type", "name", "remove" or "add"
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("english");
    const auto r = [](CompareResult c) { return int(c); };
    QTest::newRow("number differs") << "0X2003" << "value" << "77" << r(CompareResult::Differs) << "differs";
    QTest::newRow("float written shorter") << "0X2005" << "value" << "20.5" << r(CompareResult::Same) << "same";
    QTest::newRow("string differs") << "0X0001" << "value" << "Bench 9" << r(CompareResult::Differs) << "differs";
    QTest::newRow("only in the file") << "0X2020" << "add" << "5" << r(CompareResult::OnlyInFile) << "only in the file";
    QTest::newRow("only on the drive") << "0X2004" << "remove" << "" << r(CompareResult::OnlyOnDrive)
                                       << "only on the drive";
    QTest::newRow("renamed is another entry") << "0X2004" << "name" << "Offset" << r(CompareResult::OnlyOnDrive)
                                              << "only on the drive";
    QTest::newRow("read-only number") << "0X3000" << "value" << "40.000000" << r(CompareResult::ReadOnlyOnDrive)
                                      << "read-only on the drive";
    QTest::newRow("read-only string") << "0X1000" << "value" << "HW 9" << r(CompareResult::ReadOnlyOnDrive)
                                      << "read-only on the drive";
    QTest::newRow("attribute 0") << "0X2006" << "value" << "2.000000" << r(CompareResult::ReadOnlyOnDrive)
                                 << "read-only on the drive";
    QTest::newRow("setup entry") << "0X2000" << "value" << "3" << r(CompareResult::ReadOnlyOnDrive)
                                 << "read-only on the drive";
    QTest::newRow("above the limit") << "0X2003" << "value" << "300" << r(CompareResult::OutOfLimits)
                                     << "out of the drive's limits";
    QTest::newRow("non-ASCII text") << "0X0000" << "value" << QString::fromUtf8("Achse-Ä") << r(CompareResult::OutOfLimits)
                                    << "out of the drive's limits";
    QTest::newRow("type") << "0X2005" << "type" << "double" << r(CompareResult::TypeDiffers) << "different value type";
}

void ParamsFileTest::compareResults()
{
    QFETCH(QString, code);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, result);
    QFETCH(QString, english);
    Downloaded d;
    QVERIFY(d.ok);
    ParamFile f = d.file();
    const uint16_t wanted = uint16_t(code.mid(2).toUInt(nullptr, 16));
    if (field == "add") {
        ParamFileEntry extra;
        extra.code = wanted;
        extra.name = "Extra";
        extra.type = "uint8";
        extra.value = text;
        f.entries << extra;
    }
    for (int i = 0; i < f.entries.size(); ++i) {
        ParamFileEntry& e = f.entries[i];
        if (e.code != wanted || field == "add")
            continue;
        if (field == "remove")
            f.entries.remove(i);
        else if (field == "type")
            e.type = text;
        else if (field == "name")
            e.name = text;
        else
            e.value = text;
        break;
    }
    ParamFile loaded;
    ParamFileProblem problem;
    QVERIFY2(parseParamFile(serializeParamFile(f), loaded, problem), qPrintable(paramFileProblemText(problem).english));

    const QVector<CompareRow> rows = compareWithTable(d.w.worker, loaded.entries);
    int others = 0;
    for (const CompareRow& row : rows) {
        const bool renamed = field == "name" && row.code == wanted && row.result == CompareResult::OnlyInFile;
        if (row.code != wanted || renamed) {
            others += row.result != CompareResult::Same && !renamed;
            continue;
        }
        QCOMPARE(int(row.result), result);
        QCOMPARE(compareResultText(row.result).english, english);
        QCOMPARE(row.writable(), row.result == CompareResult::Differs);
        if (field == "value")
            QCOMPARE(row.fileValue, text);
    }
    QCOMPARE(others, 0);
    QCOMPARE(rows.size(), 25 + (field == "add" || field == "name" ? 1 : 0));
}

void ParamsFileTest::damagedFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("chinese");

    Downloaded d;
    QVERIFY(d.ok);
    const QJsonObject good = rootOf(d.file());
    const QByteArray goodBytes = bytesOf(good);
    const auto e = [](ParamFileError x) { return int(x); };

    QTest::newRow("not JSON") << QByteArray("Axis-A,10,20.5\n") << e(ParamFileError::NotJson)
                              << "Not a parameter file: the content is not JSON (illegal value at byte 1)"
                              << QString::fromUtf8("不是参数文件：内容不是JSON（第1字节：illegal value）");
    QJsonObject foreign = good;
    foreign["format"] = "scope-wave";
    QTest::newRow("wrong format name")
        << bytesOf(foreign) << e(ParamFileError::NotParameterFile)
        << "Not a parameter file: the format name is \"scope-wave\", expected \"torvane-parameters\""
        << QString::fromUtf8("不是参数文件：格式名为“scope-wave”，应为“torvane-parameters”");
    QTest::newRow("JSON array") << QByteArray("[1, 2]") << e(ParamFileError::NotParameterFile)
                                << "Not a parameter file: the JSON holds no object"
                                << QString::fromUtf8("不是参数文件：JSON中没有对象");
    const QByteArray cut = goodBytes.left(goodBytes.size() / 2);
    QTest::newRow("truncated") << cut << e(ParamFileError::Truncated)
                               << QString("Damaged parameter file: the file ends early, after %1 bytes").arg(cut.size())
                               << QString::fromUtf8("参数文件已损坏：文件提前结束，仅有%1字节").arg(cut.size());
    QTest::newRow("truncated in a string") << goodBytes.left(goodBytes.indexOf("Axis") + 2) << e(ParamFileError::Truncated)
                                           << "" << "";
    QJsonObject newer = good;
    newer["version"] = 2;
    QTest::newRow("newer version") << bytesOf(newer) << e(ParamFileError::NewerVersion)
                                   << "Parameter file version 2 is newer than this program reads (1)"
                                   << QString::fromUtf8("参数文件版本2高于本程序可读的版本（1）");
    QJsonObject textVersion = good;
    textVersion["version"] = "1";
    QTest::newRow("version as text") << bytesOf(textVersion) << e(ParamFileError::WrongFieldType)
                                     << "Damaged parameter file: the field \"version\" should be of type number"
                                     << QString::fromUtf8("参数文件已损坏：字段“version”应为数字");
    QJsonObject numberValue = good;
    QJsonArray entries = good["entries"].toArray();
    QJsonObject third = entries[3].toObject();
    third["value"] = 12;
    entries[3] = third;
    numberValue["entries"] = entries;
    QTest::newRow("value as number") << bytesOf(numberValue) << e(ParamFileError::WrongFieldType)
                                     << "Damaged parameter file: the field \"entries[3].value\" should be of type string"
                                     << QString::fromUtf8("参数文件已损坏：字段“entries[3].value”应为字符串");
    QJsonObject noMcu = good;
    QJsonObject drive = good["drive"].toObject();
    drive.remove("mcuId");
    noMcu["drive"] = drive;
    QTest::newRow("missing field") << bytesOf(noMcu) << e(ParamFileError::MissingField)
                                   << "Damaged parameter file: the field \"drive.mcuId\" is missing"
                                   << QString::fromUtf8("参数文件已损坏：缺少字段“drive.mcuId”");
    QJsonObject badNumber = good;
    entries = good["entries"].toArray();
    QJsonObject speed = entries[10].toObject();
    speed["value"] = "fast";
    entries[10] = speed;
    badNumber["entries"] = entries;
    QTest::newRow("no number of its type") << bytesOf(badNumber) << e(ParamFileError::BadFieldValue)
                                           << "Damaged parameter file: the field \"entries[10].value\" has an invalid value \"fast\""
                                           << QString::fromUtf8("参数文件已损坏：字段“entries[10].value”的值无效：“fast”");
    QJsonObject twice = good;
    entries = good["entries"].toArray();
    entries.append(entries[0]);
    twice["entries"] = entries;
    QTest::newRow("code twice") << bytesOf(twice) << e(ParamFileError::DuplicateEntry)
                                << "Damaged parameter file: function code 0X0000 appears twice"
                                << QString::fromUtf8("参数文件已损坏：功能码0X0000出现两次");
}

void ParamsFileTest::damagedFilesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    QFETCH(QString, english);
    QFETCH(QString, chinese);
    ParamFile file;
    file.model = "untouched";
    ParamFileProblem problem;
    QVERIFY(!parseParamFile(bytes, file, problem));
    QCOMPARE(int(problem.error), error);
    if (!english.isEmpty()) {
        QCOMPARE(paramFileProblemText(problem).english, english);
        QCOMPARE(paramFileProblemText(problem).chinese, chinese);
    }
    QCOMPARE(file.model, QString("untouched"));
}

void ParamsFileTest::failedWriteLeavesNoFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("missing-folder/a.json");
    QString error;
    QVERIFY(!writeParamFile(path, ParamFile{}, error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(ParamsFileTest)
#include "tst_params_file.moc"
