// The race frame's drawing: the visible window, which riders take part in a
// draw pass, and the passes in their fixed order.
#include <cmath>

#include "engine/cursor.h"
#include "engine/game_settings.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/sound_device.h"
#include "engine/sound_sample.h"
#include "platform/dsound/dsound.h"
#include "race/race/race_scene.h"
#include "riders/player_rider.h"
#include "ui/dialog.h"

namespace {

constexpr std::uint8_t RACE_TYPE_MOTO_1 = 3;
constexpr std::uint8_t RACE_TYPE_MOTO_2 = 4;
constexpr float FADE_SECONDS = 2.0f;
// The playback fade begins this many records before the end.
constexpr std::uint32_t REPLAY_FADE_RECORDS = 60;

// What a blended pass draws; each build has its own factors for it.
enum BlendUse : int {
  BLEND_USE_SKY,
  BLEND_USE_WORLD,          // track, static objects, track object
  BLEND_USE_SHADOW,
  BLEND_USE_EFFECTS_CLEAR,  // exhaust, engine smoke and dust in clear weather
  BLEND_USE_EFFECTS_WET,    // the same in rain and fog
  BLEND_USE_GLOW,           // lens flare and rain
  BLEND_USE_PANELS,
  BLEND_USE_COUNT,
};

struct BlendPair {
  BlendFactor src;
  BlendFactor dest;
};

// Rows by RenderBuild. The Glide board blends by colour (additive, darkening,
// screen); the Direct3D build blends the world, shadows and panels by alpha
// and its smoke additively whatever the weather.
constexpr BlendPair BLEND_TABLE[2][BLEND_USE_COUNT] = {
    {
        {BLEND_ONE, BLEND_ONE},
        {BLEND_ONE, BLEND_ONE_MINUS_SRC_COLOUR},
        {BLEND_ZERO, BLEND_ONE_MINUS_SRC_COLOUR},
        {BLEND_ONE, BLEND_ONE},
        {BLEND_ONE_MINUS_DEST_COLOUR, BLEND_ONE_MINUS_SRC_COLOUR},
        {BLEND_ONE, BLEND_ONE},
        {BLEND_ONE, BLEND_ONE_MINUS_SRC_COLOUR},
    },
    {
        {BLEND_ONE, BLEND_ONE},
        {BLEND_SRC_ALPHA, BLEND_ONE_MINUS_SRC_ALPHA},
        {BLEND_SRC_ALPHA, BLEND_ONE_MINUS_SRC_ALPHA},
        {BLEND_ONE, BLEND_ONE},
        {BLEND_ONE, BLEND_ONE},
        {BLEND_ONE, BLEND_ONE},
        {BLEND_SRC_ALPHA, BLEND_ONE_MINUS_SRC_ALPHA},
    },
};

void SetBlend(BlendUse use) {
  const BlendPair& p = BLEND_TABLE[g_RenderBuild == RENDER_BUILD_DIRECT3D ? 1 : 0][use];
  g_Renderer.SetSrcBlend(p.src);
  g_Renderer.SetDestBlend(p.dest);
}


bool InWindow(std::uint16_t section, std::uint16_t first, std::uint16_t last) {
  if (first <= last) return section >= first && section <= last;
  return section >= first || section <= last;
}

}  // namespace

void RaceScene::UpdateVisibleWindow() {
  if (track.sectionCount == 0 || !track.sections) return;
  const std::uint16_t s = track.SectionIndex(g_Camera.sectionHint);
  const float v = static_cast<float>(viewDistance) - 1.0f;
  const float d = Dot(g_Camera.viewDirection, track.sections[s].direction);
  const float sf = static_cast<float>(s);
  float first = 0.0f;
  float last = 0.0f;
  if (d > 0.8f) {
    first = sf;
    last = sf + v;
  } else if (d < -0.8f) {
    first = sf - v;
    last = sf;
  } else {
    // Slides continuously from looking back to looking ahead.
    first = std::trunc(sf - v + 0.625f * v * (d + 0.8f));
    last = std::trunc(sf + 0.625f * v * (d + 0.8f));
  }
  track.SetVisibleWindow(static_cast<std::int16_t>(first), static_cast<std::int16_t>(last), s);
  track.GetVisibleWindow(&windowFirst, &windowLast);
}

bool RaceScene::RiderDrawn(std::uint32_t i, bool bodyPass) const {
  if (i >= 20 || !riders[i]) return false;
  if (g_GameMode == GAME_MODE_MULTIPLAYER && !raceManager.Present(i)) return false;
  const Rider& r = *riders[i];
  if (r.physics.crashed) return true;
  if (r.state == RIDER_OUT) return false;
  if (trackObject) return true;
  std::uint16_t first = windowFirst;
  std::uint16_t last = windowLast;
  const std::uint16_t n = track.sectionCount;
  if (bodyPass && n > 0 && (cameraMode == CAMERA_HELMET || cameraMode == CAMERA_BIKE)) {
    first = static_cast<std::uint16_t>((first + n - 1) % n);
    last = static_cast<std::uint16_t>((last + 1) % n);
  }
  return InWindow(r.physics.sectionHint, first, last);
}

bool RaceScene::DrawFrame() {
  Renderer& R = g_Renderer;
  const bool clear = weather == 0;
  // The TV camera's long views fog the clear sky too when the draw distance
  // is the far one.
  const bool tvFog = clear && cameraMode == CAMERA_TV && !g_OptionDrawDistance;
  const bool fogged = !clear || tvFog;
  const BlendUse effects = clear ? BLEND_USE_EFFECTS_CLEAR : BLEND_USE_EFFECTS_WET;
  const bool moto = g_RaceType == RACE_TYPE_MOTO_1 || g_RaceType == RACE_TYPE_MOTO_2;

  // The backdrop, without depth.
  g_GeometryPipeline.SetupProjection();
  R.ResetStatistics();
  R.SetZEnable(false);
  R.SetZWriteEnable(false);
  if (tvFog) R.SetFogEnable(true);
  backdrop.Draw();
  if (tvFog) R.SetFogEnable(false);

  // The sky. The strict comparison holds for the rest of the race.
  R.SetZFunc(DEPTH_NEARER);
  SetBlend(BLEND_USE_SKY);
  sky.Draw();
  R.SetAlphaBlendEnable(false);

  // The world.
  R.SetZEnable(true);
  R.SetZWriteEnable(true);
  if (fogged) R.SetFogEnable(true);
  SetBlend(BLEND_USE_WORLD);
  track.Draw();
  for (std::uint16_t i = 0; i < staticObjectCount; ++i) {
    if (staticObjects[i]) staticObjects[i]->Draw();
  }
  if (trackObject) {
    bool looksBackwards = false;
    if (followedRider < 20 && riders[followedRider] && track.sectionCount > 0) {
      const std::uint16_t s = track.SectionIndex(riders[followedRider]->physics.sectionHint);
      looksBackwards = Dot(g_Camera.viewDirection, track.sections[s].direction) < 0.0f;
    }
    Object3D& o = *trackObject;
    for (std::uint16_t m = 0; m < o.meshCount && m < o.meshes.size() && m < o.visible.size(); ++m) {
      const Vector3* box = o.meshes[m].box;
      o.visible[m] = g_GeometryPipeline.IsBoxVisible(box) && !track.SegmentCrossesNode(box, !looksBackwards) ? 1 : 0;
    }
    o.Draw();
  }

  // Tyre marks and the ground.
  Rider* player = riders[0];
  track.DrawTyreMarks(player && player->physics.onTrack);
  ground.Draw();

  // Shadows.
  R.SetZWriteEnable(true);
  SetBlend(BLEND_USE_SHADOW);
  R.SetAlphaBlendEnable(true);
  if (fogged) R.SetFogEnable(false);
  for (std::uint32_t i = 0; i < 20; ++i) {
    if (RiderDrawn(i, false)) riders[i]->DrawShadow();
  }

  // The missile and the exhaust.
  R.SetZWriteEnable(false);
  SetBlend(effects);
  if (g_MissileMode) {
    if (auto* p = dynamic_cast<PlayerRider*>(player)) {
      R.SetAlphaBlendEnable(false);
      p->DrawMissile();
      R.SetAlphaBlendEnable(true);
      p->DrawMissileTrail();
    }
  }
  for (std::uint32_t i = 0; i < 20; ++i) {
    if (RiderDrawn(i, false)) riders[i]->DrawExhaustSmoke();
  }

  // Bodies.
  R.SetAlphaBlendEnable(false);
  R.SetZWriteEnable(true);
  if (fogged) R.SetFogEnable(true);
  for (std::uint32_t i = 0; i < 20; ++i) {
    if (!RiderDrawn(i, true)) continue;
    riders[i]->Draw();
    if (g_OptionParticle) riders[i]->DrawDirt();
  }

  // Engine smoke, then dust.
  R.SetAlphaBlendEnable(true);
  R.SetZWriteEnable(false);
  R.SetFogEnable(false);
  SetBlend(effects);
  for (std::uint32_t i = 0; i < 20; ++i) {
    if (RiderDrawn(i, false)) riders[i]->DrawEngineSmoke();
  }
  for (std::uint32_t i = 0; i < 20; ++i) {
    if (RiderDrawn(i, false)) riders[i]->DrawGroundDust();
  }

  // Lens flare or rain.
  if (fogged) R.SetFogEnable(false);
  R.SetZEnable(false);
  R.SetZWriteEnable(false);
  R.SetAlphaBlendEnable(true);
  SetBlend(BLEND_USE_GLOW);
  if (clear && sunFlag) {
    if (g_OptionLensflare) {
      lensFlare.Draw();
      lensFlare.Update(0, static_cast<int>(state_));
    }
  } else if (weather == 1) {
    rain.Draw();
  }

  // HUD.
  R.SetZEnable(false);
  R.SetAlphaBlendEnable(false);
  if (!playback) {
    Rider* followed = followedRider < 20 ? riders[followedRider] : nullptr;
    if (followed && cameraMode != CAMERA_TV && cameraMode != CAMERA_FIXED) followed->DrawHud();
    raceManager.DrawHud();
  }

  // The final fade; a moto's action replay fades on its own.
  if (!g_EndFadeStarted) {
    const bool replayFollows = moto && g_OptionReplay && !playback && !g_MissileMode;
    const bool raceOver = g_RaceOver && g_RaceClock > 0.0f && !replayFollows;
    const bool replayEnding = playback && replay.totalRecords - replay.recordCount <= REPLAY_FADE_RECORDS;
    if (raceOver || replayEnding) {
      R.StartFade(FADE_SECONDS, FADE_OUT, nullptr);
      g_EndFadeStarted = 1;
      g_RaceFadingOut = 1;
    }
  }

  // Panels.
  SetBlend(BLEND_USE_PANELS);
  if (cameraPanelShown && !cameraPanel.Draw()) return false;
  if (helpPanelShown && !helpPanel.Draw()) return false;
  R.SetAlphaBlendEnable(false);

  // Dialogs and texts.
  for (std::uint16_t i = 0; g_Dialogs && i < g_DialogCount; ++i) g_Dialogs[i].Update();
  R.SetTextureFilter(g_OptionFiltering != 0);
  if (showWrongWay && !wrongWayText.Draw()) return false;
  if (showReplayMark && !replayMark.Draw()) return false;
  R.SetZEnable(true);
  R.SetZWriteEnable(true);

  // The cursor, and the 3D listener every third frame.
  g_Cursor.Update();
  if (g_SoundListener && !g_SoundMuted && g_ListenerCommitCounter % 3 == 0) {
    g_SoundListener->CommitDeferredSettings();
  }
  g_ListenerCommitCounter = (g_ListenerCommitCounter + 1) % 3;

  return R.DrawFade();
}
