#include "engine/program_objects.h"

#include <memory>
#include <vector>

#include "engine/app.h"
#include "engine/archive.h"
#include "engine/cd_audio.h"
#include "engine/cursor.h"
#include "engine/mixer.h"
#include "engine/renderer.h"
#include "engine/text_database.h"
#include "engine/texture_manager.h"

namespace {

ProgramStorage<Mixer> mixerStorage;
ProgramStorage<Renderer> rendererStorage;
ProgramStorage<TextureManager> textureManagerStorage;
ProgramStorage<CdAudio> cdAudioStorage;
ProgramStorage<App> appStorage;
ProgramStorage<Cursor> cursorStorage;

// Objects that static initialisation builds in their own modules: the exit
// handler runs the destructor and leaves a freshly built object behind, so
// that the runtime's own destruction at the very end (and a program run again
// in the same process, as the tests do) finds a valid one.
template <class T, T& object>
void DestroyAndRenew() {
  std::destroy_at(&object);
  std::construct_at(&object);
}

ProgramObject table[PROGRAM_OBJECT_COUNT] = {
    {"g_UiArchive", nullptr, DestroyAndRenew<BbfArchive, g_UiArchive>},
    {"g_MiscArchive", nullptr, DestroyAndRenew<BbfArchive, g_MiscArchive>},
    {"g_TrackArchive", nullptr, DestroyAndRenew<BbfArchive, g_TrackArchive>},
    {"g_Mixer", [] { mixerStorage.Construct(); }, [] { mixerStorage.Destroy(); }},
    {"g_Renderer", [] { rendererStorage.Construct(); }, [] { rendererStorage.object().Close(); }},
    {"g_GameController", nullptr, nullptr},
    {"g_PlayersList", nullptr, nullptr},
    {"g_SingleRace", nullptr, nullptr},
    {"g_Championship", nullptr, nullptr},
    {"g_TextureManager", [] { textureManagerStorage.Construct(); }, [] { textureManagerStorage.object().ClearNames(); }},
    {"g_GeometryPipeline", nullptr, nullptr},
    {"g_Camera", nullptr, nullptr},
    {"g_CdAudio", [] { cdAudioStorage.Construct(); }, [] { cdAudioStorage.object().Shutdown(); }},
    {"g_TextDatabase", nullptr, [] { g_TextDatabase.Release(); }},
    {"g_App", [] { appStorage.Construct(); }, [] { appStorage.Destroy(); }},
    {"g_NetGame", nullptr, nullptr},
    {"g_Cursor", [] { cursorStorage.Construct(); }, [] { cursorStorage.object().Release(); }},
    {"rider snapshot orientations", nullptr, nullptr},
    // g_IdentityMatrix is a constant.
    {"g_IdentityMatrix", nullptr, nullptr},
    {"HUD widgets", nullptr, nullptr},
};

std::vector<void (*)()>& ExitHandlers() {
  static std::vector<void (*)()> handlers;
  return handlers;
}

}  // namespace

constinit Mixer& g_Mixer = mixerStorage.object();
constinit Renderer& g_Renderer = rendererStorage.object();
constinit TextureManager& g_TextureManager = textureManagerStorage.object();
constinit CdAudio& g_CdAudio = cdAudioStorage.object();
constinit App& g_App = appStorage.object();
constinit Cursor& g_Cursor = cursorStorage.object();

void SetProgramObject(ProgramObjectSlot slot, const ProgramObject& object) { table[slot] = object; }

const ProgramObject& GetProgramObject(ProgramObjectSlot slot) { return table[slot]; }

void ConstructProgramObjects() {
  for (const ProgramObject& object : table) {
    if (object.construct) object.construct();
    if (object.exitHandler) ExitHandlers().push_back(object.exitHandler);
  }
}

void RunProgramExitHandlers() {
  std::vector<void (*)()>& handlers = ExitHandlers();
  while (!handlers.empty()) {
    void (*handler)() = handlers.back();
    handlers.pop_back();
    handler();
  }
}
