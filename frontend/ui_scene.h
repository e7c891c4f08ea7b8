// The front-end scene: every menu, the player and event screens, the
// garage, the save screen, the lobby, the start-up movies, the credits and
// the attract screen. A UI scene is data: its fonts, background picture or
// movie, widget lists, 3D objects, start commands and keyboard focus order
// come from its scene file; the code adds the dialogs by scene number, a
// few timed behaviours and the reactions to confirmed dialogs.
//
// Scene file, little-endian (name = u32 n with the NUL, n bytes, n 1..256),
// read as a plain file: u8 has movie; without a movie a name, the
// background picture; u16 font count and that many font names; eight widget
// lists (buttons, edit texts, UI static texts, static texts, choosers,
// progress bars, sliders, panels), each a u16 count and per widget u8
// (unused), a name, 3 x f32 position, 3 x f32 scale; the typed objects, a
// u16 count and per object u8 kind (3 object, 4 button, 8 UI static text,
// 10 progress bar), a name, 3 x f32 position, 3 x f32 scale; u8 (unused);
// u16 start-action count and per action u16 id, u16 a1, u16 a2 and a name;
// with a movie u8 (unused) and a name, the movie; last a name, the focus
// list.
//
// Background picture, through the archives: u16 width, u16 height, then
// width x height pixels of R, G, B bytes, row after row.
// Focus list (.FLT), through the archives: u16 count, then per entry u8
// kind (4 button, 7 edit text, 13 slider) and u16 index.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/movie/movie_player.h"
#include "engine/scene/scene.h"
#include "ui/button.h"
#include "ui/chooser.h"
#include "ui/dialog.h"
#include "ui/edit_text.h"
#include "ui/panel.h"
#include "ui/progress_bar.h"
#include "ui/slider.h"
#include "ui/static_text.h"
#include "ui/ui_static_text.h"

class SceneObject;

constexpr std::uint32_t UI_SCENE_NEW = 0;
constexpr std::uint32_t UI_SCENE_STARTING = 1;
constexpr std::uint32_t UI_SCENE_RUNNING = 2;
constexpr std::uint32_t UI_SCENE_CLOSING = 3;
// The typed objects a command may replace by index (the garage's bike).
constexpr int UI_SCENE_TYPED_OBJECTS = 16;
// No scene has more widgets of one kind, fonts, objects or start actions; a
// larger count is refused before anything is allocated.
constexpr std::uint16_t UI_SCENE_MAX_LIST = 1024;
constexpr std::uint32_t UI_SCENE_NAME_SIZE = 256;
// Larger pictures are refused before their pixels are allocated.
constexpr std::uint32_t UI_BACKGROUND_MAX_SIDE = 4096;

inline constexpr const char* UI_SCENE_FILE_ERROR = "File error opening ui data.\nPlease reinstall Kelvarro.";
inline constexpr const char* UI_SCENE_KIND_ERROR = "Error: unknown ID in scene file.\nPlease reinstall Kelvarro.";
inline constexpr const char* UI_BACKGROUND_ERROR = "File error opening ui back data.\nPlease reinstall Kelvarro.";
inline constexpr const char* UI_FOCUS_ERROR = "File error opening ui focus data.\nPlease reinstall Kelvarro.";

struct FocusEntry {
  std::uint8_t kind;  // WIDGET_BUTTON, WIDGET_EDIT_TEXT or WIDGET_SLIDER
  std::uint16_t index;
};

// The module-wide values of the UI scenes: only one scene exists at a time.
extern std::int32_t g_UiSceneTimer;
extern std::int32_t g_UiFadeState;
extern std::uint8_t g_UiSceneChangeReady;
extern std::uint32_t g_UiNetPollTimer;
// The countdown of scenes 19 and 22, in milliseconds (30 s at the start).
extern std::int32_t g_UiCountdownMs;

class UiScene : public Scene {
 public:
  UiScene();
  ~UiScene() override;

  bool Load(const char* sceneFile) override;
  bool RestoreSurfaces() override;
  bool RenderScene() override;
  void OnKey(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnMouse(UINT msg, WPARAM wParam, LPARAM lParam) override;

  // The picture at screen size, nearest neighbour, packed RGB 565.
  bool LoadBackground(const char* file);
  // A count of 0 keeps the previous entries but empties the list.
  bool LoadFocusList(const char* file);
  void SetFocusHighlight(bool on);
  // The next entry that is not a slider; past the end the first entry.
  void NextFocus();

  bool IsMovieScene() const { return hasMovie != 0; }
  // The scene fades out and then raises the pending scene change.
  void SetClosing() { state_ = UI_SCENE_CLOSING; }
  bool IsClosing() const { return state_ == UI_SCENE_CLOSING; }
  void SetState(std::uint32_t s) { state_ = s; }

  // Replaces typed object `type` (deleting the old one); out of range the
  // object is deleted and nothing is kept.
  void SetTypedObject(int type, std::unique_ptr<SceneObject> object);
  SceneObject* TypedObject(int type) const;
  std::size_t TypedObjectCount() const { return objects.size(); }
  // Replaces the whole object list.
  void SetObjects(std::vector<std::unique_ptr<SceneObject>> list) { objects = std::move(list); }

  // The entry the focus is on, or null with an empty list.
  const FocusEntry* FocusedEntry() const {
    return focusCount > 0 && focusIndex >= 0 && focusIndex < focusCount ? &focusList[static_cast<std::size_t>(focusIndex)]
                                                                         : nullptr;
  }
  // The save screen's extra entry: appended once, removed only when there.
  void AppendFocusEntry(FocusEntry e);
  void RemoveAppendedFocusEntry();

  // Widget lists in file order.
  WidgetList<Button> buttons;
  WidgetList<EditText> editTexts;
  WidgetList<UiStaticText> uiTexts;
  WidgetList<StaticText> staticTexts;
  WidgetList<Chooser> choosers;
  WidgetList<ProgressBar> progressBars;
  WidgetList<Slider> sliders;
  WidgetList<Panel> panels;
  std::vector<ButtonAction> startActions;
  std::vector<FocusEntry> focusList;
  std::uint16_t focusCount = 0;
  std::int16_t focusIndex = 0;
  std::uint8_t inputReady = 0;
  std::uint8_t hasMovie = 0;
  std::uint8_t exitSceneSet = 0;
  std::uint8_t nameEdited = 0;
  std::uint8_t focusHidden = 0;
  std::int32_t sceneNumber = 0;
  std::int32_t exitScene = 0;
  MoviePlayer movie;
  char backgroundName[UI_SCENE_NAME_SIZE] = {};
  StaticText infoText;
  std::vector<std::uint16_t> background;
  int backgroundWidth = 0;
  int backgroundHeight = 0;
  std::uint32_t previousTime = 0;

 private:
  bool ReadFile(class DataReader* r);
  bool BuildDialogs();
  void SetUpInfoText();
  // Frame steps.
  void StartScene();
  void UpdateWidgets(unsigned elapsed);
  void ShowNetworkNotices();
  void ReactToDialogs();
  // A network game's pump and the lobby's timed steps.
  void UpdateNetwork(unsigned elapsed);
  bool DrawScene();
  void EndMovie();
  bool AnyDialogShown() const;
  bool AnySliderDragging() const;
  void HighlightEntry(std::int16_t index);
  bool ToggleHidesHighlight(const FocusEntry& e) const;

  // The file's typed objects; index 7 may be replaced by the garage.
  std::vector<std::unique_ptr<SceneObject>> objects;
  // Whether the focus list holds the save screen's appended entry.
  std::uint8_t focusAppended_ = 0;
};

// Dialog i of the current scene, or null.
Dialog* SceneDialog(std::uint16_t i);
// Shows dialog i: mode 1, its focus highlighted, taking input.
void OpenDialog(std::uint16_t i);
// The index of file DIALOGnn.DLG among the dialogs of scene `scene`, or -1.
int SceneDialogOf(std::int32_t scene, std::uint8_t file);
