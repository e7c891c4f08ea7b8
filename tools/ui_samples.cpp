#include "tools/ui_samples.h"

#include <cmath>

#include "tools/scene_build.h"
#include "tools/tex.h"

namespace kelvdata {

const std::vector<SampleFont>& SampleFonts() {
  // The bold title face holds the Cyrillic letters in one texture only up
  // to 20 pixels.
  static const std::vector<SampleFont> fonts = {{"FONT1", "_FONTS1", "DejaVuSans", 16, 16},
                                                {"FONT2", "_FONTS2", "DejaVuSans-Bold", 24, 20},
                                                {"FONT3", "_FONTS3", "DejaVuSans", 12, 12},
                                                {"FONT4", "_FONTS4", "DejaVuSansMono", 16, 16},
                                                {"FONT7", "_FONTS7", "DejaVuSans-Bold", 16, 16}};
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

Bytes FlagsTex() {
  return BuildTex(128, 64, [](int x, int y) {
    // The cloth waves: each column drops by a sine of its distance from the pole.
    const int drop = static_cast<int>(std::lround(4.0 * std::sin((x - 14) * 3.14159265358979 / 28.0)));
    const int cx = x - 14;
    const int cy = y - 6 - drop;
    if (y >= 56) return Rgb{60, 140, 50};
    if (x >= 8 && x <= 11) return y <= 4 ? Rgb{240, 200, 40} : Rgb{150, 100, 50};
    if (cx >= 0 && cx < 104 && cy >= 0 && cy < 40) {
      return ((cx / 13) + (cy / 10)) % 2 ? Rgb{30, 30, 30} : Rgb{245, 245, 245};
    }
    return Rgb{static_cast<std::uint8_t>(110 + y), static_cast<std::uint8_t>(160 + y / 2), 235};
  });
}

namespace {

Bytes Solid(int w, int h, Rgb c) {
  return BuildTex(static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h), [=](int, int) { return c; });
}

StaticTextBody Label(std::uint32_t textId, float x, float y) { return TextAt(textId, x, y); }

// A font texture with its white glyphs turned dark grey, and the black key
// around them kept: drawn multiplying the screen, it darkens it.
Bytes DarkGlyphs(Bytes tex) {
  constexpr std::size_t kHeader = 4;
  for (std::size_t i = kHeader; i + 2 < tex.size(); i += 3) {
    if (tex[i] == 255 && tex[i + 1] == 255 && tex[i + 2] == 255) tex[i] = tex[i + 1] = tex[i + 2] = 48;
  }
  return tex;
}

}  // namespace

void DataSetDialogMembers(std::vector<BbfMember>* ui) {
  ui->push_back({"_BTNN.TEX", Solid(16, 16, {60, 90, 160})});
  ui->push_back({"_BTNH.TEX", Solid(16, 16, {90, 150, 240})});
  ui->push_back({"_BTNP.TEX", Solid(16, 16, {240, 200, 60})});
  ui->push_back({"_TRACK.TEX", Solid(16, 16, {110, 110, 110})});
  ui->push_back({"_THUMB.TEX", Solid(16, 16, {230, 230, 230})});
  ui->push_back({"_BAR.TEX", BuildTex(64, 8, [](int x, int) {
                   return Rgb{static_cast<std::uint8_t>(60 + x * 3), 200, 80};
                 })});

  // The tooltips' label style and their background (no texture: flat grey).
  StaticTextBody tipLine;
  ui->push_back({"NAME.STX", BuildStaticTextBody(tipLine)});
  PanelFile tipBack;
  tipBack.blend = 1;
  ui->push_back({"TIPBACK.OSP", BuildOsp(tipBack)});

  // The dialog is designed at (0, 0): loading centres it on the screen.
  ButtonFile ok = ButtonLook(40.0f, 250.0f, 120.0f, 40.0f);
  ok.hasCaption = 1;
  ok.caption = Label(5, 52.0f, 262.0f);
  ok.hasTooltip = 1;
  ok.tooltipLines = {5, 2};
  ok.actions = {{0, 0, 0, "NULL"}};
  ui->push_back({"DLGOK.BTN", BuildButton(ok)});
  ButtonFile toggle = ButtonLook(280.0f, 250.0f, 120.0f, 40.0f);
  toggle.toggle = 1;
  toggle.highlightedAtStart = 1;
  toggle.offLabel = Label(3, 290.0f, 262.0f);
  toggle.onLabel = Label(4, 290.0f, 262.0f);
  ui->push_back({"DLGTOGL.BTN", BuildButton(toggle)});

  ChooserFile chooser;
  chooser.panelItems = 1;
  chooser.wrap = 1;
  chooser.pageSize = 2;
  for (int i = 0; i < 4; ++i) {
    ChooserItemEntry item;
    item.path = i % 2 ? "DATA\\UI\\DLGCHO2.OSP" : "DATA\\UI\\DLGCHO1.OSP";
    item.position[0] = 150.0f + 60.0f * static_cast<float>(i % 2);
    item.position[1] = 200.0f;
    item.scale[0] = 48.0f;
    item.scale[1] = 32.0f;
    chooser.items.push_back(item);
  }
  ui->push_back({"DLGCHO.CHO", BuildChooser(chooser)});
  PanelFile choice;
  choice.texture = "DATA\\UI\\_FLAGS.TEX";
  ui->push_back({"DLGCHO1.OSP", BuildOsp(choice)});
  choice.texture = "DATA\\UI\\_BTNP.TEX";
  ui->push_back({"DLGCHO2.OSP", BuildOsp(choice)});

  ProgressBarFile bar;
  bar.texture = "DATA\\UI\\_BAR.TEX";
  bar.position[0] = 300.0f;
  bar.position[1] = 210.0f;
  bar.size[0] = 160.0f;
  bar.size[1] = 12.0f;
  bar.value = 60;
  ui->push_back({"DLGBAR.PRB", BuildProgressBar(bar)});

  SliderFile slider;
  slider.items = {2, 3, 4};
  slider.box[0] = 40.0f;
  slider.box[1] = 170.0f;
  slider.box[2] = 200.0f;
  slider.box[3] = 190.0f;
  slider.track = ButtonLook(40.0f, 170.0f, 160.0f, 20.0f);
  slider.track.textures[0] = slider.track.textures[1] = slider.track.textures[2] = "DATA\\UI\\_TRACK.TEX";
  slider.thumb = ButtonLook(32.0f, 168.0f, 16.0f, 24.0f);
  slider.thumb.textures[0] = slider.thumb.textures[1] = slider.thumb.textures[2] = "DATA\\UI\\_THUMB.TEX";
  slider.caption = Label(5, 40.0f, 150.0f);
  slider.valueLabel = Label(2, 210.0f, 172.0f);
  slider.settingId = 3;
  ui->push_back({"DLGSLD.SLD", BuildSlider(slider)});

  PanelFile back;
  back.texture = "DATA\\UI\\DLGBKG.TEX";
  back.blend = 1;
  back.size[0] = 440.0f;
  back.size[1] = 320.0f;
  back.colour[0] = back.colour[1] = back.colour[2] = 0.8f;
  ui->push_back({"DLGBACK.OSP", BuildOsp(back)});

  DialogFile dialog;
  dialog.box[2] = 440.0f;
  dialog.box[3] = 320.0f;
  dialog.lists[DIALOG_BUTTONS] = {DialogEntryAt("DATA\\UI\\DLGOK.BTN", 40.0f, 250.0f, 120.0f, 40.0f),
                                  DialogEntryAt("DATA\\UI\\DLGTOGL.BTN", 280.0f, 250.0f, 120.0f, 40.0f)};
  dialog.lists[DIALOG_EDIT_TEXTS] = {DialogEntryAt("DATA\\UI\\NAME.EDT", 40.0f, 100.0f)};
  dialog.lists[DIALOG_STATIC_TEXTS] = {DialogEntryAt("DATA\\UI\\TITLE.STX", 220.0f, 20.0f)};
  dialog.lists[DIALOG_CHOOSERS] = {DialogEntryAt("DATA\\UI\\DLGCHO.CHO", 0.0f, 0.0f)};
  dialog.lists[DIALOG_PROGRESS_BARS] = {DialogEntryAt("DATA\\UI\\DLGBAR.PRB", 300.0f, 210.0f, 160.0f, 12.0f)};
  dialog.lists[DIALOG_SLIDERS] = {DialogEntryAt("DATA\\UI\\DLGSLD.SLD", 40.0f, 170.0f)};
  dialog.lists[DIALOG_OBJECTS] = {DialogEntryAt("DATA\\UI\\BOX.ACT", 0.0f, 0.0f)};
  dialog.lists[DIALOG_PANELS] = {DialogEntryAt("DATA\\UI\\DLGBACK.OSP", 0.0f, 0.0f, 440.0f, 320.0f)};
  ui->push_back({"DIALOG01.DLG", BuildDialog(dialog)});
}

bool DataSetUiMembers(std::vector<BbfMember>* ui, std::vector<BbfMember>* track, std::string* error) {
  for (const SampleFont& font : SampleFonts()) {
    RasterFont raster;
    if (!RasteriseFont(font.face, font.pixels, &raster, error)) return false;
    const std::string texture = std::string("DATA\\UI\\") + font.texture + ".TEX";
    ui->push_back({std::string(font.file) + ".FNT", FontFileFor(raster, texture)});
    ui->push_back({std::string(font.texture) + ".TEX", std::move(raster.tex)});
    // The fonts that language 7 reads instead: the same face with the
    // Cyrillic letters of Windows-1251, in a texture of their own.
    RasterFont cyrillic;
    if (!RasteriseFont(font.face, font.cyrillicPixels, &cyrillic, error, 1251)) return false;
    const std::string cyrillicTexture = std::string("DATA\\UI\\") + font.texture + "C.TEX";
    ui->push_back({std::string(font.file) + "C.FNT", FontFileFor(cyrillic, cyrillicTexture)});
    ui->push_back({std::string(font.texture) + "C.TEX", std::move(cyrillic.tex)});
  }

  // Fonts of single screens. Language 7 swaps only the font files named
  // with the digits of the common fonts, so these hold the Cyrillic letters
  // of Windows-1251 beside ASCII (whose cells do not depend on the code
  // page) and serve every language.
  RasterFont narrow;
  if (!RasteriseFont("DejaVuSans", NARROW_FONT_PIXELS, &narrow, error, 1251)) return false;
  ui->push_back({"NARROW.FNT", FontFileFor(narrow, "DATA\\UI\\_NARROW.TEX")});
  ui->push_back({"_NARROW.TEX", std::move(narrow.tex)});
  RasterFont shadow;
  if (!RasteriseFont(SampleFonts()[0].face, SampleFonts()[0].pixels, &shadow, error, 1251)) return false;
  ui->push_back({"SHADOW.FNT", FontFileFor(shadow, "DATA\\UI\\_SHADOW.TEX")});
  ui->push_back({"_SHADOW.TEX", DarkGlyphs(shadow.tex)});

  ui->push_back({"_FLAGS.TEX", FlagsTex()});
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
  DataSetDialogMembers(ui);

  BackdropFile backdrop;
  backdrop.texture = "DATA\\TRACK\\HORIZON.TEX";
  track->push_back({"HORIZON.TEX", HorizonTex()});
  track->push_back({"HORIZON.BKD", BuildBackdrop(backdrop)});
  return true;
}

}  // namespace kelvdata
