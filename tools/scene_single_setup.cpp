// The bike set-up's second page (scene 25): the suspension and the chassis.
// The set-up command fills sliders 0 to 17 from the set-up editor in the
// order of its table, and each slider stores its own value index when it
// is dragged; the page's OK keeps the second half of the editor and goes
// back to the first page, whose exit leads on.
#include <string>

#include "tools/flow_scenes.h"
#include "tools/scene_build.h"
#include "tools/scene_champ_widgets.h"
#include "tools/scene_samples.h"
#include "tools/scene_single.h"
#include "tools/ui_files.h"

namespace kelvdata {

namespace {

constexpr std::uint16_t CMD_GO_TO_SCENE = 0;
constexpr std::uint16_t CMD_SAVE_OPTIONS = 41;
constexpr std::uint16_t CMD_SHOW_SETUP = 47;
constexpr std::uint16_t SETTING_SETUP_VALUE = 48;
constexpr int SETUP_FIRST_PAGE = 17;

StaticTextBody Text(std::uint32_t textId, float x, float y, std::uint16_t font, const float* colour = nullptr) {
  return TextAt(textId, x, y, font, false, colour);
}

ButtonFile Part(const char* texture, float x, float y, float w, float h) {
  ButtonFile b;
  b.textures[0] = b.textures[1] = b.textures[2] = texture;
  b.position[0] = x;
  b.position[1] = y;
  b.size[0] = w;
  b.size[1] = h;
  return b;
}

// Slider i of the page: the value index it stores (the set-up command's
// a1) and its number of steps, as the set-up command scales the value for
// it (0..4, 0..8, 0..10 or 0..20).
struct Row {
  std::uint16_t valueIndex;
  int steps;
};
constexpr Row kRows[SETUP2_SLIDERS] = {{10, 4},  {11, 4},  {14, 20}, {15, 20}, {18, 10}, {19, 8},
                                       {24, 20}, {25, 20}, {12, 20}, {13, 20}, {16, 4},  {17, 4},
                                       {20, 20}, {21, 20}, {22, 20}, {23, 20}, {26, 20}, {27, 20}};

}  // namespace

void SetupSecondPage(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes) {
  SceneFile s = MenuScene("SGLBACK.PIC", "25.FLT");
  StaticTextBody title = Text(TEXT_SETUP2_TITLE, 320.0f, 16.0f, 1, ORANGE);
  title.centreHorizontally = 1;
  ui->push_back({"SETUP2T.STX", BuildStaticTextBody(title)});
  s.lists[SCENE_STATIC_TEXTS] = {Widget("SETUP2T.STX", 320.0f, 16.0f)};

  // Two columns of nine, the caption left of the track and the value
  // right of it.
  std::vector<FocusFileEntry> focus;
  for (std::uint16_t i = 0; i < SETUP2_SLIDERS; ++i) {
    const float x = i < 9 ? 16.0f : 330.0f;
    const float y = 66.0f + 34.0f * static_cast<float>(i % 9);
    const float trackX = x + 166.0f;
    SliderFile slider;
    for (int v = 0; v <= kRows[i].steps; ++v) slider.items.push_back(CHAMP_TEXT_NUMBER + static_cast<std::uint32_t>(v));
    slider.box[0] = trackX;
    slider.box[1] = y;
    slider.box[2] = trackX + 90.0f;
    slider.box[3] = y + 20.0f;
    slider.track = Part("DATA\\UI\\_TRACK.TEX", trackX, y + 6.0f, 90.0f, 8.0f);
    slider.thumb = Part("DATA\\UI\\_THUMB.TEX", trackX - 6.0f, y, 12.0f, 20.0f);
    slider.caption = Text(TEXT_SETUP2_CAPTIONS + i, x, y + 3.0f, 2);
    slider.valueLabel = Text(CHAMP_TEXT_NUMBER, trackX + 100.0f, y + 2.0f, 0);
    slider.settingId = SETTING_SETUP_VALUE;
    slider.variant = kRows[i].valueIndex;
    const std::string name = "SETUP2S" + std::to_string(i) + ".SLD";
    ui->push_back({name, BuildSlider(slider)});
    s.lists[SCENE_SLIDERS].push_back(Widget(name, trackX, y + 6.0f));
    focus.push_back({13, i});
  }

  // OK keeps the page's values in the editor; back leaves them. Both return
  // to the first page.
  StaticTextBody caption = Text(TEXT_OK, 525.0f, 412.0f, 0);
  caption.centreHorizontally = 1;
  ButtonFile ok = Part("DATA\\UI\\_BTNN.TEX", 430.0f, 400.0f, 190.0f, 40.0f);
  ok.textures[1] = "DATA\\UI\\_BTNH.TEX";
  ok.textures[2] = "DATA\\UI\\_BTNP.TEX";
  ok.hasCaption = 1;
  ok.caption = caption;
  ok.sounds = {{0, "SOUNDS\\CLICK.SFX"}, {1, "SOUNDS\\CLICK.SFX"}};
  ok.actions = {{CMD_SAVE_OPTIONS, 2, 0, "NULL"}, {CMD_GO_TO_SCENE, SETUP_FIRST_PAGE, 0, "NULL"}};
  ui->push_back({"SETUP2OK.BTN", BuildButton(ok)});
  ButtonFile back = ok;
  back.position[0] = 220.0f;
  back.size[0] = 200.0f;
  back.caption = Text(TEXT_BACK, 320.0f, 412.0f, 0);
  back.caption.centreHorizontally = 1;
  back.actions = {{CMD_GO_TO_SCENE, SETUP_FIRST_PAGE, 0, "NULL"}};
  ui->push_back({"SETUP2BK.BTN", BuildButton(back)});
  s.lists[SCENE_BUTTONS] = {Widget("SETUP2OK.BTN", 430.0f, 400.0f, 190.0f, 40.0f),
                            Widget("SETUP2BK.BTN", 220.0f, 400.0f, 200.0f, 40.0f)};
  focus.push_back({4, 0});
  focus.push_back({4, 1});
  ui->push_back({"25.FLT", BuildFlt(focus)});
  s.actions = {{CMD_SHOW_SETUP, 1, 0, "NULL"}};
  (*scenes)[SETUP2_SCENE] = s;
}

}  // namespace kelvdata
