#pragma once
// A simulated drive on the bus: identification, model report, mode requests,
// zero, CAN id, run modes and set-points moving a simulated rotor (SimMotion)
// whose state the feedback reports, periodic reporting, faults and encoder
// calibration. Features (parameter table, oscilloscope, boot loader)
// are offered each frame first.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

#include "sim/simfeature.h"
#include "sim/simmotion.h"

struct SimDriveConfig {
    uint8_t canId = 1;
    uint64_t mcuId = 0x1122334455667701ull;
    uint8_t modelBytes[3] = {0, 2, 5};  // bytes 3..5 of the model report
};

class SimDrive : public QObject, public SimDriveContext {
public:
    SimDrive(const SimDriveConfig& config, std::function<void(const CanFrame&)> toBus, QObject* parent = nullptr);
    ~SimDrive() override;

    uint8_t canId() const override { return id; }
    uint64_t mcuId() const override { return uid; }
    void transmit(const CanFrame& frame) override;
    double clockSeconds() const override;
    bool measure(const QString& variable, double atSeconds, double& value) override;

    // A frame from the tool addressed to this drive's CAN id.
    void receive(const CanFrame& frame);

    template <class T>
    T* feature() const
    {
        for (const auto& f : features)
            if (auto* t = dynamic_cast<T*>(f.get()))
                return t;
        return nullptr;
    }
    void addFeature(std::unique_ptr<SimFeature> feature) { features.push_back(std::move(feature)); }

    // Behaviour knobs (set on the simulator's thread).
    bool silent = false;          // answers nothing at all
    int dropNextAnswers = 0;      // drops this many answers, then answers again
    uint8_t feedbackFaultBits = 0;  // id bits 16..21 of every status frame
    bool hallCalibrationOnEncoderCal = false;

    // What the drive was told, for tests.
    int mode = 0;  // 0 reset, 1 calibration, 2 motor, 3 brake
    SimMotion motion;  // set-points and the rotor's state, up to the last frame sent
    bool reporting = false;
    int reportPeriodMs = 10;
    QVector<QPair<uint16_t, uint32_t>> parameterWrites;  // type 18 index and value word
    int faultClears = 0;
    int zeroSets = 0;

    void sendFaultReport(uint32_t faultWord, uint32_t warningWord);
    void sendHallCalibrationDone(const uint8_t sensorBytes[6], uint8_t faults, uint8_t warnings);
    void sendStatus(uint8_t type = commStatus);

private:
    void answer(const CanFrame& frame);
    void sendIdentification();
    void sendModelReport();
    void startCalibration();
    void reportTick();
    void setMode(int newMode);
    codec::Ranges ranges() const;
    uint8_t id;
    uint64_t uid;
    uint8_t model[3];
    std::function<void(const CanFrame&)> toBus;
    std::vector<std::unique_ptr<SimFeature>> features;
    QTimer reportTimer;
    QTimer calibrationTimer;
    QElapsedTimer clock;
    int calibrationStep = 0;
};

void installSimFeatures(SimDrive& drive);
