// Construction, wiring and destruction of the window.

#include "ui/mainwindow.h"

#include <QIcon>
#include <QLineEdit>
#include <QSerialPort>
#include <QStatusBar>

#include "reactions/livestatus.h"
#include "ui/languagetable.h"
#include "ui/logcapture.h"
#include "ui/logview.h"
#include "ui/tone.h"
#include "ui_mainwindow.h"

const int serialRateTable[12] = {921600, 9600, 115200, 1200, 2400, 4800, 19200, 38400, 57600, 230400, 460800, 1152000};

namespace {
const char* const defaultFirmwarePath = "/usr/local/share/torvane/firmware/pmsm_app.bin";
}

// The steps in their order: the form and what completes it, icon, title and
// port list; the labels, status bar and button texts; flags, port and
// firmware path; the controls that need a drive, disabled; the worker's
// addressing; device list and log; the run-mode, rate and frame-type lists;
// scope and parameter defaults; the connections; the worker's thread last,
// once everything it signals exists.
MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), languageEnglish(false), ui(new Ui::MainWindow)
{

    ui->setupUi(this);
    // Shown while no CH340 port is listed: another adapter's port can be typed in.
    ui->comboBoxCom->lineEdit()->setObjectName(QStringLiteral("lineEditComName"));
    ui->comboBoxCom->lineEdit()->setPlaceholderText(
        pick({"No CH340 port found: type a port name, e.g. /dev/ttyACM0", "未找到CH340串口，可输入串口名，例如 /dev/ttyACM0"}));
    setUpLiveStatus();
    (new LogView(ui->textEditCfgInfo))->captureFailed = [this](recordfile::WriteFailure cause) {
        endFailedLogCapture(*this, cause);
    };
    setWindowIcon(QIcon(":/ico/resources/logo.ico"));
    baudProbeIndex = 1;
    setWindowTitle(QStringLiteral("Torvane " TORVANE_VERSION));
    fillPortList();

    showInfo(ui->labelOtaInfo, Tone::neutral, QString());
    showInfo(ui->label_motortype, Tone::neutral, QString());
    ui->label_3->clear();
    ui->label_4->clear();

    showStatus(pick({"Please select the serial port and open it！", "请选择串口并打开！"}));

    ui->pushButtonInOtaMode->setText(pick({"Erase", "启动升级"}));
    ui->pushButton_17->setText(pick({"Start Auto Report", "开始上报"}));

    otaIdle = reportIdle = multiDeviceOff = true;

    serialPort = new QSerialPort;
    portOpen = false;
    logActive = false;

    firmwarePath = QString::fromUtf8(defaultFirmwarePath);
    ui->lineEditSelFile->setText(firmwarePath);

    ui->pushButtonGetDevInfo->setEnabled(false);
    ui->progressBar->setValue(0);
    ui->comboBoxDev->clear();
    // No drive is listed yet: nothing may address one.
    setDeviceControlsEnabled(false);
    ui->pushButtonInOtaMode->setEnabled(false);

    worker.targetId = 1;
    ui->lineEditSetCanId->setText("1");
    ui->lineEdit_timer->setText("10");
    worker.newCanId = 1;

    resetDeviceListAndLog();

    // Every list begins with a blank item, which stays selected.
    for (const Bilingual& mode : runModeItems())
        ui->comboBoxRunMode->addItem(pick(mode));
    for (const char* rate : {" ", "1Mbps", "500kbps", "250kbps", "125kbps"})
        ui->comboBox_usb->addItem(QString::fromUtf8(rate));
    ui->comboBox_cantype->addItem(" ");
    for (const Bilingual& type : canTypeItems().mid(1))
        ui->comboBox_cantype->addItem(pick(type));

    ui->lineEditSetEchoFre->setText("100");
    worker.scopeFrequency = 100;
    worker.scopeFrequencyMax = 2600;
    worker.scopeFrequencyMin = 1;
    worker.multiDeviceMode = false;

    ui->labelParaInfo->clear();
    resetParameterTable();

    connect(serialPort, &QSerialPort::readyRead, this, &MainWindow::readFromCom);
    connect(&worker, &otaThread::sendState, this, &MainWindow::StateUpdate);
    connect(this, &MainWindow::sendRecvData, &worker, &otaThread::getSerialData);
    connect(&worker, &otaThread::WriteToSerial, this, &MainWindow::writeToCom);
    connect(&worker, &otaThread::scopeToShow, this, &MainWindow::waveFreShow);
    connect(&worker, &otaThread::waveFileFailed, this, &MainWindow::onWaveFileFailed);
    connect(serialPort, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) { onSerialError(int(error)); });
    connect(&linkWatchTimer, &QTimer::timeout, this, &MainWindow::checkLink);
    txDisplayTimer.setSingleShot(true);
    connect(&txDisplayTimer, &QTimer::timeout, this, [this] { ui->lineEditTxData->setUpdatesEnabled(true); });

    worker.start();
}

MainWindow::~MainWindow()
{
    // The loop ends on the interruption request; terminate stays the last resort.
    worker.stop();
    worker.quit();
    if (!worker.waitForEnd(100))
        worker.terminate();
    LogView* log = LogView::of(ui->textEditCfgInfo);
    log->setClock(nullptr);  // a replaced clock need not outlive the window
    log->flush();            // the last paragraphs reach the capture
    worker.closeWaveFile();
    delete ui;
    ui = nullptr;
    if (logFile.isOpen())
        logFile.close();
    delete serialPort;
}

QString MainWindow::pick(const Bilingual& text) const
{
    return text.in(languageEnglish);
}

QStringList MainWindow::pickEach(const QVector<Bilingual>& texts) const
{
    return ::pickEach(texts, languageEnglish);
}

void MainWindow::showStatus(const QString& text)
{
    ui->statusBar->showMessage(text, 0);
}

void MainWindow::setClock(Clock* replacement)
{
    clock = replacement ? replacement : &SystemClock::instance();
    liveStatus->setClock(clock);
    LogView::of(ui->textEditCfgInfo)->setClock(clock);
}

void MainWindow::setDialogs(Dialogs* replacement)
{
    dialogs = replacement ? replacement : &widgetDialogs;
}
