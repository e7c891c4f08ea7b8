#include "race/race_manager.h"

#include <cmath>
#include <cstring>
#include <new>

#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/services/event.h"
#include "engine/services/net_game.h"
#include "engine/services/race.h"
#include "engine/system.h"
#include "platform/win32/crt.h"
#include "riders/player_rider.h"
#include "riders/rider.h"
#include "world/track.h"

RaceTime g_SavedRaceClock;

namespace {

std::uint32_t RiderSlots() { return g_RiderCount < 20 ? g_RiderCount : 20; }

bool NetworkRace() { return g_GameMode == GAME_MODE_MULTIPLAYER; }

bool Moto() { return g_RaceType == 3 || g_RaceType == 4; }

std::uint32_t RaceLengthMs() { return std::uint32_t{g_RaceLengthMinutes} * 60000u; }

Vector3 Horizontal(Vector3 v) {
  v.y = 0.0f;
  return v;
}

float Length(const Vector3& v) { return std::sqrt(LengthSquared(v)); }

// Zero stays zero rather than becoming NaN.
Vector3 Normalised(const Vector3& v) {
  const float l = Length(v);
  return l > 0.0f ? v / l : Vector3(0.0f, 0.0f, 0.0f);
}

Vector3 Axis(const Rider& r, int row) {
  return Vector3(r.physics.axes[row][0], r.physics.axes[row][1], r.physics.axes[row][2]);
}

float WidthFactor(const TrackNode& n) { return n.halfWidth <= 6.0f ? (n.halfWidth - 2.0f) * 0.125f + 0.5f : 1.0f; }

float ClampUnit(float c) { return c < -1.0f ? -1.0f : (c > 1.0f ? 1.0f : c); }

// Hundredths from a (non-negative) wide count, kept to 32 bits.
std::uint32_t Hundredths(std::int64_t h) {
  if (h < 0) return 0;
  return h > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<std::uint32_t>(h);
}

RaceTime FromParts(std::uint32_t hundredths, std::uint32_t seconds, std::uint32_t minutes, std::uint32_t hours) {
  RaceTime t;
  t.hundredths = static_cast<std::uint16_t>(hundredths);
  t.seconds = static_cast<std::uint16_t>(seconds);
  t.minutes = static_cast<std::uint16_t>(minutes);
  t.hours = static_cast<std::uint16_t>(hours);
  t.totalMs = 10u * (hundredths + 100u * (seconds + 60u * (minutes + 60u * hours)));
  return t;
}

struct SlowRange {
  std::uint16_t event;
  std::uint16_t first;
  std::uint16_t last;
  std::uint16_t rainFirst;
  std::uint16_t rainLast;
};

constexpr SlowRange kSlowZones[] = {
    {0, 50, 54, 48, 54},     {0, 264, 270, 261, 270}, {0, 285, 290, 285, 290}, {0, 420, 423, 420, 423},
    {0, 445, 451, 445, 451}, {0, 503, 506, 503, 506}, {1, 177, 181, 177, 181}, {1, 220, 224, 220, 224},
    {2, 29, 33, 29, 33},     {2, 106, 108, 106, 108}, {2, 183, 187, 183, 187}, {2, 245, 248, 245, 248},
    {2, 345, 348, 345, 348}, {3, 40, 45, 40, 45},     {3, 55, 58, 55, 58},     {3, 297, 300, 297, 300},
    {3, 340, 340, 340, 345}, {3, 374, 377, 374, 377}, {5, 27, 31, 27, 31},     {5, 233, 236, 233, 236},
    {6, 35, 37, 35, 37},     {6, 243, 246, 243, 246}, {6, 288, 291, 288, 291}, {7, 30, 33, 30, 33},
    {7, 178, 180, 178, 180}, {7, 373, 376, 373, 376}, {7, 427, 431, 427, 431}, {8, 114, 117, 114, 117},
    {8, 207, 208, 207, 208}, {8, 230, 232, 230, 232}, {9, 378, 381, 378, 381}, {9, 396, 398, 396, 398},
    {10, 73, 76, 73, 76},    {11, 57, 70, 57, 70},    {11, 145, 150, 145, 150}, {11, 162, 167, 162, 167},
    {11, 246, 251, 246, 251}, {11, 262, 270, 262, 270}, {11, 323, 337, 323, 337},
};

bool ChampionshipRecord() {
  return g_GameMode == GAME_MODE_CHAMPIONSHIP;
}

void CopyTime(std::uint8_t (&to)[16], const RaceTime& t) { std::memcpy(to, &t, sizeof to); }

}  // namespace

RaceTime RaceTimeFromMs(std::uint32_t ms) {
  RaceTime t;
  t.totalMs = ms;
  const std::uint16_t s = static_cast<std::uint16_t>(ms / 1000u);
  t.hours = static_cast<std::uint16_t>(s / 3600u);
  t.minutes = static_cast<std::uint16_t>((s % 3600u) / 60u);
  t.seconds = static_cast<std::uint16_t>(s % 60u);
  t.hundredths = static_cast<std::uint16_t>((ms % 1000u) / 10u);
  t.thousandths = static_cast<std::uint16_t>((ms % 1000u) % 10u);
  return t;
}

RaceTime RaceTimeFromHundredths(std::uint32_t h) {
  return FromParts(h % 100u, (h / 100u) % 60u, (h / 6000u) % 60u, (h / 360000u) % 60u);
}

RaceTime LapTimeTable::LastCrossing(std::uint32_t lap, std::uint8_t slot) const {
  if (lap < 2 || lap - 2 >= ROWS || slot >= 20) return RaceTime();
  return rows[lap - 2].crossing[slot];
}

bool IsSlowNode(std::uint16_t event, bool rain, std::uint32_t node) {
  for (const SlowRange& r : kSlowZones) {
    if (r.event != event) continue;
    const std::uint32_t first = rain ? r.rainFirst : r.first;
    const std::uint32_t last = rain ? r.rainLast : r.last;
    if (node >= first && node <= last) return true;
  }
  return false;
}

float SpeedCurve(float a) {
  if (a <= 0.08726646f) return 47.222225f - 127.324f * a;
  if (a <= 0.34906584f) return 36.11111f - 63.661976f * (a - 0.08726646f);
  if (a <= 1.5707964f) return 19.444445f - 9.094567f * (a - 0.34906584f);
  return 8.333334f;
}

RaceManager::RaceManager() {
  std::memset(gridOrder, NO_GRID_SLOT, sizeof gridOrder);
  if (NetworkRace()) {
    std::uint8_t players = 0;
    for (std::uint8_t s = 0; s < 20; ++s) players += (g_Event && g_Event->SlotTaken(s)) ? 1 : 0;
    resultCount = players;
    // The network game switches the help on once every intro is done.
    hud.introHelp = 0;
  } else {
    resultCount = static_cast<std::uint8_t>(RiderSlots());
  }
}

RaceManager::~RaceManager() = default;

void RaceManager::SetTrack(const Track* t) {
  track = t;
  nodeCount = t ? static_cast<std::uint32_t>(t->nodes.size()) : 0;
}

bool RaceManager::AllocateLapTimes() {
  lapTimes.reset(new (std::nothrow) LapTimeTable());
  return lapTimes != nullptr;
}

bool RaceManager::RegisterRider(Rider* rider, int kind) {
  const UINT box = MESSAGE_BOX_ERROR;
  if (kind == 1) {
    riders[0] = rider;
    return true;
  }
  if (kind != 2) {
    ShowMessageBox("Internal error 2:4304.", MESSAGE_BOX_CAPTION, box);
    return false;
  }
  for (std::uint32_t s = 1; s < RiderSlots(); ++s) {
    if (riders[s] == nullptr) {
      riders[s] = rider;
      return true;
    }
  }
  ShowMessageBox("Internal error 2:4296.", MESSAGE_BOX_CAPTION, box);
  return false;
}

bool RaceManager::Present(std::uint32_t slot) const {
  if (slot >= 20 || slot >= g_RiderCount || riders[slot] == nullptr) return false;
  return !NetworkRace() || (g_Event && g_Event->SlotTaken(static_cast<std::uint8_t>(slot)));
}

void RaceManager::SetHostClock(std::uint32_t ms) {
  hostClockMs = ms;
  hostClockPending = 1;
}

void RaceManager::StartFinalLap() {
  finalLapStarted = 1;
  for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
    if (Present(j) && riders[j]->finalLap == 0) riders[j]->finalLap = riders[j]->lap;
  }
}

void RaceManager::SetTrackName(const char* name) {
  std::strncpy(trackName, name ? name : "", sizeof trackName - 1);
  trackName[sizeof trackName - 1] = '\0';
}

void RaceManager::SaveClock() { g_SavedRaceClock = clock; }

void RaceManager::RestoreClock() {
  ShowBannerAgain();
  clock = g_SavedRaceClock;
}

void RaceManager::StepClock(int raceState, float frameTime) {
  if (raceState == 1) {
    finishReported = 0;
    clockBroadcast = 0.0f;
    return;
  }
  const float msFloat = std::trunc(frameTime * 1000.0f);
  const std::uint32_t dt = msFloat > 0.0f ? static_cast<std::uint32_t>(msFloat) : 0u;
  clock.Add(dt);
  std::int64_t shift = 0;
  if (NetworkRace()) {
    if (g_NetGame->isHost) {
      clockBroadcast += frameTime;
      if (clockBroadcast >= 15.0f) {
        g_NetGame->SendRaceClock(clock.totalMs);
        clockBroadcast = 0.0f;
      }
    }
  }
  if (hostClockPending) shift = std::int64_t{hostClockMs} - std::int64_t{clock.totalMs};

  const std::int32_t n = static_cast<std::int32_t>(nodeCount);
  for (std::uint32_t i = 0; i < RiderSlots(); ++i) {
    if (!Present(i)) continue;
    Rider& r = *riders[i];
    r.raceTime = clock;
    if (n > 10) {
      const std::int32_t node = r.GetTrackNode();
      const std::int32_t last = static_cast<std::int32_t>(r.lastNode);
      const std::int32_t lapBase = static_cast<std::int32_t>(r.lap) * n + node;
      if (node > last) {
        if (node - last < n - 10) {
          r.progress += node - last;
        } else if (node >= n - 2 && node <= n) {
          r.progress = r.progress / n * n - n + node;
        } else {
          r.progress = lapBase;
        }
      } else if (node < last) {
        if (last - node < n - 10) {
          r.progress -= last - node;
        } else if (node <= 2) {
          r.progress += (n - last) + node;
        } else {
          r.progress = lapBase;
        }
      }
      r.lastNode = static_cast<std::uint32_t>(node);
    }
    if (!r.IsRaceOver()) {
      if (r.state == RIDER_OUT) {
        r.lapTime = RaceTime();
      } else {
        r.lapTime.Add(dt);
        if (hostClockPending) {
          const std::int64_t moved = std::int64_t{r.lapTime.totalMs} + shift;
          r.lapTime = RaceTimeFromMs(moved < 0 ? 0u : static_cast<std::uint32_t>(moved));
        }
      }
    }
  }
  if (hostClockPending) {
    clock = RaceTimeFromMs(hostClockMs);
    hostClockPending = 0;
  }

  for (std::uint32_t i = 0; i < RiderSlots(); ++i) {
    if (!Present(i)) continue;
    Rider& r = *riders[i];
    const bool over = r.IsRaceOver();
    if (!over) {
      std::uint8_t position = 1;
      const Vector3 dir = track && r.physics.sectionHint < track->sectionCount
                              ? track->sections[r.physics.sectionHint].direction
                              : Vector3(0.0f, 0.0f, 0.0f);
      for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
        if (j == i || !Present(j) || riders[j]->out) continue;
        const Rider& o = *riders[j];
        if (o.progress > r.progress ||
            (o.progress == r.progress && Dot(dir, o.physics.position - r.physics.position) > 0.0f)) {
          ++position;
        }
      }
      r.racePosition = position;
    }
    if (n <= 0 || !(r.progress / n > static_cast<std::int64_t>(r.lap) - 1)) continue;

    if (clock.totalMs >= RaceLengthMs()) {
      if (Moto()) {
        if (r.racePosition == 1 && r.finalLap == 0) {
          r.finalLap = r.lap;
          StartFinalLap();
          if (NetworkRace() && g_NetGame->isHost) g_NetGame->SendSignal(NET_MSG_LAST_LAP);
        }
      } else if (r.finalLap == 0) {
        r.finalLap = r.lap;
      }
    }
    ++r.lap;
    ++r.lapsCompleted;
    if (r.IsFollowed() && !over) followedLapDone = 1;
    if (lapTimes && r.lap - 2 < LapTimeTable::ROWS) {
      LapTimeRow& row = lapTimes->rows[r.lap - 2];
      row.crossing[i] = clock;
      row.order[i] = row.nextOrder;
      ++row.nextOrder;
    }
    auto holderBeaten = [&](const RaceTime& lapTime) {
      const Rider* h = riders[fastestLapHolder];
      return h == nullptr || h->lap <= 1 || h->bestLap.totalMs == 0 || h->bestLap.totalMs > lapTime.totalMs;
    };
    fastestLapHolder = 0;
    for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
      if (!Present(j)) continue;
      const Rider& o = *riders[j];
      if (o.lap > 1 && o.bestLap.totalMs != 0 && holderBeaten(o.bestLap)) {
        fastestLapHolder = static_cast<std::uint8_t>(j);
      }
    }
    if (r.IsFollowed()) {
      followedLapFlag1 = followedLapFlag2 = 1;
      if (g_RaceType == 2) {
        fastestLapHolderCopy = fastestLapHolder;
        followedLastLap = r.lapTime;
        followedReferenceLap = riders[fastestLapHolder] ? riders[fastestLapHolder]->bestLap : RaceTime();
      } else if (g_RaceType == 1) {
        followedLastLap = r.lapTime;
        followedReferenceLap = r.bestLap;
      }
    }
    if (r.lap == 2 || r.lapTime.totalMs < r.bestLap.totalMs) {
      if (holderBeaten(r.lapTime) && !over) {
        fastestLapHolder = static_cast<std::uint8_t>(i);
        fastestLapSet = 1;
        const std::uint32_t seconds = r.lapTime.totalMs / 1000u;
        fastestLapSpeedKmh = seconds ? r.lapDistance / static_cast<float>(seconds) * 3.6f : 0.0f;
      }
      r.bestLap = r.lapTime;
    }
    r.lapTime = RaceTime();
    r.lapDistance = 0.0f;
  }
  if (NetworkRace()) ReportFinish();
}

void RaceManager::ReportFinish() {
  Rider* r = riders[0];
  if (r == nullptr || !Present(0)) return;
  if (!r->IsRaceOver()) return;
  if (finishReported && !g_NetGame->serverChanged) return;
  g_NetGame->serverChanged = 0;
  const float laps = nodeCount ? static_cast<float>(r->progress) / static_cast<float>(nodeCount) : 0.0f;
  const RaceTime crossing = lapTimes ? lapTimes->LastCrossing(r->lap, 0) : RaceTime();
  if (!r->out) {
    g_NetGame->SendValue(NET_MSG_RIDER_FINISHED, 0);
    if (!g_NetGame->isHost) {
      NetResult result;
      result.position = r->racePosition;
      std::memcpy(result.crossingTime.data(), &crossing, 16);
      std::memcpy(result.bestLap.data(), &r->bestLap, 16);
      result.laps = laps > 0.0f ? static_cast<std::uint32_t>(laps) : 0u;
      result.out = 0;
      g_NetGame->SendResult(g_NetGame->localPlayerId, g_NetGame->serverPlayerId, result);
    }
  } else {
    g_NetGame->SendValue(NET_MSG_RIDER_FINISHED, 1);
  }
  if (g_Event) {
    EventServices::Result res;
    res.place = r->racePosition;
    CopyTime(res.raceTime, crossing);
    CopyTime(res.bestLap, r->bestLap);
    res.lapsRidden = laps;
    res.out = r->out;
    g_Event->WriteResult(0, g_RaceType == 3 ? 0 : 1, g_NetGame->isChampionship != 0, res);
  }
  finishReported = 1;
}


bool RaceManager::IsSlowZone(std::uint32_t node) const {
  if (NetworkRace() || g_Event == nullptr) return false;
  const bool rain = g_Event->CurrentWeather() == 1;
  return IsSlowNode(g_Event->CurrentEntry(), rain, node);
}

void RaceManager::Collide(std::uint8_t a, std::uint8_t b) {
  if (a >= 20 || b >= 20 || riders[a] == nullptr || riders[b] == nullptr) return;
  RiderPhysics& pa = riders[a]->physics;
  const RiderPhysics& pb = riders[b]->physics;
  pa.chassisCollision = pa.frontCollision = pa.rearCollision = Vector3(0.0f, 0.0f, 0.0f);
  const Vector3 apart = pa.position - pb.position;
  if (!(Length(apart) < 3.0f)) return;
  Vector3 n = Normalised(pa.velocity - pb.velocity);
  if (Dot(n, apart) < 0.0f) n = -1.0f * n;
  // Equal velocities give no direction, and so no push.
  if (LengthSquared(n) == 0.0f) return;
  const Vector3 right = Axis(*riders[b], 0);
  const Vector3 up = Axis(*riders[b], 1);
  const Vector3 forward = Axis(*riders[b], 2);
  ContactPoint* points[3] = {&pa.frontWheel, &pa.rearWheel, &pa.chassisPoint};
  Vector3* forces[3] = {&pa.frontCollision, &pa.rearCollision, &pa.chassisCollision};
  for (int k = 0; k < 3; ++k) {
    const Vector3 local = points[k]->world - pb.position;
    if (!(std::fabs(Dot(local, right)) <= 0.5f && std::fabs(Dot(local, up)) <= 0.5f &&
          std::fabs(Dot(local, forward)) <= 1.0f)) {
      continue;
    }
    const Vector3 v = points[k]->velocity - pb.velocity;
    float vn = Dot(v, n);
    if (vn >= 0.0f) return;
    vn = vn < -1.0f ? vn : -1.0f;
    const Vector3 c = Cross(points[k]->world - pa.position, n);
    const float e = vn > -5.0f ? 0.8f + 0.14f * vn : 0.1f;
    const std::uint16_t skill = riders[a]->skill < 3 ? riders[a]->skill : 2;
    const float mass = pa.totalMass[skill];
    const float inertia = pa.inertia[skill];
    const float denom = (1.0f / mass + LengthSquared(c) / inertia) * g_FrameTime;
    if (!(denom > 0.0f) || !std::isfinite(denom)) return;
    const float j = -(1.0f + e) * vn / denom;
    *forces[k] = j * n;
    return;
  }
}

void RaceManager::UpdatePlayer() {
  Rider* player = riders[0];
  if (player == nullptr || !Present(0) || player->state == RIDER_OUT) return;
  const RiderPhysics& p0 = player->physics;
  const Vector3 forward = Axis(*player, 2);
  float nearestDist = 10000.0f;
  float aheadDist = 10000.0f;
  std::int32_t nearest = -1;
  std::int32_t ahead = -1;
  for (std::uint32_t i = 1; i < RiderSlots(); ++i) {
    if (g_MissileMode && riders[i]) riders[i]->physics.externalForce = Vector3(0.0f, 0.0f, 0.0f);
    if (!Present(i) || riders[i]->state == RIDER_OUT) continue;
    const Vector3 d = riders[i]->physics.position - p0.position;
    const float dist = Length(d);
    if (dist < nearestDist) {
      nearestDist = dist;
      nearest = static_cast<std::int32_t>(i);
    }
    if (Dot(d, forward) > 0.0f && dist < aheadDist) {
      aheadDist = dist;
      ahead = static_cast<std::int32_t>(i);
    }
  }
  if (nearest >= 0) {
    player->toNearest = riders[nearest]->physics.position - p0.position;
    Collide(0, static_cast<std::uint8_t>(nearest));
  }
  if (g_MissileMode && missile) {
    if (missile->IsActive()) {
      const std::uint32_t t = missile->GetTarget();
      if (t < 20 && riders[t]) {
        Rider& target = *riders[t];
        if (Length(target.physics.position - missile->GetPosition()) < 2.0f) {
          const Vector3 v = missile->GetVelocity();
          Vector3 impulse = 3000.0f * v;
          impulse.y += Length(v) * 2000.0f;
          target.physics.externalForce = impulse;
          missile->Explode();
        } else {
          missile->SetTargetPosition(target.physics.position);
        }
      }
    } else if (ahead < 0 || aheadDist > 150.0f) {
      missile->SetTarget(static_cast<std::uint8_t>(g_RiderCount + 1));
    } else {
      missile->SetTarget(static_cast<std::uint8_t>(ahead));
      missile->SetTargetPosition(riders[ahead]->physics.position);
    }
  }
  if (g_BrakingAid && track && nodeCount) {
    const float kf = std::trunc(std::fabs(p0.forwardSpeed) * 0.21176469f + 2.0f);
    const std::uint32_t k = kf > 0.0f && kf < 1.0e6f ? static_cast<std::uint32_t>(kf) : 0u;
    const TrackNode& aimNode = track->nodes[(k + player->GetTrackNode()) % nodeCount];
    const Vector3 aim = Normalised(Horizontal(aimNode.centre - p0.position));
    const Vector3 heading = Normalised(Horizontal(forward));
    const float c = ClampUnit(Dot(heading, aim));
    player->targetSpeed = SpeedCurve(std::acos(c)) * WidthFactor(aimNode);
  }
}

void RaceManager::UpdateComputerRider(std::uint8_t i) {
  Rider& r = *riders[i];
  RiderPhysics& p = r.physics;
  const Vector3 forward = Axis(r, 2);
  int aheadCount = 0;
  float nearestDist = 10000.0f;
  std::int32_t nearest = -1;
  Vector3 toNearest(0.0f, 0.0f, 0.0f);
  for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
    if (j == i || !Present(j) || riders[j]->state == RIDER_OUT) continue;
    const Vector3 d = riders[j]->physics.position - p.position;
    const float dist = Length(d);
    if (Dot(d, forward) > 0.0f && dist < 5.0f) ++aheadCount;
    if (dist < nearestDist) {
      nearestDist = dist;
      nearest = static_cast<std::int32_t>(j);
      toNearest = d;
    }
  }
  Vector3 n(0.0f, 0.0f, 0.0f);
  if (nearest >= 0) {
    n = Normalised(toNearest);
    Collide(i, static_cast<std::uint8_t>(nearest));
  }
  if (NetworkRace() || track == nullptr || nodeCount == 0 || track->nodes.size() < 2) return;

  const float spacing = Length(track->nodes[1].centre - track->nodes[0].centre);
  const float kf = spacing > 0.0f ? std::trunc((std::fabs(p.forwardSpeed) * 0.7411764f + 7.0f) / spacing) : 0.0f;
  const std::uint32_t k = kf > 0.0f && kf < 1.0e6f ? static_cast<std::uint32_t>(kf) : 0u;
  const std::uint32_t node = r.GetTrackNode();
  const TrackNode& aimNode = track->nodes[(k + node) % nodeCount];
  const Vector3 relVel = nearest >= 0 ? p.velocity - riders[nearest]->physics.velocity : Vector3(0.0f, 0.0f, 0.0f);
  Vector3 aim = aimNode.centre - p.position;
  float factor = 1.0f;
  if (r.started) {
    aim.y = 0.0f;
    factor = WidthFactor(aimNode);
    if (aheadCount >= 6) {
      factor = 0.5f;
    } else if (nearest >= 0) {
      n = Normalised(Horizontal(n));
      const float closing = Dot(relVel, n);
      const Vector3 t = Normalised(aim);
      if (Dot(t, n) > (nearestDist - 8.0f) * 0.010869565f) {
        const float radius = closing >= -5.0f ? closing * 0.9741176f + 8.0f : 0.0f;
        if (nearestDist <= radius) {
          const float side = (t.z * n.x - t.x * n.z) > 0.1f ? -1.0f : 1.0f;
          const float offset = ((0.5f - 0.1f * static_cast<float>(r.skill)) * p.forwardSpeed * 0.021176469f + 0.2f) *
                               side * aimNode.halfWidth;
          const TrackNode& own = track->nodes[node % nodeCount];
          const float fromCentre = Length(Horizontal(p.position - own.centre));
          if (std::fabs(own.halfWidth - side * fromCentre) > 0.5f) {
            aim = aim + offset * aimNode.across;
          } else {
            factor *= 0.5f;
          }
        }
      }
    }
    if (factor < 0.1f) factor = 0.1f;
  } else {
    aim = aim + (aimNode.halfWidth - 1.0f) * aimNode.across;
  }
  aim = Normalised(aim);
  const Vector3 heading = Normalised(Horizontal(forward));
  const float turn = Dot(aim, Axis(r, 0)) >= 0.0f ? 1.0f : -1.0f;
  const float angle = std::acos(ClampUnit(Dot(heading, aim)));
  float target = r.started ? SpeedCurve(angle) * factor : 2.7777779f;
  if (angle > 0.2617994f && p.forwardSpeed > 13.888889f) {
    if (p.chassisPoint.groundHeight > aimNode.groundHeight + 1.0f) {
      target *= 0.1f;
    } else if (p.chassisPoint.groundHeight < aimNode.groundHeight - 1.0f) {
      target *= 0.5f;
    }
  }
  if (IsSlowZone(node)) target *= (g_Event && g_Event->CurrentWeather() == 1) ? 0.1f : 0.5f;
  target *= 0.7f + 0.15f * static_cast<float>(r.skill);
  float steer = angle * 1.4323945f * turn;
  steer = steer < -1.0f ? -1.0f : (steer > 1.0f ? 1.0f : steer);
  if (r.timeSinceFinish > 0.0f && !r.out) {
    target = factor * 2.777778f;
    if (r.racePosition >= 1 && r.racePosition <= 3) steer = 0.0f;
  }
  r.targetSpeed = target;
  p.steer = steer;
}

void RaceManager::UpdateRiders(int raceState) {
  if (raceState != 2 && raceState != 3) return;
  UpdatePlayer();
  for (std::uint32_t i = 1; i < RiderSlots(); ++i) {
    if (!Present(i) || riders[i]->state == RIDER_OUT) continue;
    UpdateComputerRider(static_cast<std::uint8_t>(i));
  }
}


bool RaceManager::SetRespawnPoints(const Vector3* points, std::uint32_t count) {
  if (!respawnPoints) respawnPoints.reset(new (std::nothrow) Vector3[20]);
  if (!respawnPoints) return false;
  const std::uint32_t n = count < RiderSlots() ? count : RiderSlots();
  for (std::uint32_t i = 0; i < n; ++i) respawnPoints[i] = points[i];
  respawnCount = n;
  return true;
}

void RaceManager::SetGridSlot(std::uint8_t slot, std::uint8_t place) {
  if (place >= 20 || place >= g_RiderCount || slot >= g_RiderCount) return;
  gridOrder[place] = slot;
}

bool RaceManager::FindRespawnPoint(std::uint32_t lap, std::uint8_t slot, Vector3* position, float* heading) const {
  if (!respawnPoints || respawnCount == 0) return false;
  const Vector3 dir = track && track->sectionCount ? track->sections[0].direction : Vector3(0.0f, 0.0f, 1.0f);
  *heading = std::asin(ClampUnit(dir.x));
  for (std::int32_t k = static_cast<std::int32_t>(respawnCount) - 1; k >= 0; --k) {
    const Vector3& point = respawnPoints[k];
    bool taken = false;
    for (std::uint32_t j = 0; j < RiderSlots() && !taken; ++j) {
      if (j == slot || !Present(j) || riders[j]->state == RIDER_OUT) continue;
      const Vector3& at = riders[j]->physics.position;
      const float dz = at.z - point.z;
      taken = std::fabs(point.x - at.x) < 1.0f && -8.0f < dz && dz < 2.0f;
    }
    if (!taken) {
      *position = point;
      return true;
    }
  }
  const float t = static_cast<float>(clock.totalMs) * 0.001f;
  const float length = static_cast<float>(g_RaceLengthMinutes) * 60.0f;
  if (slot == 0 || (lap == 1 && t > length - 10.0f)) {
    *position = respawnPoints[respawnCount - 1];
    return true;
  }
  return false;
}

void RaceManager::UpdatePitStops() {
  const float t = static_cast<float>(clock.totalMs) * 0.001f;
  const float length = static_cast<float>(g_RaceLengthMinutes) * 60.0f;
  if (Present(0)) {
    Rider& player = *riders[0];
    if (!player.started && t > player.trackTime && player.state != RIDER_OUT) {
      player.state = RIDER_OUT;
      player.StopSounds();
    }
  }
  for (std::uint32_t i = 1; i < RiderSlots(); ++i) {
    if (!Present(i)) continue;
    Rider& r = *riders[i];
    if (r.started) {
      if (r.lapsCompleted == 0 || !(length - 10.0f > t)) continue;
      int c = 0;
      for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
        if (j == i || riders[j] == nullptr) continue;
        const Rider& o = *riders[j];
        if (o.bestLap.totalMs > r.bestLap.totalMs + 2000u || o.lap < 2 || o.bestLap.totalMs == 0) ++c;
      }
      if (c < 5) continue;
      r.trackTime = t + 5.0f;
      r.started = 0;
      r.lapsCompleted = 0;
      r.StoreSnapshot();
      const float h = std::fabs(length - r.trackTime);
      r.entryTime = r.trackTime + h / 2.0f + (h / 2.0f) * static_cast<float>(c - 5) / 4.0f;
      g_RiderSnapshots[i].trackTime = r.trackTime;
      g_RiderSnapshots[i].entryTime = r.entryTime;
      continue;
    }
    if (!(t > r.trackTime)) continue;
    if (r.state != RIDER_OUT) {
      r.state = RIDER_OUT;
      r.StopSounds();
    }
    if (t > r.entryTime && t < length - 5.0f) {
      Vector3 at;
      float heading = 0.0f;
      if (FindRespawnPoint(r.lap, static_cast<std::uint8_t>(i), &at, &heading)) {
        r.Reset();
        r.RestoreSnapshot(static_cast<std::uint8_t>(i));
        r.trackTime = r.entryTime = length;
        r.state = RIDER_RACING;
        r.started = 1;
        r.Place(at.x, at.y, at.z, heading);
      }
    } else if (t > (r.trackTime + r.entryTime) * 0.25f) {
      int c = 0;
      for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
        if (j == i || riders[j] == nullptr) continue;
        const Rider& o = *riders[j];
        if (o.lap > 1 && o.bestLap.totalMs != 0 && (o.bestLap.totalMs < r.bestLap.totalMs || r.bestLap.totalMs == 0)) {
          ++c;
        }
      }
      if (c >= 3) {
        const float a = std::fabs(length - r.trackTime);
        const float b = t + a * 0.05f + (a / 60.0f - a * 0.05f) * static_cast<float>(c - 3) / 6.0f;
        if (b < r.entryTime) r.entryTime = b;
      }
    }
  }
}


RaceTime RaceManager::TimeAfter(const RaceTime& a, const RaceTime& b) const {
  RaceTime t = b.totalMs > a.totalMs ? b : a;
  const std::uint32_t add =
      1u + static_cast<std::uint32_t>(static_cast<float>(crt::rand()) / 32767.0f * 199.0f);
  std::uint32_t h = t.hundredths + add;
  std::uint32_t s = t.seconds + h / 100u;
  std::uint32_t m = t.minutes + s / 60u;
  const std::uint32_t hr = t.hours + m / 60u;
  return FromParts(h % 100u, s % 60u, m % 60u, hr);
}

RaceTime RaceManager::EstimateTimeBehind(const RaceTime& t, std::uint32_t pace, std::uint8_t ahead,
                                         std::uint8_t self) const {
  std::int64_t d = 0;
  if (ahead < 20 && self < 20 && riders[ahead] && riders[self]) {
    d = std::int64_t{riders[ahead]->progress} - riders[self]->progress;
  }
  const RaceTime r = RaceTimeFromHundredths(Hundredths(d * pace + t.totalMs / 10u));
  return r.totalMs > t.totalMs ? r : TimeAfter(r, t);
}

RaceTime RaceManager::ComputeGap(std::uint8_t a, std::uint8_t b) const {
  if (a >= 20 || b >= 20 || riders[a] == nullptr || riders[b] == nullptr) return RaceTime();
  const Rider& ra = *riders[a];
  const Rider& rb = *riders[b];
  std::int64_t h = 0;
  if (const_cast<Rider&>(ra).IsRaceOver() && const_cast<Rider&>(rb).IsRaceOver()) {
    if (lapTimes) {
      const std::int64_t cb = lapTimes->LastCrossing(rb.lap, b).totalMs;
      const std::int64_t ca = lapTimes->LastCrossing(ra.lap, a).totalMs;
      h = (cb - ca) / 10;
    }
  } else if (ra.progress != rb.progress) {
    const std::int64_t pace = rb.progress > 0 ? clock.totalMs / 10u / static_cast<std::uint32_t>(rb.progress) : 20;
    h = (std::int64_t{ra.progress} - rb.progress) * pace;
  } else {
    const std::uint32_t seconds = clock.totalMs / 1000u;
    const float speed = seconds ? rb.raceDistance / static_cast<float>(seconds) : 0.0f;
    const float gap = speed > 0.0f ? Length(ra.physics.position - rb.physics.position) / speed * 100.0f : 0.0f;
    h = std::isfinite(gap) && gap < 4.0e9f ? static_cast<std::int64_t>(gap) : 0;
  }
  return RaceTimeFromHundredths(Hundredths(h));
}

void RaceManager::WriteResult(std::uint8_t slot, std::uint8_t place, const RaceTime& time,
                              const RaceTime& best) const {
  if (g_Event == nullptr || NetworkRace() || riders[slot] == nullptr) return;
  EventServices::Result res;
  res.place = place;
  CopyTime(res.raceTime, time);
  CopyTime(res.bestLap, best);
  res.lapsRidden = nodeCount ? static_cast<float>(riders[slot]->progress) / static_cast<float>(nodeCount) : 0.0f;
  res.out = riders[slot]->out;
  g_Event->WriteResult(slot, g_RaceType == 3 ? 0 : 1, ChampionshipRecord(), res);
}

void RaceManager::ClassifySession() {
  bool present[20] = {};
  std::int32_t slotAt[20];
  for (std::int32_t& s : slotAt) s = -1;
  std::uint32_t withLap = 0;
  std::int32_t slowest = -1;
  auto hasLap = [&](std::uint32_t j) { return riders[j]->lap > 1 && riders[j]->bestLap.totalMs != 0; };
  for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
    present[j] = Present(j);
    if (!present[j] || !hasLap(j)) continue;
    ++withLap;
    if (slowest < 0 || riders[j]->bestLap.totalMs > riders[slowest]->bestLap.totalMs) {
      slowest = static_cast<std::int32_t>(j);
    }
  }
  const std::uint32_t places = resultCount < 20 ? resultCount : 20;
  for (std::uint32_t i = 0; i < RiderSlots(); ++i) {
    if (!present[i]) continue;
    Rider& r = *riders[i];
    std::uint32_t place = withLap;
    if (hasLap(i)) {
      place = 0;
      for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
        if (j != i && present[j] && hasLap(j) && riders[j]->bestLap.totalMs < r.bestLap.totalMs) ++place;
      }
    }
    while (place < places && slotAt[place] >= 0) ++place;
    if (place >= 20) continue;
    if (i != 0 && r.bestLap.totalMs == 0) {
      const Rider* before = place > 0 && slotAt[place - 1] >= 0 ? riders[slotAt[place - 1]] : nullptr;
      const bool beforeHasNone = before == nullptr || before->bestLap.totalMs == 0;
      if (withLap == 0 && (place == 0 || beforeHasNone)) {
        std::int32_t m = 0;
        for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
          if (present[j] && riders[j]->progress > m) m = riders[j]->progress;
        }
        std::uint32_t pace = 0;
        if (m <= 0 || static_cast<std::uint32_t>(m) < nodeCount) {
          pace = (std::uint32_t{g_Event ? g_Event->CurrentPace() : std::uint16_t{0}} + 4u) * 5u;
        } else {
          pace = clock.totalMs / 10u / static_cast<std::uint32_t>(m);
        }
        r.bestLap = TimeAfter(RaceTimeFromHundredths(nodeCount * pace), r.bestLap);
      } else if (place == 0 || beforeHasNone) {
        r.bestLap = TimeAfter(slowest >= 0 ? riders[slowest]->bestLap : RaceTime(), r.bestLap);
      } else {
        r.bestLap = TimeAfter(before->bestLap, r.bestLap);
      }
    }
    slotAt[place] = static_cast<std::int32_t>(i);
    WriteResult(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(place + 1), r.raceTime, r.bestLap);
  }
}

void RaceManager::ClassifyMoto() {
  bool present[20] = {};
  bool placed[20] = {};
  std::int32_t lastFinisher = -1;
  for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
    present[j] = Present(j);
    if (!present[j] || riders[j]->out || !riders[j]->IsRaceOver()) continue;
    if (lastFinisher < 0 || riders[j]->racePosition > riders[lastFinisher]->racePosition) {
      lastFinisher = static_cast<std::int32_t>(j);
    }
  }
  auto crossing = [&](std::uint32_t j) {
    return lapTimes ? lapTimes->LastCrossing(riders[j]->lap, static_cast<std::uint8_t>(j)) : RaceTime();
  };
  RaceTime reference;
  std::uint32_t pace = 0;
  if (lastFinisher >= 0) {
    reference = crossing(static_cast<std::uint32_t>(lastFinisher));
    const std::int32_t d = riders[lastFinisher]->progress;
    pace = d > 0 ? clock.totalMs / 10u / static_cast<std::uint32_t>(d) : 0u;
  } else {
    std::int32_t m = 0;
    for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
      if (present[j] && riders[j]->progress > m) m = riders[j]->progress;
    }
    pace = m <= 0 || static_cast<std::uint32_t>(m) < nodeCount ? 40u - 2u * g_GameSkill
                                                       : clock.totalMs / 10u / static_cast<std::uint32_t>(m);
    reference = RaceTimeFromHundredths((nodeCount * pace + std::uint32_t{g_RaceLengthMinutes} * 3000u) * 2u);
  }
  const std::uint32_t places = resultCount < 20 ? resultCount : 20;
  std::int32_t slotAt[20];
  RaceTime times[20];
  RaceTime bests[20];
  for (std::uint32_t p = 0; p < places; ++p) {
    slotAt[p] = -1;
    const std::uint32_t position = p + 1;
    for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
      if (!present[j] || placed[j] || riders[j]->out || !riders[j]->IsRaceOver() ||
          riders[j]->racePosition > position) {
        continue;
      }
      if (slotAt[p] < 0 || crossing(j).totalMs < crossing(static_cast<std::uint32_t>(slotAt[p])).totalMs) {
        slotAt[p] = static_cast<std::int32_t>(j);
      }
    }
    if (slotAt[p] >= 0) {
      times[p] = crossing(static_cast<std::uint32_t>(slotAt[p]));
      bests[p] = riders[slotAt[p]]->bestLap;
    } else {
      for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
        if (present[j] && !placed[j] && !riders[j]->IsRaceOver() && riders[j]->racePosition <= position) {
          slotAt[p] = static_cast<std::int32_t>(j);
        }
      }
      if (slotAt[p] >= 0) {
        const Rider& r = *riders[slotAt[p]];
        if (p == 0) {
          times[p] = reference;
          bests[p] = r.lap > 1 && r.bestLap.totalMs != 0 ? r.bestLap
                                                         : TimeAfter(RaceTimeFromHundredths(nodeCount * pace),
                                                                     RaceTimeFromHundredths(nodeCount * pace));
        } else {
          times[p] = EstimateTimeBehind(times[p - 1], pace, static_cast<std::uint8_t>(slotAt[p - 1] < 0 ? 0 : slotAt[p - 1]),
                                        static_cast<std::uint8_t>(slotAt[p]));
          bests[p] = r.bestLap.totalMs != 0 ? r.bestLap : TimeAfter(bests[p - 1], RaceTime());
        }
      } else {
        for (std::uint32_t j = 0; j < RiderSlots(); ++j) {
          if (present[j] && !placed[j] && riders[j]->out) slotAt[p] = static_cast<std::int32_t>(j);
        }
        times[p] = bests[p] = RaceTime();
      }
    }
    if (slotAt[p] >= 0) placed[slotAt[p]] = true;
  }
  for (std::uint32_t p = 0; p < places; ++p) {
    if (slotAt[p] >= 0) WriteResult(static_cast<std::uint8_t>(slotAt[p]), static_cast<std::uint8_t>(p + 1), times[p], bests[p]);
  }
}
