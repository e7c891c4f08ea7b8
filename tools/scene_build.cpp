#include "tools/scene_build.h"

namespace kelvdata {

std::vector<UiString> MenuFonts() { return {"DATA\\UI\\FONT1.FNT", "DATA\\UI\\FONT2.FNT", "DATA\\UI\\FONT3.FNT"}; }

std::string UiPath(const std::string& name) { return "DATA\\UI\\" + name; }

SceneFile MenuScene(const std::string& background, const std::string& focusList) {
  SceneFile s;
  s.background = UiPath(background);
  s.fonts = MenuFonts();
  s.focusList = UiPath(focusList);
  return s;
}

SceneWidgetEntry WidgetAt(const std::string& path, float x, float y, float w, float h) {
  SceneWidgetEntry e;
  e.path = path;
  e.position[0] = x;
  e.position[1] = y;
  e.scale[0] = w;
  e.scale[1] = h;
  return e;
}

SceneWidgetEntry Widget(const std::string& name, float x, float y, float w, float h) {
  return WidgetAt(UiPath(name), x, y, w, h);
}

DialogEntry DialogEntryAt(const std::string& path, float x, float y, float w, float h) {
  DialogEntry e;
  e.path = path;
  e.position[0] = x;
  e.position[1] = y;
  e.size[0] = w;
  e.size[1] = h;
  return e;
}

StaticTextBody TextAt(std::uint32_t textId, float x, float y, std::uint16_t font, bool centred, const float* colour) {
  StaticTextBody b;
  b.hasText = 1;
  b.textId = textId;
  b.font = font;
  b.centreHorizontally = centred ? 1 : 0;
  b.position[0] = x;
  b.position[1] = y;
  if (colour) {
    for (int i = 0; i < 3; ++i) b.colour[i] = colour[i];
  }
  return b;
}

ButtonFile ButtonLook(float x, float y, float w, float h, std::vector<ButtonActionEntry> actions) {
  ButtonFile b;
  b.textures[0] = "DATA\\UI\\_BTNN.TEX";
  b.textures[1] = "DATA\\UI\\_BTNH.TEX";
  b.textures[2] = "DATA\\UI\\_BTNP.TEX";
  b.position[0] = x;
  b.position[1] = y;
  b.size[0] = w;
  b.size[1] = h;
  b.sounds = {{0, "SOUNDS\\CLICK.SFX"}, {1, "SOUNDS\\CLICK.SFX"}};
  b.actions = std::move(actions);
  return b;
}

ButtonFile CaptionedButton(std::uint32_t textId, float x, float y, float w, float h,
                           std::vector<ButtonActionEntry> actions, std::uint16_t font) {
  ButtonFile b = ButtonLook(x, y, w, h, std::move(actions));
  b.hasCaption = 1;
  b.caption = TextAt(textId, x + w / 2.0f, y + h / 2.0f - (font == 2 ? 6.0f : 8.0f), font, true);
  return b;
}

}  // namespace kelvdata
