// The engine, the drive of the rear wheel, the brakes and the gearbox.
#include <cmath>

#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "riders/rider_physics_internal.h"

using namespace riderphys;

namespace {

struct PullRow {
  float c, a, b;
};
constexpr PullRow kPull[7] = {{0, 0, 0}, {0.7f, 0.2f, 4.5f}, {0.7f, 0.1f, 3.0f}, {0.6f, 0.1f, 2.5f},
                              {0.5f, 0.08f, 2.0f}, {0.4f, 0.05f, 1.5f}, {0.3f, 0.03f, 1.0f}};

float Lerp(float w, float lo, float hi, float p0, bool atLeastZero) {
  float x = hi != lo ? (w - lo) / (hi - lo) : 0.5f;
  if (atLeastZero && x < 0.0f) x = 0.0f;
  return x * (1.0f - p0) + p0;
}

float Ramp(float w, float lo, float hi, float p0) {
  if (hi == lo) return p0 * 0.55f;
  return p0 * (0.9f * (w - lo) / (hi - lo) + 0.1f);
}

// The pull of gear G at rear spin w (w at most the gear's top).
float Pull(int G, float w, const float g[7], float s0, float sG, int k) {
  const float p0 = ((1.0f - sG) * 0.2f + s0) * kPull[G].c + 0.1f;
  const float m = static_cast<float>(k) * kPull[G].a + kPull[G].b;
  float band = 1.0f;
  switch (G) {
    case 1:
      band = Lerp(w, 0.0f, g[1], p0, true);
      break;
    case 2:
      if (w < g[1]) {
        if (g[1] == 0.0f) {
          band = p0 * 0.55f;
        } else {
          float x = 0.9f * w / g[1] + 0.1f;
          if (x < 0.1f) x = 0.1f;
          band = p0 * x;
        }
      } else {
        band = Lerp(w, g[1], g[2], p0, false);
      }
      break;
    case 3:
      if (w < g[2] / 2.0f) {
        band = 0.1f;
      } else if (w < g[2]) {
        band = Ramp(w, g[2] / 2.0f, g[2], p0);
      } else {
        band = Lerp(w, g[2], g[3], p0, false);
      }
      break;
    default:
      if (w < g[G - 2]) {
        band = 0.1f;
      } else if (w < g[G - 1]) {
        band = Ramp(w, g[G - 2], g[G - 1], p0);
      } else {
        band = Lerp(w, g[G - 1], g[G], p0, false);
      }
      break;
  }
  return m * band;
}

}  // namespace

void FillGearSpin(float row[7], float s0, float s9, int k, float wheelRadius) {
  const float kf = static_cast<float>(k);
  const float a = 1.0f - 2.0f * s0;
  float g[7];
  g[0] = 0.0f;
  g[1] = (a + kf) * 10.0f + 40.0f;
  g[2] = (a + kf) * 10.0f + 70.0f;
  g[3] = a * 15.0f + kf * 10.0f + 90.0f;
  g[4] = a * 20.0f + kf * 10.0f + 110.0f;
  g[5] = a * 30.0f + kf * 10.0f + 130.0f;
  g[6] = a * 40.0f + kf * 10.0f + 150.0f;
  float d[7];
  d[1] = g[2] - g[1];
  for (int i = 2; i <= 5; ++i) d[i] = std::fmin(g[i] - g[i - 1], g[i + 1] - g[i]);
  d[6] = g[6] - g[5];
  row[0] = 0.0f;
  for (int i = 1; i <= 6; ++i) {
    g[i] += (2.0f * s9 - 1.0f) * d[i] * 0.33333334f;
    row[i] = g[i] / (wheelRadius * 3.6f);
  }
}

bool Rider::ShiftGear(std::int16_t g) {
  RiderPhysics& p = physics;
  if (g == 0 || g == p.gear) {
    p.gear = g;
    return true;
  }
  float& condition = g_ConditionGearbox[Slot(*this)];
  if (g_OptionDamages) Wear(&condition, 1.0f / ((static_cast<float>(g_RaceLengthMinutes) + 3.0f) * 2000.0f));
  const float x = p.gearboxChaos;
  p.gearboxChaos = 3.95f * x * (1.0f - x);
  if (!(p.gearboxChaos < condition)) return false;
  p.gear = g;
  if (g < 0) {
    p.gear = 0;
  } else {
    if (g <= 5) gearChanged = 1;
    if (g > 6) p.gear = 6;
  }
  return true;
}

void Rider::UpdateEngine() {
  RiderPhysics& p = physics;
  const int k = SkillClass(*this);
  const float dt = g_FrameTime;
  const float v = p.forwardSpeed;
  const float r = p.wheelRadius;
  const float* g = p.gearSpin[k];
  const float T = p.throttle;
  const float B = p.brake;
  float w = p.rearWheel.spinRate;

  if (state == RIDER_WAITING) {
    if (T > 0.0f) {
      p.revs += (p.maxRevs * T - p.revs) * dt * 5.0f;
    } else {
      p.revs += -5.0f * p.revs * dt;
    }
    return;
  }

  const bool manual = g_OptionManualShift && index == 0;
  if (!manual) {
    std::int16_t target = 6;
    if ((w <= 0.2f && T == 0.0f) || p.crashed || B > 0.5f) {
      target = 0;
    } else if (w < 0.75f * g[1]) {
      target = 1;
    } else if (w < g[1] + 0.75f * (g[2] - g[1])) {
      target = 2;
    } else if (w < g[2] + 0.75f * (g[3] - g[2])) {
      target = 3;
    } else if (w < g[3] + 0.75f * (g[4] - g[3])) {
      target = 4;
    } else if (w < g[4] + 0.75f * (g[5] - g[4])) {
      target = 5;
    }
    ShiftGear(target);
  } else if (p.crashed) {
    p.shiftInput = p.previousShiftInput = 0.0f;
    p.gear = 0;
    p.clutchIn = 0;
  } else if (p.shiftInput != 0.0f && p.previousShiftInput == 0.0f) {
    if (p.shiftInput == 2.0f) {
      p.clutchIn = 1;
    } else if (p.clutchIn) {
      const std::int16_t t = static_cast<std::int16_t>(std::trunc(p.shiftInput));
      if (ShiftGear(static_cast<std::int16_t>(p.gear + t))) p.clutchIn = 0;
    }
  }

  if (p.stuckTime >= 2.0f) {
    p.traction = 1.0f;
  } else {
    const float base = (p.gear < 1 || p.clutchIn) ? std::fabs(v) * 0.04235294f + 1.0f
                                                   : (1.0f - 0.7f * T) + std::fabs(v) * 0.04235294f;
    const float lean = std::fabs(p.lean);
    const float leanFactor = lean >= 0.34906584f ? 1.0f - (lean - 0.34906584f) * 1.9098593f : 1.0f;
    const float s3 = Setup(*this, 3);
    const float surface = weather == 1 ? (s3 + 1.0f) * 0.5f : s3 * 0.20000005f + 0.9f;
    p.traction = base * leanFactor * surface;
    if (p.traction >= 1.0f) {
      p.traction = 1.0f;
    } else if (p.traction < 0.01f) {
      p.traction = 0.01f;
    }
  }

  const int gear = p.gear < 0 ? 0 : (p.gear > 6 ? 6 : p.gear);
  const bool inGear = gear != 0 && !p.clutchIn;
  const bool rearDown = p.rearWheel.world.y <= p.rearWheel.groundHeight + 0.1f;
  if (rearDown) {
    w += (v / r - w) * p.traction;
    if (inGear) {
      if (w > g[gear]) w = g[gear];
      if (g[gear] > 0.0f) p.revs = (p.maxRevs / g[gear]) * std::fabs(w);
    }
  }

  if (p.frontWheel.world.y > p.frontWheel.groundHeight + 0.1f) {
    p.frontWheel.spinRate += p.frontWheel.spinRate * -2.0f * dt;
  } else {
    p.frontWheel.spinRate = v / r;
  }

  p.wheelSpinDelta = w;
  p.driveForce = 0.0f;

  float c = 1.0f - (std::fabs(w) / p.maxRevs) * (1.0f - g_ConditionBrakes[Slot(*this)]);
  if (c < 0.0f) c = 0.0f;
  const float b0 = 0.9f - Setup(*this, 2) * 0.39999998f;
  float bf;
  if (B > b0) {
    bf = b0 >= 1.0f ? c / 2.0f + (c - c / 2.0f) * 0.5f : c / 2.0f + (c - c / 2.0f) * (B - b0) / (1.0f - b0);
  } else {
    bf = b0 <= 0.0f ? c / 4.0f : (c / 2.0f) * B / b0;
  }
  if (weather == 1) bf *= 0.8f;

  if (g_OptionDamages) {
    const float L = static_cast<float>(g_RaceLengthMinutes);
    float& brakes = g_ConditionBrakes[Slot(*this)];
    brakes -= std::fabs(w) * dt * bf / ((L + 3.0f) * 1000.0f);
    if (brakes <= 0.01f) brakes = 0.0f;
    float& engine = g_ConditionEngine[Slot(*this)];
    p.engineFactor = engine > 0.3f ? 1.0f : 3.3333333f * engine;
    if (p.revs > p.engineFactor * 1047.0f) {
      const float D = p.revs <= p.engineFactor * 1570.0f ? (L + 3.0f) * 10000.0f : (L + 3.0f) * 1000.0f;
      engine -= (p.revs - p.engineFactor * 1047.0f) * dt / D;
      if (engine <= 0.05f) {
        engine = 0.0f;
        out = 1;
      }
    }
  }

  const bool keyHeld = manual && std::fabs(p.shiftInput) == 1.0f;
  auto keyStep = [&] {
    const float gg = static_cast<float>(gear * gear);
    const float next = w + ((g[gear] / p.maxRevs) * p.revs - w) / gg;
    if (next > w || (next < w && p.shiftInput == -1.0f)) w = next;
  };

  if (!inGear) {
    if (!rearDown) {
      w *= 1.0f - (bf * 8.0f + 0.5f) * dt;
    } else {
      if (!p.crashed) p.driveForce = (bf * 0.2f + 0.005f) * v * -800.0f;
      w *= 1.0f - bf;
    }
    if (T > 0.0f) {
      p.revs += (p.engineFactor * p.maxRevs * T - p.revs) * dt * 5.0f;
    } else {
      p.revs += -5.0f * p.revs * dt;
    }
    p.wheelSpinDelta = w - p.wheelSpinDelta;
  } else if (p.rearWheel.world.y > p.rearWheel.groundHeight + 0.15f) {
    if (T <= 0.0f) {
      w *= 1.0f - (bf * 8.0f + 0.5f) * dt;
    } else if (keyHeld) {
      keyStep();
    } else {
      w += (g[gear] * p.engineFactor - w) * dt * T * 3.0f;
    }
    p.driveForce = 0.0f;
    p.wheelSpinDelta = w - p.wheelSpinDelta;
  } else {
    if (T <= 0.0f) {
      w *= 1.0f - bf;
      p.driveForce = (bf * 0.2f + 0.005f) * v * -800.0f;
      p.wheelSpinDelta = w - p.wheelSpinDelta;
    } else {
      if (keyHeld) {
        keyStep();
      } else {
        const float pull = w <= g[gear] ? Pull(gear, w, g, Setup(*this, 0), Setup(*this, gear + 3), k) : 1.0f;
        w += ((g[gear - 1] + (g[gear] - g[gear - 1]) * T) * p.engineFactor - w) * dt * pull;
      }
      p.wheelSpinDelta = w - p.wheelSpinDelta;
      p.driveForce = (p.wheelSpinDelta / dt) * p.totalMass[k] * r * p.traction;
    }
    p.revs = (p.maxRevs / g[gear]) * std::fabs(w);
  }
  p.rearWheel.spinRate = w;

  if (!p.crashed && p.rearWheel.world.y > p.rearWheel.groundHeight + 0.5f &&
      p.frontWheel.world.y > p.frontWheel.groundHeight + 0.5f) {
    p.angularVelocity -= (3.0f * p.wheelSpinDelta / (2.0f * p.inertia[k])) * Row(p.axes, 0);
  }
}
