// Stand-ins for what the player's rider drives: a device that hands out a
// chosen state record, force effects that record their calls, and the
// race's missile.
#pragma once

#include <cstring>
#include <vector>

#include "engine/input_devices.h"
#include "engine/services/race.h"

namespace kelvtest {

class FakeInputDevice : public IDirectInputDevice2A {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return DIERR_NOINTERFACE; }
  DWORD AddRef() override { return 1; }
  DWORD Release() override { return 1; }
  HRESULT GetCapabilities(DIDEVCAPS*) override { return DI_OK; }
  HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA, void*, DWORD) override { return DI_OK; }
  HRESULT GetProperty(REFGUID, DIPROPHEADER*) override { return DI_OK; }
  HRESULT SetProperty(REFGUID, const DIPROPHEADER*) override { return DI_OK; }
  HRESULT Acquire() override {
    ++acquires;
    return DI_OK;
  }
  HRESULT Unacquire() override { return DI_OK; }
  // Copies `state` unless the device is lost.
  HRESULT GetDeviceState(DWORD size, void* data) override {
    if (lost) return DIERR_INPUTLOST;
    std::memset(data, 0, size);
    std::memcpy(data, state.data(), state.size() < size ? state.size() : size);
    return DI_OK;
  }
  HRESULT SetDataFormat(const DIDATAFORMAT*) override { return DI_OK; }
  HRESULT SetCooperativeLevel(HWND, DWORD) override { return DI_OK; }
  HRESULT GetObjectInfo(DIDEVICEOBJECTINSTANCEA*, DWORD, DWORD) override { return DI_OK; }
  HRESULT GetDeviceInfo(DIDEVICEINSTANCEA*) override { return DI_OK; }
  HRESULT RunControlPanel(HWND, DWORD) override { return DI_OK; }
  HRESULT CreateEffect(REFGUID, const DIEFFECT*, IDirectInputEffect**, IUnknownLike*) override {
    return DIERR_UNSUPPORTED;
  }
  HRESULT EnumEffects(LPDIENUMEFFECTSCALLBACKA, void*, DWORD) override { return DI_OK; }
  HRESULT GetEffectInfo(DIEFFECTINFOA*, REFGUID) override { return DI_OK; }
  HRESULT Poll() override { return lost ? DIERR_INPUTLOST : DI_OK; }

  std::vector<unsigned char> state;
  bool lost = false;
  int acquires = 0;
};

// Records the directions it was given and its starts and stops; answers
// with the chosen results.
class FakeEffect : public IDirectInputEffect {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return DIERR_NOINTERFACE; }
  DWORD AddRef() override { return 1; }
  DWORD Release() override { return 1; }
  HRESULT GetEffectGuid(GUID*) override { return DI_OK; }
  HRESULT GetParameters(DIEFFECT*, DWORD) override { return DI_OK; }
  HRESULT SetParameters(const DIEFFECT* e, DWORD flags) override {
    lastFlags = flags;
    lastEffectFlags = e->dwFlags;
    lastAxes = {e->rgdwAxes[0], e->rgdwAxes[1]};
    directions.push_back({e->rglDirection[0], e->rglDirection[1]});
    return setResult;
  }
  HRESULT Start(DWORD iterations, DWORD flags) override {
    lastIterations = iterations;
    lastStartFlags = flags;
    if (startResult == DI_OK) ++starts;
    return startResult;
  }
  HRESULT Stop() override {
    ++stops;
    return DI_OK;
  }
  HRESULT GetEffectStatus(DWORD*) override { return DI_OK; }
  HRESULT Download() override { return DI_OK; }
  HRESULT Unload() override { return DI_OK; }

  struct Direction {
    LONG x;
    LONG y;
    bool operator==(const Direction&) const = default;
  };
  std::vector<Direction> directions;
  DWORD lastFlags = 0;
  DWORD lastEffectFlags = 0;
  std::vector<DWORD> lastAxes;
  DWORD lastIterations = 0;
  DWORD lastStartFlags = 0;
  int starts = 0;
  int stops = 0;
  HRESULT setResult = DI_OK;
  HRESULT startResult = DI_OK;
};

class FakeMissile : public RiderMissile {
 public:
  bool Load(const char*) override { return loads; }
  void SetTrack(Track* t) override { track = t; }
  bool Update(unsigned, int) override {
    ++updates;
    return true;
  }
  bool IsActive() override { return flying; }
  std::uint32_t GetTarget() override { return target; }
  void Launch(const Vector3& from, const Vector3& velocity) override {
    ++launches;
    launchPoint = from;
    launchVelocity = velocity;
    flying = true;
  }
  bool Draw() override {
    ++draws;
    return true;
  }
  bool DrawTrail() override {
    ++trailDraws;
    return true;
  }

  bool loads = true;
  Track* track = nullptr;
  int updates = 0;
  bool flying = false;
  std::uint32_t target = 3;
  int launches = 0;
  Vector3 launchPoint;
  Vector3 launchVelocity;
  int draws = 0;
  int trailDraws = 0;
};

// Makes FakeMissiles and keeps the last one made.
class FakeRiderRace : public RiderRaceServices {
 public:
  RiderMissile* NewMissile() override {
    last = new FakeMissile();
    return last;
  }
  FakeMissile* last = nullptr;
};

}  // namespace kelvtest
