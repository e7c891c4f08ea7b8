#include "ui/widget_io.h"

#include <cmath>
#include <cstring>
#include <new>

#include "engine/animation.h"
#include "engine/app.h"
#include "engine/data_reader.h"
#include "engine/scene_object.h"
#include "engine/sound_sample.h"
#include "engine/system.h"

namespace ui_internal {

void ReportError(const char* text) { ShowMessageBox(text, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

void ReportOutOfMemory() {
  ShowMessageBox("Error: not enough memory.\nAborting program execution.", MESSAGE_BOX_CAPTION,
                 MESSAGE_BOX_OUT_OF_MEMORY);
  g_App.RequestClose();
}

void CopyTruncated(char* out, std::uint32_t size, const char* s) {
  if (size == 0) return;
  std::uint32_t n = 0;
  if (s) {
    while (n + 1 < size && s[n] != '\0') ++n;
    std::memmove(out, s, n);
  }
  out[n] = '\0';
}

bool SameTextIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    const char ca = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 32) : *a;
    const char cb = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 32) : *b;
    if (ca != cb) return false;
  }
  return *a == *b;
}

float SnapToSixteenth(float v) { return std::trunc(v * 16.0f) * 0.0625f; }

float SnapForBuild(float v) { return g_RenderBuild == RENDER_BUILD_DIRECT3D ? v : SnapToSixteenth(v); }

void SetFlatDepth(ScreenVertex* v, float z) {
  if (g_RenderBuild == RENDER_BUILD_DIRECT3D) {
    SetDirect3DDepth(v, z, 0.5f);
    return;
  }
  v->z = 65535.0f;
  v->q = 1.0f;
  std::memcpy(&v->unused0, &z, sizeof z);
}

bool ReadSoundList(DataReader* r, SceneObject* owner, const char* fileError) {
  std::uint8_t spare = 0;
  std::uint8_t count = 0;
  if (!r->U8(&spare) || !r->U8(&count)) {
    ReportError(fileError);
    return false;
  }
  if (count == 0) return true;
  // Each entry holds at least its slot, a length and a NUL: a count the file
  // cannot hold is refused before any sample is made.
  if (static_cast<std::uint64_t>(count) * 6 > r->Remaining()) {
    ReportError(fileError);
    return false;
  }
  for (SoundSample* s : owner->sounds) delete s;
  owner->sounds.clear();
  try {
    owner->sounds.reserve(count);
    for (int i = 0; i < count; ++i) owner->sounds.push_back(new SoundSample());
  } catch (const std::bad_alloc&) {
    for (SoundSample* s : owner->sounds) delete s;
    owner->sounds.clear();
    return false;
  }
  for (int i = 0; i < count; ++i) {
    std::uint8_t slot = 0;
    char path[PATH_SIZE];
    if (!r->U8(&slot) || !r->String(path, PATH_SIZE)) {
      for (SoundSample* s : owner->sounds) delete s;
      owner->sounds.clear();
      ReportError(fileError);
      return false;
    }
    if (slot >= count) continue;
    owner->sounds[slot]->Load(path);
    owner->sounds[slot]->Enable3D(false);
  }
  return true;
}

void PlayModeSequence(AnimationPlayer* player, int mode, unsigned ms) {
  int wanted = -1;
  bool backward = false;
  switch (mode) {
    case 1: wanted = 0; break;
    case 2: wanted = 1; break;
    case 3:
      wanted = 0;
      backward = true;
      break;
    default: break;
  }
  if (wanted >= 0 && wanted != player->sequence) {
    player->backward = backward ? 1 : 0;
    player->SelectSequence(static_cast<std::uint16_t>(wanted));
    player->speed = 100;
  }
  player->Advance(ms);
}

}  // namespace ui_internal
