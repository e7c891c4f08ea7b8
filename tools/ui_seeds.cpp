// Seeds of the UI fuzz target: the first byte picks the reader (0 font,
// 1 static text, 2 UI static text, 3 edit text, 4 panel, 5 backdrop), the
// rest is the file.
#include "tools/seeds.h"
#include "tools/ui_files.h"

namespace kelvdata {

namespace {

Bytes Tagged(std::uint8_t reader, const Bytes& file) {
  Bytes b{reader};
  b.insert(b.end(), file.begin(), file.end());
  return b;
}

}  // namespace

bool WriteUiSeeds(const std::string& dir) {
  FontFile font;
  for (int c = 32; c < 127; ++c) {
    const float x = static_cast<float>((c - 32) % 16) / 16.0f;
    const float y = static_cast<float>((c - 32) / 16) / 16.0f;
    font.glyphs[c] = {x, y, x + 1.0f / 16.0f, y + 1.0f / 16.0f};
  }
  font.texture = "DATA\\UI\\FUZZ.TEX";
  FontFile longName = font;
  longName.texture.text = std::string(300, 'A');
  FontFile unterminated = font;
  unterminated.texture.terminated = false;

  StaticTextBody label;
  label.hasText = 1;
  label.textId = 1;
  label.centreHorizontally = 1;
  label.position[0] = 320.0f;
  label.position[1] = 240.0f;
  StaticTextBody sounds = label;
  sounds.sounds = {{0, "SOUNDS\\FUZZ.SFX"}, {3, "SOUNDS\\FUZZ.SFX"}, {1, "SOUNDS\\NONE.SFX"}};
  StaticTextBody manySounds = label;
  manySounds.soundCount = 255;
  manySounds.sounds = {{254, "SOUNDS\\FUZZ.SFX"}};
  StaticTextBody badFont = label;
  badFont.font = 9;

  UiStaticTextFile menu;
  menu.hasText = 1;
  menu.textId = 2;
  UiStaticTextFile animated = menu;
  animated.animated = 1;
  animated.animation = "DATA\\UI\\FUZZ.ANM";

  PanelFile panel;
  panel.texture = "DATA\\UI\\FUZZ.TEX";
  panel.blend = 1;
  PanelFile plate = panel;
  plate.texture = "DATA\\TRACK\\_ostxt4.tex";

  BackdropFile backdrop;
  backdrop.texture = "DATA\\UI\\FUZZ.TEX";
  BackdropFile flat = backdrop;
  flat.lowHeight = flat.highHeight = 0.0f;

  return WriteHostFiles(dir, {
                                 {"font.fnt", Tagged(0, BuildFnt(font))},
                                 {"long_name.fnt", Tagged(0, BuildFnt(longName))},
                                 {"unterminated.fnt", Tagged(0, BuildFnt(unterminated))},
                                 {"label.stx", Tagged(1, BuildStaticTextBody(label))},
                                 {"sounds.stx", Tagged(1, BuildStaticTextBody(sounds))},
                                 {"many_sounds.stx", Tagged(1, BuildStaticTextBody(manySounds))},
                                 {"bad_font.stx", Tagged(1, BuildStaticTextBody(badFont))},
                                 {"menu.uis", Tagged(2, BuildUiStaticText(menu))},
                                 {"animated.uis", Tagged(2, BuildUiStaticText(animated))},
                                 {"name.edt", Tagged(3, BuildEditText(300, label))},
                                 {"panel.osp", Tagged(4, BuildOsp(panel))},
                                 {"plate.osp", Tagged(4, BuildOsp(plate))},
                                 {"horizon.bkd", Tagged(5, BuildBackdrop(backdrop))},
                                 {"flat.bkd", Tagged(5, BuildBackdrop(flat))},
                             });
}

}  // namespace kelvdata
