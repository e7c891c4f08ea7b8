#include "tools/ui_samples.h"

#include <cmath>

#include "tools/tex.h"

namespace kelvdata {

const std::vector<SampleFont>& SampleFonts() {
  static const std::vector<SampleFont> fonts = {{"FONT1", "_FONTS1.TEX", "DejaVuSans", 16},
                                                {"FONT2", "_FONTS2.TEX", "DejaVuSans-Bold", 24},
                                                {"FONT3", "_FONTS3.TEX", "DejaVuSans", 12},
                                                {"FONT4", "_FONTS4.TEX", "DejaVuSansMono", 16},
                                                {"FONT7", "_FONTS7.TEX", "DejaVuSans-Bold", 16}};
  return fonts;
}

Bytes FontFileFor(const RasterFont& raster, const std::string& texturePath) {
  FontFile f;
  for (int c = 0; c < 256; ++c) f.glyphs[c] = raster.glyphs[c];
  f.texture = texturePath;
  return BuildFnt(f);
}

Bytes HorizonTex() {
  return BuildTex(256, 256, [](int x, int y) {
    const double hill = 150.0 + 30.0 * std::sin(x * 3.14159265358979 / 64.0) + 12.0 * std::sin(x * 3.14159265358979 / 16.0);
    if (y >= 230) return Rgb{120, 95, 60};
    if (y >= hill) return Rgb{50, static_cast<std::uint8_t>(110 + (y - 150) / 2), 45};
    return Rgb{110, 160, 235};
  });
}

bool DataSetUiMembers(std::vector<BbfMember>* ui, std::vector<BbfMember>* track, std::string* error) {
  for (const SampleFont& font : SampleFonts()) {
    RasterFont raster;
    if (!RasteriseFont(font.face, font.pixels, &raster, error)) return false;
    const std::string texture = std::string("DATA\\UI\\") + font.texture;
    ui->push_back({std::string(font.file) + ".FNT", FontFileFor(raster, texture)});
    // The Russian build's fonts: the same glyphs under their own names.
    ui->push_back({std::string(font.file) + "C.FNT", FontFileFor(raster, texture)});
    ui->push_back({font.texture, std::move(raster.tex)});
  }

  PanelFile background;
  background.texture = "DATA\\UI\\DLGBKG.TEX";
  background.size[0] = 640.0f;
  background.size[1] = 480.0f;
  ui->push_back({"MENUBKG.OSP", BuildOsp(background)});
  PanelFile flags;
  flags.texture = "DATA\\UI\\_FLAGS.TEX";
  flags.blend = 1;
  flags.position[0] = 16.0f;
  flags.position[1] = 16.0f;
  flags.size[0] = 128.0f;
  flags.size[1] = 64.0f;
  flags.xFromLeft = 0;
  ui->push_back({"FLAGS.OSP", BuildOsp(flags)});

  StaticTextBody title;
  title.hasText = 1;
  title.textId = 0;
  title.font = 1;
  title.centreHorizontally = 1;
  title.position[0] = 320.0f;
  title.position[1] = 40.0f;
  title.colour[0] = 1.0f;
  title.colour[1] = 0.8f;
  title.colour[2] = 0.2f;
  ui->push_back({"TITLE.STX", BuildStaticTextBody(title)});
  StaticTextBody name = title;
  name.hasText = 0;
  name.font = 0;
  name.centreHorizontally = 0;
  name.position[0] = 200.0f;
  name.position[1] = 200.0f;
  ui->push_back({"NAME.EDT", BuildEditText(12, name)});

  PanelFile plate;
  plate.texture = "DATA\\TRACK\\_OSTXT4.TEX";
  plate.blend = 1;
  plate.yFromTop = 0;
  plate.position[0] = 8.0f;
  plate.position[1] = 8.0f;
  plate.size[0] = 128.0f;
  plate.size[1] = 32.0f;
  track->push_back({"PLATE.OSP", BuildOsp(plate)});
  track->push_back({"_OSTXT4.TEX", BuildTex(64, 16, [](int x, int) {
                      return x < 32 ? Rgb{220, 40, 40} : Rgb{0, 0, 0};
                    })});
  track->push_back({"_OSTXT41.TEX", BuildTex(64, 16, [](int x, int) {
                      return x < 32 ? Rgb{40, 40, 220} : Rgb{0, 0, 0};
                    })});
  BackdropFile backdrop;
  backdrop.texture = "DATA\\TRACK\\HORIZON.TEX";
  track->push_back({"HORIZON.TEX", HorizonTex()});
  track->push_back({"HORIZON.BKD", BuildBackdrop(backdrop)});
  return true;
}

}  // namespace kelvdata
