#include "frontend/ui_scene.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/disk_file.h"
#include "engine/display.h"
#include "engine/object3d.h"
#include "engine/renderer.h"
#include "engine/scene_object.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "engine/texture_manager.h"
#include "frontend/game_controller.h"
#include "ui/font.h"

std::int32_t g_UiSceneTimer = 0;
std::int32_t g_UiFadeState = 0;
std::uint8_t g_UiSceneChangeReady = 0;
std::uint32_t g_UiNetPollTimer = 0;
std::int32_t g_UiCountdownMs = 30000;

namespace {

constexpr ColourKey kBlackKey = {0, 0, 0};
constexpr ColourKey kMagentaKey = {250, 0, 200};
// A widget entry holds at least its byte, a one-byte name and six floats.
constexpr std::uint64_t kMinWidgetEntry = 1 + 5 + 24;
// A start action: three words and a one-byte name.
constexpr std::uint64_t kMinAction = 6 + 5;

void Report(const char* text) { ShowMessageBox(text, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

bool ReadName(DataReader* r, char* out) {
  if (r->String(out, UI_SCENE_NAME_SIZE)) return true;
  Report(UI_SCENE_FILE_ERROR);
  return false;
}

bool ReadPlacement(DataReader* r, float v[6]) {
  for (int i = 0; i < 6; ++i) {
    if (!r->F32(&v[i])) {
      Report(UI_SCENE_FILE_ERROR);
      return false;
    }
  }
  return true;
}

bool ReadCount(DataReader* r, std::uint16_t* count, std::uint64_t minEntry) {
  if (r->U16(count) && *count <= UI_SCENE_MAX_LIST && *count * minEntry <= r->Remaining()) return true;
  Report(UI_SCENE_FILE_ERROR);
  return false;
}

template <typename T>
bool ReadList(DataReader* r, WidgetList<T>* list) {
  std::uint16_t count = 0;
  if (!ReadCount(r, &count, kMinWidgetEntry)) return false;
  list->items.reset();
  list->count = 0;
  if (count == 0) return true;
  list->items.reset(new (std::nothrow) T[count]);
  if (!list->items) return false;
  list->count = count;
  for (std::uint16_t i = 0; i < count; ++i) {
    std::uint8_t unused = 0;
    char name[UI_SCENE_NAME_SIZE];
    float v[6];
    if (!r->U8(&unused)) {
      Report(UI_SCENE_FILE_ERROR);
      return false;
    }
    if (!ReadName(r, name)) return false;
    T& widget = (*list)[i];
    if (!widget.Load(name)) return false;
    if (!ReadPlacement(r, v)) return false;
    widget.SetPosition(v[0], v[1], v[2]);
    widget.SetScale(v[3], v[4], v[5]);
  }
  return true;
}

void SetTextAgain(StaticText* t) {
  char copy[256];
  std::strncpy(copy, t->String(), sizeof copy - 1);
  copy[sizeof copy - 1] = '\0';
  t->SetText(copy);
}

void FreeDialogArray(Dialog* dialogs) { delete[] dialogs; }

void FreeFonts() {
  for (std::uint16_t i = 0; i < g_FontCount; ++i) g_Fonts[i].FreeTexture();
  delete[] g_Fonts;
  g_Fonts = nullptr;
  g_FontCount = 0;
}

struct DialogPlan {
  std::uint8_t file;
  std::uint8_t confirm;
  std::uint8_t cancel;
};

// The dialogs each scene's code expects, in index order.
std::vector<DialogPlan> DialogsOfScene(std::int32_t scene) {
  switch (scene) {
    case 0: return {{9, 1, 1}};
    case 1:
    case 16: return {{9, 1, 1}, {6, 1, 0}, {4, 1, 0}};
    case 2: return {{5, 1, 0}, {6, 1, 0}, {4, 1, 0}, {7, 1, 1}, {8, 1, 1}};
    case 3:
    case 18:
    case 23:
    case 24: return {{8, 1, 1}, {6, 1, 0}, {4, 1, 0}};
    case 4:
    case 21: return {{6, 1, 0}, {4, 1, 0}};
    case 5:
      return {{6, 1, 0}, {4, 1, 0}, {13, 1, 0}, {14, 1, 0}, {15, 1, 0}, {16, 1, 0}, {7, 1, 1}, {8, 1, 1}};
    case 7: return {{13, 1, 0}};
    case 8: return {{12, 1, 1}, {14, 1, 0}};
    case 9:
    case 11:
    case 12:
    case 13:
    case 26: return {{7, 1, 1}, {8, 1, 1}, {6, 1, 0}, {4, 1, 0}};
    case 10: return {{7, 1, 1}, {8, 1, 1}, {5, 1, 0}, {6, 1, 0}, {4, 1, 0}};
    case 14: return {{3, 1, 0}};
    case 15: return {{1, 1, 0}, {2, 1, 0}, {3, 1, 0}};
    case 19:
    case 22: return {{7, 1, 1}, {8, 1, 1}};
    default: return {};
  }
}

}  // namespace

Dialog* SceneDialog(std::uint16_t i) { return g_Dialogs && i < g_DialogCount ? &g_Dialogs[i] : nullptr; }

int SceneDialogOf(std::int32_t scene, std::uint8_t file) {
  const std::vector<DialogPlan> plan = DialogsOfScene(scene);
  for (std::size_t i = 0; i < plan.size(); ++i) {
    if (plan[i].file == file) return static_cast<int>(i);
  }
  return -1;
}

void OpenDialog(std::uint16_t i) {
  if (Dialog* d = SceneDialog(i)) {
    d->ResetFocus(1);
    d->active = 1;
  }
}

UiScene::UiScene() {
  acceptsKeys_ = 1;
  acceptsMouse_ = 1;
  g_UiSceneChangeReady = 0;
}

UiScene::~UiScene() {
  FreeFonts();
  // The board keeps the last frame: the Glide build leaves a black screen
  // behind for whatever loads next.
  if (g_RenderBuild == RENDER_BUILD_GLIDE) {
    g_Renderer.clearRed = g_Renderer.clearGreen = g_Renderer.clearBlue = 0.0f;
    g_Renderer.ClearRect(0, 0, static_cast<int>(g_ScreenWidth) - 1, static_cast<int>(g_ScreenHeight) - 1, true);
  }
  movie.Close();
}

bool UiScene::Load(const char* sceneFile) {
  DiskFile file;
  if (!sceneFile || !file.Open(sceneFile, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) {
    Report(UI_SCENE_FILE_ERROR);
    return false;
  }
  DataReader r(&file);
  const bool ok = ReadFile(&r);
  file.Close();
  g_ColourKey = kBlackKey;
  if (!ok) return false;
  if (!BuildDialogs()) return false;
  SetUpInfoText();
  return true;
}

bool UiScene::ReadFile(DataReader* r) {
  // The scene number is known to the loader already: the dialogs, the
  // panels' colour key and the focus list of a few scenes depend on it.
  sceneNumber = static_cast<std::int32_t>(g_SceneNumber);
  if (!r->U8(&hasMovie)) {
    Report(UI_SCENE_FILE_ERROR);
    return false;
  }
  if (!hasMovie) {
    if (!ReadName(r, backgroundName)) return false;
    if (g_RenderBuild == RENDER_BUILD_GLIDE) g_TextureManager.Repack();
    if (!LoadBackground(backgroundName)) return false;
  }

  std::uint16_t fontCount = 0;
  if (!ReadCount(r, &fontCount, 5)) return false;
  FreeFonts();
  g_ColourKey = kBlackKey;
  if (fontCount > 0) {
    g_Fonts = new (std::nothrow) Font[fontCount];
    if (!g_Fonts) return false;
    g_FontCount = fontCount;
    for (std::uint16_t i = 0; i < fontCount; ++i) {
      char name[UI_SCENE_NAME_SIZE];
      if (!ReadName(r, name)) return false;
      if (!g_Fonts[i].Load(name)) return false;
    }
  }

  g_ColourKey = kMagentaKey;
  if (!ReadList(r, &buttons) || !ReadList(r, &editTexts) || !ReadList(r, &uiTexts) || !ReadList(r, &staticTexts)) {
    return false;
  }
  g_ColourKey = kBlackKey;
  if (!ReadList(r, &choosers)) return false;
  g_ColourKey = kMagentaKey;
  if (!ReadList(r, &progressBars) || !ReadList(r, &sliders)) return false;
  if (sceneNumber == 28) g_ColourKey = kBlackKey;
  if (!ReadList(r, &panels)) return false;
  for (std::uint16_t i = 0; i < buttons.count; ++i) {
    if (!buttons[i].BuildQuad()) return false;
  }
  for (std::uint16_t i = 0; i < staticTexts.count; ++i) SetTextAgain(&staticTexts[i]);
  for (std::uint16_t i = 0; i < editTexts.count; ++i) SetTextAgain(&editTexts[i]);

  std::uint16_t objectCount = 0;
  if (!ReadCount(r, &objectCount, kMinWidgetEntry)) return false;
  objects.clear();
  for (std::uint16_t i = 0; i < objectCount; ++i) {
    std::uint8_t kind = 0;
    char name[UI_SCENE_NAME_SIZE];
    float v[6];
    if (!r->U8(&kind)) {
      Report(UI_SCENE_FILE_ERROR);
      return false;
    }
    if (!ReadName(r, name)) return false;
    std::unique_ptr<SceneObject> object;
    switch (kind) {
      case WIDGET_OBJECT3D: {
        std::unique_ptr<Object3D> o(new (std::nothrow) Object3D());
        if (!o) return false;
        if (!o->LoadObject(name, false)) return false;
        if (o->additive) {
          for (LitMesh& mesh : o->meshes) {
            for (VertexAttribute& a : mesh.attributes) a.colour = 0xFF7F7F7Fu;
          }
        }
        object = std::move(o);
        break;
      }
      case WIDGET_BUTTON: object.reset(new (std::nothrow) Button()); break;
      case WIDGET_UI_STATIC_TEXT: object.reset(new (std::nothrow) UiStaticText()); break;
      case WIDGET_PROGRESS_BAR: object.reset(new (std::nothrow) ProgressBar()); break;
      default: Report(UI_SCENE_KIND_ERROR); return false;
    }
    if (!object) return false;
    if (kind != WIDGET_OBJECT3D && !object->Load(name)) return false;
    if (!ReadPlacement(r, v)) return false;
    object->SetPosition(v[0], v[1], v[2]);
    object->SetScale(v[3], v[4], v[5]);
    if (kind == WIDGET_BUTTON && !static_cast<Button*>(object.get())->BuildQuad()) return false;
    objects.push_back(std::move(object));
  }

  std::uint8_t unused = 0;
  std::uint16_t actionCount = 0;
  if (!r->U8(&unused)) {
    Report(UI_SCENE_FILE_ERROR);
    return false;
  }
  if (!ReadCount(r, &actionCount, kMinAction)) return false;
  startActions.assign(actionCount, ButtonAction{});
  for (ButtonAction& a : startActions) {
    if (!r->U16(&a.id) || !r->U16(&a.a1) || !r->U16(&a.a2)) {
      Report(UI_SCENE_FILE_ERROR);
      return false;
    }
    if (!r->String(a.text, BUTTON_ACTION_TEXT_SIZE)) {
      Report(UI_SCENE_FILE_ERROR);
      return false;
    }
  }

  if (hasMovie) {
    char name[UI_SCENE_NAME_SIZE];
    if (!r->U8(&unused)) {
      Report(UI_SCENE_FILE_ERROR);
      return false;
    }
    if (!ReadName(r, name)) return false;
    if (!movie.Open(name)) return false;
  }

  char focusName[UI_SCENE_NAME_SIZE];
  if (!ReadName(r, focusName)) return false;
  if (!LoadFocusList(focusName)) return false;
  if (sceneNumber == 4 || sceneNumber == 16 || sceneNumber == 21) {
    g_GameController.Command(CMD_LOAD_FOCUS_LIST, 0, 0, "NULL");
  }
  return true;
}

bool UiScene::LoadBackground(const char* file) {
  ArchiveFile f;
  if (!file || !OpenDataFile(file, &f)) {
    Report(UI_BACKGROUND_ERROR);
    return false;
  }
  DataReader r(&f);
  std::uint16_t w = 0;
  std::uint16_t h = 0;
  // A picture without pixels or shorter than its size says is refused in
  // both builds: scaling would read outside it.
  const bool sized = r.U16(&w) && r.U16(&h) && w > 0 && h > 0 && w <= UI_BACKGROUND_MAX_SIDE &&
                     h <= UI_BACKGROUND_MAX_SIDE && std::uint64_t{w} * h * 3 <= r.Remaining();
  if (!sized) {
    f.Close();
    Report(UI_BACKGROUND_ERROR);
    return false;
  }
  std::vector<std::uint8_t> rgb;
  try {
    rgb.resize(std::size_t{w} * h * 3);
  } catch (const std::bad_alloc&) {
    f.Close();
    Report(UI_BACKGROUND_ERROR);
    return false;
  }
  const bool read = r.Bytes(rgb.data(), rgb.size());
  f.Close();
  if (!read) {
    Report(UI_BACKGROUND_ERROR);
    return false;
  }
  const int sw = static_cast<int>(g_ScreenWidth);
  const int sh = static_cast<int>(g_ScreenHeight);
  background.assign(static_cast<std::size_t>(sw) * static_cast<std::size_t>(sh), 0);
  backgroundWidth = sw;
  backgroundHeight = sh;
  for (int row = 0; row < sh; ++row) {
    const int pr = sh > 1 ? row * (h - 1) / (sh - 1) : 0;
    for (int col = 0; col < sw; ++col) {
      const int pc = sw > 1 ? col * (w - 1) / (sw - 1) : 0;
      const std::uint8_t* p = &rgb[(static_cast<std::size_t>(pr) * w + static_cast<std::size_t>(pc)) * 3];
      background[static_cast<std::size_t>(row) * static_cast<std::size_t>(sw) + static_cast<std::size_t>(col)] =
          static_cast<std::uint16_t>((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | (p[2] >> 3));
    }
  }
  return true;
}

bool UiScene::LoadFocusList(const char* file) {
  ArchiveFile f;
  if (!file || !OpenDataFile(file, &f)) {
    Report(UI_FOCUS_ERROR);
    return false;
  }
  DataReader r(&f);
  std::uint16_t count = 0;
  if (!r.U16(&count) || count * std::uint64_t{3} > r.Remaining()) {
    f.Close();
    Report(UI_FOCUS_ERROR);
    return false;
  }
  if (count == 0) {
    f.Close();
    focusCount = 0;
    focusAppended_ = 0;
    return true;
  }
  std::vector<FocusEntry> list(count);
  for (FocusEntry& e : list) {
    if (!r.U8(&e.kind) || !r.U16(&e.index)) {
      f.Close();
      Report(UI_FOCUS_ERROR);
      return false;
    }
  }
  f.Close();
  focusList = std::move(list);
  focusCount = count;
  focusAppended_ = 0;
  if (focusIndex >= focusCount) focusIndex = 0;
  return true;
}

void UiScene::AppendFocusEntry(FocusEntry e) {
  if (focusAppended_) {
    focusList[focusCount - 1u] = e;
  } else {
    focusList.resize(focusCount);
    focusList.push_back(e);
    ++focusCount;
    focusAppended_ = 1;
  }
  focusIndex = static_cast<std::int16_t>(focusCount - 1);
}

void UiScene::RemoveAppendedFocusEntry() {
  if (!focusAppended_) return;
  --focusCount;
  focusList.resize(focusCount);
  focusAppended_ = 0;
  if (focusIndex >= focusCount) focusIndex = 0;
}

void UiScene::SetFocusHighlight(bool on) {
  const FocusEntry* e = FocusedEntry();
  if (!e) return;
  const std::uint8_t v = on ? 1 : 0;
  switch (e->kind) {
    case WIDGET_BUTTON:
      if (e->index < buttons.count) buttons[e->index].SetHighlight(v, 0);
      break;
    case WIDGET_EDIT_TEXT:
      if (e->index < editTexts.count) editTexts[e->index].SetFocus(v);
      break;
    case WIDGET_SLIDER:
      if (e->index < sliders.count) sliders[e->index].track.SetHighlight(v, 0);
      break;
    default: break;
  }
}

bool UiScene::ToggleHidesHighlight(const FocusEntry& e) const {
  return (sceneNumber == 4 || sceneNumber == 21) && e.kind == WIDGET_BUTTON && e.index < buttons.count &&
         buttons.items[e.index].toggleState;
}

void UiScene::NextFocus() {
  if (focusCount == 0) return;
  SetFocusHighlight(false);
  focusIndex = static_cast<std::int16_t>(focusIndex + 1 >= focusCount ? 0 : focusIndex + 1);
  while (focusIndex < focusCount && focusList[static_cast<std::size_t>(focusIndex)].kind == WIDGET_SLIDER) ++focusIndex;
  if (focusIndex >= focusCount) focusIndex = 0;
  if (!ToggleHidesHighlight(focusList[static_cast<std::size_t>(focusIndex)])) SetFocusHighlight(true);
}

bool UiScene::BuildDialogs() {
  const std::vector<DialogPlan> plan = DialogsOfScene(sceneNumber);
  if (plan.empty()) return true;
  Dialog* dialogs = new (std::nothrow) Dialog[plan.size()];
  if (!dialogs) return false;
  g_Dialogs = dialogs;
  g_DialogCount = static_cast<std::uint16_t>(plan.size());
  g_FreeDialogs = FreeDialogArray;
  for (std::uint16_t i = 0; i < g_DialogCount; ++i) {
    char path[32];
    std::snprintf(path, sizeof path, "DATA\\UI\\DIALOG%02d.DLG", plan[i].file);
    if (!dialogs[i].Load(path)) return false;
    if (plan[i].confirm) dialogs[i].SetButtonAction(0, 0, i, 2, "NULL");
    if (plan[i].cancel) dialogs[i].SetButtonAction(1, 0, i, 0, "NULL");
  }
  return true;
}

void UiScene::SetUpInfoText() {
  infoText.SetAnchors(0, 0);
  infoText.SetCentring(0, 0);
  infoText.SetPosition(10.0f, 10.0f, 0.0f);
  infoText.SetColour(225.0f / 255.0f, 225.0f / 255.0f, 225.0f / 255.0f, 0, 0);
  infoText.SetText(g_TextDatabase.Text(39));
}

bool UiScene::RestoreSurfaces() { return Scene::RestoreSurfaces(); }

void UiScene::SetTypedObject(int type, std::unique_ptr<SceneObject> object) {
  if (type < 0 || type >= UI_SCENE_TYPED_OBJECTS) return;
  if (static_cast<std::size_t>(type) >= objects.size()) objects.resize(static_cast<std::size_t>(type) + 1);
  objects[static_cast<std::size_t>(type)] = std::move(object);
}

SceneObject* UiScene::TypedObject(int type) const {
  return type >= 0 && static_cast<std::size_t>(type) < objects.size() ? objects[static_cast<std::size_t>(type)].get()
                                                                       : nullptr;
}
