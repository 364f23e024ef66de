#pragma once
// The only window: owner of the form, the serial port, the protocol worker,
// the log file and the operator flags. Its methods are defined across the
// folders by concern: app/ (construction, serial link), reactions/,
// controls/, params/, scope/ and ui/ (language, log), which all include this
// header; it includes nothing of theirs.

#include <QFile>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "protocol/otathread.h"
#include "ui/dialogs.h"
#include "ui/bilingual.h"

class LiveStatus;
class QCPGraphData;
class QComboBox;
class QSerialPort;

namespace Ui {
class MainWindow;
}

// Serial rates: entry 0 is the working rate, 1..11 the adapter rate scan.
extern const int serialRateTable[12];

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    otaThread worker;  // first data member: constructed before everything else
    QSerialPort* serialPort = nullptr;
    QString firmwarePath;
    bool languageEnglish = false;
    Ui::MainWindow* ui = nullptr;
    bool otaIdle = true;
    bool reportIdle = true;
    bool multiDeviceOff = true;
    bool portOpen = false;
    QFile logFile;
    QString logFileName;
    bool logActive = false;
    bool readAllActive = false;
    bool writeAllActive = false;
    uint8_t baudProbeIndex = 1;
    QStringList channelNames;
    // lineEditTxData always holds the last line sent; while lines follow each
    // other faster than the eye, it is repainted once per period of this timer.
    QTimer txDisplayTimer;

    // The text in the language of this moment: the window's only choice of language.
    QString pick(const Bilingual& text) const;
    QStringList pickEach(const QVector<Bilingual>& texts) const;
    // The status bar's message, kept until the next one.
    void showStatus(const QString& text);

    // The GUI thread's pacing sleeps (sine test, Apply) and the live status's ages; nullptr: real time.
    void setClock(Clock* clock);
    // The file dialogs, the questions and the opening of an exported file; nullptr: the toolkit's.
    void setDialogs(Dialogs* dialogs);

    // ---- app/: serial link and shared routines ---------------------------
    void fillPortList();
    void resetDeviceListAndLog();
    void writeLogPiece();  // while log capture runs, the view's text goes to the log file
    void setSerialRate(int rate);
    void onSerialError(int error);

    // ---- app/: a lost adapter and the wait for its return -----------------
    QString openPortName;          // the port as last opened
    bool openPortPresent = false;  // its location existed then: its vanishing is a loss
    QString reconnectName;         // after a loss, the port waited for; empty when not waiting
    bool linkLossQueued = false;
    QTimer linkWatchTimer;         // the open port's presence, or the lost port's return
    static constexpr int linkWatchPeriodMs = 250;
    void resetLinkControls();
    void closePort();
    bool openPort(bool quietFailure);
    void onLinkLost();
    void checkLink();
    void endReconnectWait();

    // ---- reactions/ --------------------------------------------------------
    // Each gets the state codes reactions/stateupdate.cpp's table gives it.
    void reactAdapter(int code);
    void reactMotor(int code);
    void reactDevice(int code);
    void reactUpgrade(int code);
    void reactParams(int code);
    void reactScope(int code);
    void logLine(const QString& text);

    // ---- controls/ ---------------------------------------------------------
    void setDeviceControlsEnabled(bool enabled);
    void runDeviceCommand(unsigned code, const Bilingual& action);
    void sendParamWrite(uint8_t target, uint16_t index, const uint8_t value[4]);
    void sendParamWriteFloat(uint16_t index, float value);
    void clampMotionField(class QLineEdit* field, float low, float high);
    void finishMotionField(class QLineEdit* field, Relaxed<float>& member);

    // ---- controls/ and reactions/: addressing the selected drive ----------
    bool selectedDriveId(uint8_t& id) const;  // false while the device table holds no selected drive
    void sendToSelectedDrive(const std::function<CanFrame(uint8_t target)>& build);
    void sendSetPoint(const class QLineEdit* field, uint16_t index);
    void sendJog(float speed, bool enable);
    void pacingSleep(unsigned ms);

    // ---- params/ -----------------------------------------------------------
    void resetParameterTable();
    void buildParameterRows();
    void markModified(int row, bool modified);
    void refreshValueCell(int kind, int index);
    void commitValueCell(int kind, int index);
    void setValueCellColor(uint32_t kind, uint32_t index, const class QColor& color);
    void checkTextCell(int row, uint16_t index);
    void checkNumberCell(int row, uint16_t index);
    bool selectDriveForTable();  // selectedDevice and targetId from comboBoxDev

    // ---- params/: parameter files, comparison, filter and snapshots -------
    bool paramTableShown = false;  // a downloaded table fills tableWidgetPara
    uint8_t paramTableCanId = 0;   // the drive it was downloaded from
    uint64_t paramTableMcuId = 0;
    void showParamFileControls(bool tableShown);
    struct ParamFile paramFileOfTable(bool shownValues) const;  // shown values, or those last read
    bool applyFileValue(const struct CompareRow& row, QString& reason);
    void applyParaFilter();
    // Before a factory reset or an erase: the shown table of the selected drive goes to the data folder.
    void snapshotParameterTable();
    void logFailure(const QString& text);  // a red line in the log view

    // ---- controls/: the oscilloscope's channel selectors ------------------
    void resetScopeSelectors();
    void fillScopeSelectors();
    std::array<QComboBox*, 8> channelSelectors() const;  // comboBoxCh1 .. comboBoxCh8
    static QString noScopeChannel();  // their first item

    // ---- controls/: the firmware upgrade -----------------------------------
    // The erase click: the drive and the image are checked, then the erase is sent.
    bool startUpgrade();
    void stopUpgrade();  // the finish frame

    // ---- scope/ -------------------------------------------------------------
    void resetWaveSaveButton();  // the wave file is closed: the button offers saving again
    void onWaveFileFailed();
    std::array<QString, 8> scopeChannelLabels;  // the selectors' texts of the configuration last sent
    void showCursorReadout();  // labelScopeCursors for the plot's cursors, in the current language
    bool exportScope(const QString& fileName, QString& cause);  // CSV of the visible range, PNG or PDF
    void showWaveFileFailure();  // red, with the cause and the lines kept

    // ---- ui/: language table and log -------------------------------------
    void applyLanguageTable();

    // ---- reactions/: the live status of the selected drive ----------------
    std::unique_ptr<LiveStatus> liveStatus;
    void setUpLiveStatus();

protected:
    void closeEvent(class QCloseEvent* event) override;  // asks first while an upgrade runs

signals:
    void sendRecvData(QByteArray data);

public slots:
    void StateUpdate();
    void readFromCom();
    void writeToCom(QByteArray data, qint16 length);
    void waveFreShow(QVector<QCPGraphData>* samples);

    void on_pushButtonOpenCom_clicked();
    void on_pushButtonOpenFile_clicked();
    void on_pushButtonInOtaMode_clicked();
    void on_pushButtonStartOta_clicked();
    void on_pushButtonGetDevInfo_clicked();
    void on_lineEditSetCanId_textChanged(QString arg1);
    void on_pushButtonSetCanId_clicked();
    void on_pushButtonCfgReset_clicked();
    void on_pushButtonCaliEncoder_clicked();
    void on_pushButtonZeroMech_clicked();
    void on_lineEditSetPos_textChanged(QString arg1);
    void on_lineEditSetPos_editingFinished();
    void on_lineEditSetKp_textChanged(QString arg1);
    void on_lineEditSetKp_editingFinished();
    void on_lineEditSetVel_textChanged(QString arg1);
    void on_lineEditSetVel_editingFinished();
    void on_lineEditSetKd_textChanged(QString arg1);
    void on_lineEditSetKd_editingFinished();
    void on_lineEditSetTorque_textChanged(QString arg1);
    void on_lineEditSetTorque_editingFinished();
    void on_pushButtonCfgSingle_clicked();
    void on_pushButtonCfgContinous_clicked();
    void on_pushButtonCfgMotor_clicked();
    void on_pushButtonCfgBrake_clicked();
    void on_pushButtonRefreshCom_clicked();
    void on_pushButtonSaveLog_clicked();
    void on_comboBoxDev_currentIndexChanged(int index);
    void on_pushButtonRefreshTable_clicked();
    void on_tableWidgetPara_cellChanged(int row, int column);
    void on_pushButtonReadPara_clicked();
    void on_pushButtonWritePara_clicked();
    void on_pushButtonRecoverFac_clicked();
    void on_pushButtonExportExcel_clicked();
    void on_pushButtonSaveParaFile_clicked();
    void on_pushButtonLoadParaFile_clicked();
    void on_lineEditParaFilter_textChanged(QString text);
    void on_checkBoxModifiedOnly_toggled(bool checked);
    void on_pushButtonEchoSet_clicked();
    void on_pushButtonEchoStart_clicked();
    void on_lineEditSetEchoFre_textChanged(QString arg1);
    void on_pushButtonSaveWave_clicked();
    void on_pushButtonScopeFreeze_toggled(bool checked);
    void on_pushButtonScopeCursors_toggled(bool checked);
    void on_pushButtonScopeExport_clicked();
    void on_comboBoxRunMode_currentIndexChanged(QString arg1);
    void on_pushButtonSineEn_clicked();
    void on_pushButton_clicked();
    void on_pushButton_6_pressed();
    void on_pushButton_6_released();
    void on_pushButton_4_pressed();
    void on_pushButton_4_released();
    void on_pushButton_2_clicked();
    void on_pushButton_3_clicked();
    void on_pushButton_7_clicked();
    void on_pushButton_8_clicked();
    void on_pushButton_9_clicked();
    void on_pushButton_10_clicked();
    void on_pushButton_5_clicked();
    void on_pushButton_11_clicked();
    void on_pushButton_12_clicked();
    void on_pushButton_13_clicked();
    void on_pushButton_14_clicked();
    void on_pushButtonErrorClear_clicked();
    void on_pushButtonclear_clicked();
    void on_pushButton_15_clicked();
    void on_pushButton_16_clicked();
    void on_pushButton_18_clicked();
    void on_pushButton_20_clicked();
    void on_pushButton_17_clicked();
    void on_pushButton_time_clicked();
    void on_pushButton_more_clicked();
    void on_pushButtonlanguage_clicked();

private:
    WidgetDialogs widgetDialogs{this};
    Dialogs* dialogs = &widgetDialogs;
    Clock* clock = &SystemClock::instance();
};
