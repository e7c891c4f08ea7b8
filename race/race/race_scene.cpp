#include "race/race/race_scene.h"

#include <cmath>
#include <cstdio>
#include <new>

#include "engine/app.h"
#include "engine/archive.h"
#include "engine/cd_audio.h"
#include "engine/data_reader.h"
#include "engine/disk_file.h"
#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/geometry_pipeline.h"
#include "engine/renderer.h"
#include "engine/services/front_end.h"
#include "engine/services/net_game.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "engine/texture_manager.h"
#include "platform/win32/crt.h"
#include "race/race/loading_picture.h"
#include "riders/ai_rider.h"
#include "riders/player_rider.h"
#include "riders/rider_physics.h"
#include "ui/dialog.h"
#include "ui/font.h"

std::uint8_t g_RaceOver = 0;
std::uint8_t g_NetOpponentsGone = 0;
std::uint32_t g_PitTimerMs = 0;
std::uint16_t g_PitTimerDigits[5] = {};

namespace {

constexpr const char* LOAD_ERROR = "Error loading object.\nPlease reinstall Kelvarro.";
constexpr const char* PICTURE_ERROR = "File error opening ui back data.\nPlease reinstall Kelvarro.";
constexpr std::uint8_t RACE_TYPE_RESTART = 5;
constexpr std::uint8_t RACE_TYPE_RESUME = 6;
constexpr std::uint8_t RACE_TYPE_PRACTICE = 1;
constexpr std::uint8_t RACE_TYPE_QUALIFYING = 2;
constexpr std::uint8_t RACE_TYPE_MOTO_1 = 3;
constexpr std::uint8_t RACE_TYPE_MOTO_2 = 4;
const float WRONG_WAY_COLOUR[3] = {1.0f, 0.7764700f, 0.0980390f};

bool LoadFailed() {
  ShowMessageBox(LOAD_ERROR, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
  return false;
}

std::uint8_t Flag(FrontEndServices::SessionFlag f) { return g_FrontEnd ? g_FrontEnd->GetFlag(f) : 0; }
void SetFlag(FrontEndServices::SessionFlag f, std::uint8_t v) {
  if (g_FrontEnd) g_FrontEnd->SetFlag(f, v);
}

float* ConditionArray(int i) {
  // Engine, wheels, suspension, clutch, gearbox: the clutch is the array the
  // riders name after the brakes.
  float* arrays[5] = {g_ConditionEngine, g_ConditionWheels, g_ConditionSuspension, g_ConditionBrakes,
                      g_ConditionGearbox};
  return arrays[i];
}

void FreeDialogArray(Dialog* dialogs) { delete[] dialogs; }

void FreeRaceFonts() {
  for (std::uint16_t i = 0; i < g_FontCount; ++i) g_Fonts[i].FreeTexture();
  delete[] g_Fonts;
  g_Fonts = nullptr;
  g_FontCount = 0;
}

// The loading picture scaled to the screen; null after a reported failure.
std::unique_ptr<std::uint16_t[]> LoadPicture(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ShowMessageBox(PICTURE_ERROR, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return nullptr;
  }
  DataReader in(&file);
  std::unique_ptr<std::uint16_t[]> screen = ReadLoadingPicture(in, g_ScreenWidth, g_ScreenHeight);
  if (!screen) LoadFailed();
  return screen;
}

}  // namespace

RaceTypeAdvance AdvanceRaceType(std::uint8_t gameMode, std::uint8_t raceType, std::uint8_t previousRaceType) {
  if ((gameMode == GAME_MODE_MULTIPLAYER || gameMode == GAME_MODE_QUICK_RACE) && raceType == 0) {
    raceType = RACE_TYPE_QUALIFYING;
  }
  if (raceType == RACE_TYPE_RESTART) return {previousRaceType, RACE_TYPE_RESTART};
  if (raceType == RACE_TYPE_RESUME) return {previousRaceType, RACE_TYPE_RESUME};
  const std::uint8_t next = raceType >= RACE_TYPE_MOTO_2 ? RACE_TYPE_PRACTICE : static_cast<std::uint8_t>(raceType + 1);
  return {next, next};
}

float RegistryViewWidth(std::uint32_t screenWidth) {
  const float widest = static_cast<float>(screenWidth) - 1.0f;
  DWORD stored = 0;
  if (!ReadRegistryDword("ViewWidth", &stored)) return widest;
  float width = static_cast<float>(stored);
  if (width > widest) width = widest;
  if (width < RACE_MIN_VIEW_WIDTH) width = RACE_MIN_VIEW_WIDTH;
  return width;
}

RaceScene::RaceScene() {
  acceptsKeys_ = 1;
  acceptsMouse_ = 0;
  sceneWord_ = CAMERA_FIXED;
  g_RaceOver = 0;
  g_NetOpponentsGone = 0;
  SetFlag(FrontEndServices::FLAG_WEATHER_CHANGED, 0);
  SetFlag(FrontEndServices::FLAG_WEATHER_ROLLED, 0);
  if (g_RaceType != RACE_TYPE_RESUME) {
    g_PitTimerMs = 0;
    for (std::uint16_t& d : g_PitTimerDigits) d = 0;
  }
  for (int i = 0; i < 5; ++i) {
    float* c = ConditionArray(i);
    if (c[0] > 1.0f) c[0] = 1.0f;
  }

  const RaceTypeAdvance next =
      AdvanceRaceType(g_GameMode, g_RaceType, Flag(FrontEndServices::FLAG_PREVIOUS_RACE_TYPE));
  g_RaceType = next.raceType;
  SetFlag(FrontEndServices::FLAG_PREVIOUS_RACE_TYPE, next.previousRaceType);
  const std::uint8_t previous = next.previousRaceType;
  const bool noBudget = Flag(FrontEndServices::FLAG_NO_BUDGET) != 0;
  const bool network = g_GameMode == GAME_MODE_MULTIPLAYER;
  const bool netChampionship =
      network && (Flag(FrontEndServices::FLAG_NET_CHAMPIONSHIP) != 0 || (g_NetGame && g_NetGame->isChampionship));

  // The entry fee, once per event: not again on a restart or a return from
  // the garage.
  bool fee = false;
  if (g_GameMode == GAME_MODE_CHAMPIONSHIP && !noBudget && previous != RACE_TYPE_RESTART &&
      previous != RACE_TYPE_RESUME) {
    fee = g_RaceType == RACE_TYPE_PRACTICE ||
          (g_RaceType == RACE_TYPE_QUALIFYING && Flag(FrontEndServices::FLAG_PRACTICE_SKIPPED)) ||
          (g_RaceType == RACE_TYPE_MOTO_1 && Flag(FrontEndServices::FLAG_QUALIFYING_SKIPPED));
  } else if (netChampionship && !noBudget && g_RaceType == RACE_TYPE_MOTO_1) {
    fee = true;
  }
  if (fee) FrontEndCommand(CMD_RACE_ENTRY_FEE, 0, 0, "NULL");

  SetFlag(FrontEndServices::FLAG_PRACTICE_SKIPPED, 0);
  SetFlag(FrontEndServices::FLAG_QUALIFYING_SKIPPED_NO_FEE, 0);
  g_Renderer.statistics = {};
  viewDistance = g_OptionDrawDistance ? 30 : 60;

  if (previous != RACE_TYPE_RESUME) {
    for (std::uint32_t r = 1; r < g_RiderCount && r < 20; ++r) {
      for (int i = 0; i < 5; ++i) ConditionArray(i)[r] = 1.0f;
    }
  }
  bool resetPlayer = false;
  std::uint8_t riderCount = static_cast<std::uint8_t>(g_RiderCount);
  bool championshipWeather = false;
  if (g_GameMode == GAME_MODE_SINGLE_RACE || g_GameMode == GAME_MODE_QUICK_RACE) {
    resetPlayer = true;
  } else if (g_GameMode == GAME_MODE_CHAMPIONSHIP) {
    championshipWeather = true;
    resetPlayer = noBudget;
  } else {
    riderCount = g_FrontEnd ? g_FrontEnd->NetPlayerCount() : 1;
    championshipWeather = netChampionship;
    resetPlayer = !netChampionship || noBudget;
  }
  weather = g_FrontEnd ? g_FrontEnd->SeriesWeather(championshipWeather) : 0;
  raceManager.SetRiderCount(riderCount);
  if (resetPlayer && previous != RACE_TYPE_RESUME) {
    for (int i = 0; i < 5; ++i) ConditionArray(i)[0] = 1.0f;
  }
  for (int i = 0; i < 5; ++i) conditionAtStart[i] = ConditionArray(i)[0];

  Dialog* dialogs = new (std::nothrow) Dialog[6];
  if (!dialogs) {
    ShowMessageBox("Error: not enough memory.\nAborting program execution.", MESSAGE_BOX_CAPTION,
                   MESSAGE_BOX_OUT_OF_MEMORY);
    g_App.RequestClose();
  } else {
    g_Dialogs = dialogs;
    g_DialogCount = 6;
    g_FreeDialogs = FreeDialogArray;
  }

  // The disc must serve the track data rather than play music.
  if (g_CdAudio.state == CDAUDIO_PLAYING) g_CdAudio.Stop();
}

RaceScene::~RaceScene() {
  // The network game must not reach riders or a manager that are gone.
  if (g_NetGame) g_NetGame->SetRaceManager(nullptr);
  FreeRaceFonts();
  for (Rider*& r : riders) {
    delete r;
    r = nullptr;
  }
  tvCameras.reset();
  trackObject.reset();
  // The camera outlives the race: it must not keep reaching into this
  // race's track once it is gone.
  if (g_Camera.track == &track) g_Camera.track = nullptr;
  if (g_ScreenWidth > 0) {
    g_Renderer.clearRed = g_Renderer.clearGreen = g_Renderer.clearBlue = 0.0f;
    g_Renderer.ClearRect(0, 0, static_cast<int>(g_ScreenWidth) - 1, static_cast<int>(g_ScreenHeight) - 1, true);
  }
  // Before any display opened the width is no size at all.
  WriteRegistryDword("ViewWidth", g_ViewWidth > 0.0f ? static_cast<DWORD>(g_ViewWidth) : 0);
  g_ViewWidth = static_cast<float>(g_ScreenWidth) - 1.0f;
  g_ViewHeight = static_cast<float>(g_ScreenHeight) - 1.0f;
  g_ViewRect = {0.0f, g_ViewWidth, 0.0f, g_ViewHeight};
  if (g_Renderer.cache.textureFilter == 1) g_Renderer.SetTextureFilter(false);
}

bool RaceScene::ShowLoadingProgress(std::uint8_t percent, const std::uint16_t* picture) {
  const float W = static_cast<float>(g_ScreenWidth);
  const float H = static_cast<float>(g_ScreenHeight);
  // A near-black bar over the part of the picture's bar not yet reached,
  // anchored top-left over the picture's bar at 55..590 x 253..296.
  Panel bar;
  bar.SetAnchors(1, 1);
  bar.SetPosition((55.0f + 5.35f * percent) * W / 640.0f, H * 253.0f / 480.0f, 0.0f);
  bar.SetScale((535.0f - 5.35f * percent) * W / 640.0f, H * 43.0f / 480.0f, 0.0f);
  bar.SetColour(0.01f, 0.01f, 0.01f);
  bar.UpdateVertices();
  if (!g_Renderer.DrawFullScreenImage(picture, static_cast<int>(g_ScreenWidth) * 2)) {
    ShowMessageBox("Error: grLfbWriteRegion failed.", MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  g_Renderer.ResetStatistics();
  g_Renderer.SetZEnable(false);
  g_Renderer.SetAlphaBlendEnable(true);
  if (!bar.Draw() || !g_Renderer.DrawFade()) return false;
  if (g_Renderer.Present() == PresentResult::SURFACE_LOST) RequestRestore();
  return true;
}

bool RaceScene::Load(const char* raceFile) {
  g_TextureManager.Repack();
  const char* picturePath = g_ScreenWidth == 1024  ? "DATA\\MISC\\LOAD1024.TEX"
                            : g_ScreenWidth == 800 ? "DATA\\MISC\\LOAD800.TEX"
                                                   : "DATA\\MISC\\LOAD640.TEX";
  std::unique_ptr<std::uint16_t[]> picture = LoadPicture(picturePath);
  if (!picture) return false;
  g_Renderer.fadeDuration = 0.0f;
  g_Renderer.fadeElapsed = 0.0f;
  g_Renderer.fadeDarkness = 1.0f;
  g_Renderer.fadeDirection = FADE_IN;
  g_Renderer.fadeCallback = nullptr;
  loadingPicture_ = picture.get();
  if (!ShowLoadingProgress(0, picture.get()) || !ShowLoadingProgress(0, picture.get())) return false;

  DiskFile file;
  if (!file.Open(raceFile, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) return LoadFailed();
  RaceDescription d;
  {
    DataReader in(&file);
    if (!ReadRaceDescription(in, weather, &d)) return LoadFailed();
  }
  file.Close();

  g_Renderer.AssignTextureSizeClasses(d.textureSizeGroups);
  if (!d.fonts.empty()) {
    g_Fonts = new (std::nothrow) Font[d.fonts.size()];
    if (!g_Fonts) return false;
    g_FontCount = static_cast<std::uint16_t>(d.fonts.size());
    for (std::size_t i = 0; i < d.fonts.size(); ++i) {
      if (!g_Fonts[i].Load(d.fonts[i].c_str())) return LoadFailed();
    }
  }
  sunFlag = d.sunFlag != 0;
  Vector3 light(-d.sunDirection.x, -d.sunDirection.y, -d.sunDirection.z);
  const float length = std::sqrt(light.x * light.x + light.y * light.y + light.z * light.z);
  if (length > 0.0f) {
    g_LightDirection = Vector3(light.x / length, light.y / length, light.z / length);
  }

  if (!ShowLoadingProgress(5, picture.get())) return false;
  if (!track.Load(d.track.c_str())) return false;
  raceManager.SetTrack(&track);
  raceManager.SetNodeCount(track.sectionCount);
  if (!raceManager.AllocateLapTimes()) return LoadFailed();
  if (!ShowLoadingProgress(25, picture.get())) return false;
  const int variant = RaceVariantOfWeather(weather);
  if (!backdrop.Load(d.backdrops[variant].file.c_str())) return false;
  if (!ShowLoadingProgress(30, picture.get())) return false;
  sky.starMode = d.sunFlag != 1 ? 1 : 0;
  if (!sky.Load(d.skies[variant].file.c_str())) return false;
  // Without a sun the sky only shows in dry weather.
  sky.enabled = d.sunFlag != 0 || weather == 0 ? 1 : 0;
  if (!rain.LoadAssets(d.effectsTexture.c_str())) return LoadFailed();
  raceManager.SetTrackName(d.eventName.c_str());
  if (!ground.Load(d.ground.c_str())) return false;
  ground.SetPosition(d.groundPosition.x, d.groundPosition.y, d.groundPosition.z);
  ground.SetScale(d.groundScale.x, d.groundScale.y, d.groundScale.z);

  if (!LoadRiders(d)) return false;
  BuildStartingGrid();
  if (!BuildTvCameras()) return LoadFailed();
  if (!LoadStaticObjects(d) || !ShowLoadingProgress(90, picture.get())) return false;

  if (!cameraPanel.Load("DATA\\TRACK\\CAMERA.OSP") || !helpPanel.Load("DATA\\TRACK\\HELP.OSP")) return LoadFailed();
  helpPanel.SetPosition(5.0f, 224.0f, helpPanel.z);
  wrongWayText.SetFont(3);
  wrongWayText.SetScale(1.0f, 1.0f, 1.0f);
  wrongWayText.SetCentring(1, 1);
  wrongWayText.SetPosition(320.0f, 240.0f, 0.0f);
  wrongWayText.SetText(g_TextDatabase.Text(42));
  wrongWayText.SetColour(WRONG_WAY_COLOUR[0], WRONG_WAY_COLOUR[1], WRONG_WAY_COLOUR[2], 0, 0);
  replayMark.SetFont(3);
  replayMark.SetScale(1.0f, 1.0f, 1.0f);
  replayMark.SetPosition(5.0f, 5.0f, 0.0f);
  if (!replayMark.SetText("R")) return LoadFailed();
  replayMark.SetColour(WRONG_WAY_COLOUR[0], WRONG_WAY_COLOUR[1], WRONG_WAY_COLOUR[2], 0, 0);
  if (!ShowLoadingProgress(95, picture.get())) return false;
  if (g_OptionLensflare && !lensFlare.Load(d.effectsTexture.c_str())) return LoadFailed();
  if (!LoadDialogs() || !raceManager.LoadHud()) return LoadFailed();

  if (!ShowLoadingProgress(100, picture.get())) return false;
  loadingPicture_ = nullptr;
  picture.reset();
  const bool bilinear = g_OptionFiltering != 0;
  if (g_Renderer.cache.textureFilter != (bilinear ? 1 : 0)) g_Renderer.SetTextureFilter(bilinear);
  return true;
}

bool RaceScene::LoadRiders(const RaceDescription& d) {
  const bool network = g_GameMode == GAME_MODE_MULTIPLAYER;
  const std::uint32_t count = g_RiderCount > 20 ? 20 : g_RiderCount;
  for (std::uint32_t i = 0; i < count; ++i) {
    Rider* r = nullptr;
    if (i == 0) {
      r = new (std::nothrow) PlayerRider();
    } else {
      r = new (std::nothrow) AiRider();
    }
    if (!r) return LoadFailed();
    riders[i] = r;
    r->effectsTexture = d.effectsTexture.c_str();
    r->SetIndex(static_cast<std::uint8_t>(i));
    const char* riderFile = g_FrontEnd ? g_FrontEnd->RiderFile(static_cast<std::uint8_t>(i)) : "";
    if (!r->Load(riderFile)) return false;
    r->effectsTexture = nullptr;
    r->SetTrack(&track);
    if (i > 0) r->SetupAi();
    r->Reset();
    const int kind = i == 0 ? 1 : 2;
    if (!raceManager.RegisterRider(r, kind)) return false;
    if (network && g_NetGame) g_NetGame->RegisterRider(r, static_cast<std::uint8_t>(kind));
    const std::uint8_t percent = static_cast<std::uint8_t>(i == 0 ? 35 : 35 + 5 * (i / 2));
    if (!ShowLoadingProgress(percent, loadingPicture_)) return false;
  }
  if (network && g_NetGame) {
    g_NetGame->SetRaceManager(&raceManager);
    g_NetRaceStartReceived = 0;
  }
  return true;
}

void RaceScene::BuildStartingGrid() {
  if (track.sectionCount == 0 || track.nodes.empty() || !track.sections) return;
  const TrackNode& node = track.nodes[0];
  const Vector3 c = node.centre;
  const Vector3 a = node.across;
  const float dx = track.sections[0].direction.x;
  const float heading = std::asin(dx < -1.0f ? -1.0f : dx > 1.0f ? 1.0f : dx);
  const bool network = g_GameMode == GAME_MODE_MULTIPLAYER;
  std::uint32_t n = network ? 7 : (g_RiderCount > 20 ? 20 : g_RiderCount);
  if (n == 0) return;
  const float step = n > 1 ? 20.0f / static_cast<float>(n - 1) : 0.0f;
  Vector3 points[20];
  for (std::uint32_t k = 0; k < n; ++k) {
    const float t = static_cast<float>(k) * step - 10.0f;
    Vector3 p(c.x + a.x * t, 0.0f, c.z + a.z * t);
    // A point off the sections keeps the node's own ground height.
    float height = node.groundHeight;
    std::uint16_t section = 0;
    std::uint16_t triangle = 0;
    if (!track.getheight(&p, &section, &triangle, &height, true)) height = node.groundHeight;
    p.y = height + 0.5f;
    points[k] = p;
  }
  raceManager.SetRespawnPoints(points, n);

  auto assign = [&](std::uint32_t slot, std::uint32_t k, bool place) {
    if (slot >= 20 || k >= n || !riders[slot]) return;
    Rider* r = riders[slot];
    r->gridSpot[0] = points[k].x;
    r->gridSpot[1] = points[k].z;
    r->gridSpot[2] = heading;
    if (place) r->Place(points[k].x, points[k].y, points[k].z, heading);
  };
  if (network) {
    for (std::uint32_t i = 0; i < 20; ++i) {
      if (raceManager.Present(i) && g_FrontEnd) {
        raceManager.SetGridSlot(static_cast<std::uint8_t>(i), g_FrontEnd->GridPlace(static_cast<std::uint8_t>(i)));
      }
    }
    const std::uint8_t* order = raceManager.GetGridOrder();
    for (std::uint32_t k = 0; k < 20; ++k) {
      const std::uint8_t slot = order[k];
      if (slot == RaceManager::NO_GRID_SLOT || slot >= 20 || !raceManager.Present(slot)) continue;
      assign(slot, k, true);
    }
  } else if (g_RaceType == RACE_TYPE_PRACTICE || g_RaceType == RACE_TYPE_QUALIFYING) {
    bool taken[20] = {};
    for (std::uint32_t i = 0; i < n; ++i) {
      std::uint32_t k = 0;
      do {
        const float f = static_cast<float>(crt::rand()) / 32767.0f * static_cast<float>(g_RiderCount) - 0.001f;
        k = static_cast<std::uint32_t>(f > 0.0f ? f : 0.0f);
      } while (k >= n || taken[k]);
      taken[k] = true;
      assign(i, k, false);
      raceManager.SetGridSlot(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(k));
    }
  } else if (g_RaceType == RACE_TYPE_MOTO_1 || g_RaceType == RACE_TYPE_MOTO_2) {
    const std::uint8_t* order = playback ? raceManager.GetGridOrder() : (g_FrontEnd ? g_FrontEnd->GridOrder() : nullptr);
    if (!order) return;
    std::uint8_t copy[20];
    for (int k = 0; k < 20; ++k) copy[k] = order[k];
    for (std::uint32_t k = 0; k < n; ++k) {
      assign(copy[k], k, playback);
      if (copy[k] < 20) raceManager.SetGridSlot(copy[k], static_cast<std::uint8_t>(k));
    }
  }
}

bool RaceScene::LoadStaticObjects(const RaceDescription& d) {
  staticObjectCount = static_cast<std::uint16_t>(d.staticObjects.size());
  staticObjects.reset(new (std::nothrow) std::unique_ptr<Object3D>[staticObjectCount]);
  if (!staticObjects) return LoadFailed();
  for (std::uint16_t i = 0; i < staticObjectCount; ++i) {
    const RaceStaticObject& o = d.staticObjects[i];
    staticObjects[i].reset(new (std::nothrow) Object3D());
    if (!staticObjects[i]) return LoadFailed();
    if (!staticObjects[i]->Load(o.file.c_str())) return false;
    staticObjects[i]->SetPosition(o.position.x, o.position.y, o.position.z);
    staticObjects[i]->SetScale(o.scale.x, o.scale.y, o.scale.z);
  }
  if (d.hasTrackObject) {
    trackObject.reset(new (std::nothrow) Object3D());
    if (!trackObject || !trackObject->Load(d.trackObject.c_str())) return LoadFailed();
  }
  return true;
}

bool RaceScene::LoadDialogs() {
  if (!g_Dialogs || g_DialogCount < 6) return false;
  const bool session = g_RaceType == RACE_TYPE_PRACTICE || g_RaceType == RACE_TYPE_QUALIFYING;
  const char* files[6] = {session ? "DATA\\TRACK\\DLG02.DLG" : "DATA\\TRACK\\DLG01.DLG",
                          "DATA\\TRACK\\DLGW01.DLG",
                          "DATA\\TRACK\\DLGW02.DLG",
                          "DATA\\TRACK\\DLGW03.DLG",
                          "DATA\\TRACK\\DLGW04.DLG",
                          "DATA\\TRACK\\SYNCHRO.DLG"};
  for (int i = 0; i < 6; ++i) {
    if (!g_Dialogs[i].Load(files[i])) return false;
  }
  return true;
}
