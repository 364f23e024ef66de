#include "sim/simmotion.h"

#include <algorithm>
#include <cmath>

using namespace codec;

namespace {

constexpr double twoPi = 6.283185307179586;
constexpr double stepSeconds = 0.00025;  // stable for the stiffest motion-control gains
constexpr double longestGap = 5.0;       // beyond this every loop has settled

float clampSymmetric(float x, float limit)
{
    return std::max(-limit, std::min(limit, x));
}

}  // namespace

float SimMotion::clampTorque(float t) const
{
    return std::max(ranges.torqueMin, std::min(ranges.torqueMax, t));
}

float SimMotion::clampVelocity(float v) const
{
    return std::max(ranges.velMin, std::min(ranges.velMax, v));
}

void SimMotion::writeParameter(uint16_t index, const uint8_t value[4])
{
    if (index == 0x7005) {
        if (value[0] == jogMode) {
            runMode = jogMode;
            jogVelocity = value[1] ? uintToFloat(uint32_t(value[2] << 8 | value[3]), ranges.velMin, ranges.velMax, 16)
                                   : 0.0f;
        } else {
            runMode = value[0];
            angleCommand = position;  // a position loop takes over where the rotor stands
        }
        return;
    }
    if (index == 0x7001) {
        sineOn = value[0] == 1;
        sineStart = now;
        sineCentre = position;
        return;
    }
    const float x = readLeFloat(value);
    if (!std::isfinite(x))
        return;
    switch (index) {
    case 0x7016: angleCommand = x; break;
    case 0x7024: profileSpeed = std::fabs(x); break;
    case 0x7025: profileAcceleration = std::fabs(x); break;
    case 0x7017: cyclicSpeedLimit = std::fabs(x); break;
    case 0x700A: velocityCommand = x; break;
    case 0x7018: currentLimit = std::fabs(x); break;
    case 0x7022: speedStep = std::fabs(x); break;
    case 0x7006: iqCommand = x; break;
    case 0x7007: idCommand = x; break;
    case 0x7003: sineAmplitude = x; break;
    case 0x7002: sineFrequency = x; break;
    default: break;
    }
}

void SimMotion::setEnabled(bool on)
{
    enabled = on;
}

void SimMotion::setZero()
{
    angleCommand -= position;
    sineCentre -= position;
    position = 0;
    targetPosition = 0;
}

void SimMotion::advanceTo(double seconds)
{
    if (!(seconds > now))
        return;
    if (seconds - now > longestGap)
        now = seconds - longestGap;
    while (now < seconds) {
        const double dt = std::min(stepSeconds, seconds - now);
        step(float(dt));
        now += dt;
    }
}

// The acceleration a velocity loop asks for, within the ramp limit (0: none).
float SimMotion::loopAcceleration(float targetSpeed, float accelerationLimit) const
{
    const float wanted = (clampVelocity(targetSpeed) - velocity) / velocityLag;
    return accelerationLimit > 0 ? clampSymmetric(wanted, accelerationLimit) : wanted;
}

void SimMotion::step(float dt)
{
    float drive = 0;  // torque on the rotor
    if (enabled && sineOn) {
        const double phase = twoPi * double(sineFrequency) * (now - sineStart);
        const float reference = sineCentre + sineAmplitude * float(std::sin(phase));
        const float omega = float(twoPi) * sineFrequency;
        const float speedForward = sineAmplitude * omega * float(std::cos(phase));
        const float accelerationForward = -sineAmplitude * omega * omega * float(std::sin(phase));
        const float correction = loopAcceleration(speedForward + (reference - position) / positionLag, 0);
        drive = inertia * (accelerationForward + correction) + friction * velocity;
    } else if (enabled) {
        switch (runMode) {
        case motionControl:
            drive = kp * (targetPosition - position) + kd * (targetVelocity - velocity) + targetTorque;
            break;
        case profilePosition: {
            const float speed = clampSymmetric((angleCommand - position) / positionLag, profileSpeed);
            drive = inertia * loopAcceleration(speed, profileAcceleration) + friction * velocity;
            break;
        }
        case cyclicPosition: {
            const float speed = clampSymmetric((angleCommand - position) / positionLag, cyclicSpeedLimit);
            drive = inertia * loopAcceleration(speed, 0) + friction * velocity;
            break;
        }
        case velocityMode:
            drive = inertia * loopAcceleration(velocityCommand, speedStep) + friction * velocity;
            drive = clampSymmetric(drive, currentLimit * torquePerAmp);
            break;
        case currentMode:
            drive = torque + (clampTorque(iqCommand * torquePerAmp) - torque) * std::min(1.0f, dt / currentLag);
            break;
        case jogMode:
            drive = inertia * loopAcceleration(jogVelocity, 0) + friction * velocity;
            break;
        default:
            break;
        }
    }
    torque = clampTorque(drive);
    float acceleration = (torque - friction * velocity) / inertia;
    // The drive's overspeed guard: no torque beyond the model's velocity range.
    if ((velocity >= ranges.velMax && acceleration > 0) || (velocity <= ranges.velMin && acceleration < 0))
        acceleration = 0;
    velocity += acceleration * dt;
    position += velocity * dt;
    if (position >= positionSpan)
        position -= 2 * positionSpan;
    else if (position < -positionSpan)
        position += 2 * positionSpan;
    const float heating = 0.02f * torque * torque;
    temperature += (ambient + heating - temperature) * (dt / heatingLag);
}
