#pragma once
// The mechanics of a simulated drive: a rotor with inertia and viscous
// friction, driven by the loop of the run mode in force. Velocity, current,
// position (PP, CSP), jog and the sine test steer their quantity toward the
// set-point with a first-order lag; motion control applies its PD law with
// feed-forward torque. Only a drive in motor mode produces torque. Time is the
// caller's: advanceTo() integrates up to a moment in seconds, so tests run it
// in virtual time.

#include <cstdint>

#include "protocol/framecodec.h"

class SimMotion {
public:
    // Run mode codes of parameter 0x7005 (7 is jog, which carries its own speed).
    enum RunMode : int { motionControl = 0, profilePosition = 1, velocityMode = 2, currentMode = 3,
                         cyclicPosition = 5, jogMode = 7 };

    // Mechanics and loop constants.
    static constexpr float inertia = 0.002f;        // kg·m²
    static constexpr float friction = 0.1f;         // N·m per rad/s
    static constexpr float torquePerAmp = 1.0f;     // N·m per A
    static constexpr float velocityLag = 0.05f;     // s, the velocity loop's time constant
    static constexpr float positionLag = 0.2f;      // s, the position loop's time constant
    static constexpr float currentLag = 0.01f;      // s, the current loop's time constant
    static constexpr float heatingLag = 30.0f;      // s, winding temperature
    static constexpr float ambient = 31.2f;         // °C
    static constexpr float positionSpan = 12.566371f;  // the reported position wraps at ±4π

    codec::Ranges ranges;  // velocity and torque limits of the model

    // What the drive was told.
    bool enabled = false;  // motor mode
    int runMode = motionControl;
    float targetPosition = 0, targetVelocity = 0, targetTorque = 0, kp = 0, kd = 0;  // motion control
    float angleCommand = 0;                                  // 0x7016, PP and CSP
    float profileSpeed = 2, profileAcceleration = 10;         // 0x7024, 0x7025
    float cyclicSpeedLimit = 5;                               // 0x7017
    float velocityCommand = 0, currentLimit = 27, speedStep = 0;  // 0x700A, 0x7018, 0x7022 (0: no ramp)
    float iqCommand = 0, idCommand = 0;                       // 0x7006, 0x7007
    float jogVelocity = 0;
    bool sineOn = false;
    float sineAmplitude = 1, sineFrequency = 1;               // 0x7003 (rad), 0x7002 (Hz)

    // The state.
    double now = 0;  // s
    float position = 0, velocity = 0, torque = 0, temperature = ambient;

    // A type 18 write: index and the four value bytes (float set-points, or the mode byte first).
    void writeParameter(uint16_t index, const uint8_t value[4]);
    void setEnabled(bool on);
    void setZero();
    // Integrates up to `seconds` (earlier moments leave the state alone).
    void advanceTo(double seconds);

private:
    void step(float dt);
    float loopAcceleration(float targetSpeed, float accelerationLimit) const;
    float clampTorque(float t) const;
    float clampVelocity(float v) const;
    double sineStart = 0;
    float sineCentre = 0;
};
