// The garage (scene 5) with the player's bike, and the first page of the
// bike set-up (scene 17).
#include <array>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include "tools/object_files.h"
#include "tools/object_samples.h"
#include "tools/scene_champ_widgets.h"
#include "tools/scene_single.h"
#include "tools/ui_samples.h"

namespace kelvdata {

namespace {

using champ::AddButton;
using champ::AddLabel;

constexpr std::uint16_t CMD_GO_TO_SCENE = 0;
constexpr std::uint16_t CMD_CONTINUE_EVENT = 9;
constexpr std::uint16_t CMD_LEAVE_SCENE = 18;
constexpr std::uint16_t CMD_REPAIR_PART = 22;
constexpr std::uint16_t CMD_SAVE_OPTIONS = 41;
constexpr std::uint16_t CMD_SHOW_SETUP = 47;
constexpr std::uint16_t CMD_SHOW_GARAGE = 49;
constexpr std::uint16_t CMD_SET_EXIT = 54;
constexpr std::uint16_t CMD_NONE = 69;
constexpr std::uint16_t SETTING_SETUP_VALUE = 48;

struct Colour {
  float r, g, b;
};

// The six faces of a box from (x0, y0, z0) to (x1, y1, z1), outward, lit
// from above: the top full, the sides darker, the bottom darkest.
void AddBox(std::vector<LitMeshVertex>* v, float x0, float y0, float z0, float x1, float y1, float z1, Colour c) {
  auto at = [&](float x, float y, float z, float shade) {
    return LitMeshVertex{x, y, z, c.r * shade, c.g * shade, c.b * shade, 1.0f, 0.0f, 0.0f};
  };
  auto quad = [&](LitMeshVertex a, LitMeshVertex b, LitMeshVertex cc, LitMeshVertex d) {
    for (const LitMeshVertex& p : FileTriangle(a, b, cc)) v->push_back(p);
    for (const LitMeshVertex& p : FileTriangle(a, cc, d)) v->push_back(p);
  };
  // Seen from -z (the camera's side): the front face.
  quad(at(x0, y0, z0, 0.85f), at(x0, y1, z0, 0.85f), at(x1, y1, z0, 0.85f), at(x1, y0, z0, 0.85f));
  quad(at(x1, y0, z1, 0.6f), at(x1, y1, z1, 0.6f), at(x0, y1, z1, 0.6f), at(x0, y0, z1, 0.6f));
  quad(at(x0, y1, z0, 1.0f), at(x0, y1, z1, 1.0f), at(x1, y1, z1, 1.0f), at(x1, y1, z0, 1.0f));
  quad(at(x0, y0, z1, 0.4f), at(x0, y0, z0, 0.4f), at(x1, y0, z0, 0.4f), at(x1, y0, z1, 0.4f));
  quad(at(x0, y0, z1, 0.7f), at(x0, y1, z1, 0.7f), at(x0, y1, z0, 0.7f), at(x0, y0, z0, 0.7f));
  quad(at(x1, y0, z0, 0.7f), at(x1, y1, z0, 0.7f), at(x1, y1, z1, 0.7f), at(x1, y0, z1, 0.7f));
}

Bytes ObjectOf(const std::vector<LitMeshVertex>& vertices) {
  PlainObjectFile f;
  f.texture = "NULL";
  f.meshes = {MakeLitMesh(vertices, true)};
  return BuildPlainObjectFile(f);
}

// Where the garage shows the bike: the objects of a front-end scene are
// drawn as modelled, so the corner of the workshop is built in place, left
// of the parts' rows and below the money, the camera 39.5 units in front.
constexpr float BIKE_X = -12.6f;
constexpr float GROUND_Y = -6.0f;

// A bike side on, about 8 units long, standing on the workshop's floor:
// black tyres with grey hubs, a frame, tank and mudguards in the rider's
// colour, a dark seat and silver forks and bars.
Bytes BikeObject(Colour paint) {
  std::vector<LitMeshVertex> v;
  const Colour tyre{0.12f, 0.12f, 0.12f}, hub{0.6f, 0.6f, 0.62f}, seat{0.15f, 0.12f, 0.1f};
  auto box = [&](float x0, float y0, float z0, float x1, float y1, float z1, Colour c) {
    AddBox(&v, BIKE_X + x0, GROUND_Y + 2.5f + y0, z0, BIKE_X + x1, GROUND_Y + 2.5f + y1, z1, c);
  };
  for (float cx : {-2.8f, 2.8f}) {
    box(cx - 1.3f, -2.5f, -0.35f, cx + 1.3f, 0.1f, 0.35f, tyre);
    box(cx - 0.4f, -1.6f, -0.45f, cx + 0.4f, -0.8f, 0.45f, hub);
  }
  box(-2.4f, -0.6f, -0.25f, 2.0f, 0.2f, 0.25f, paint);    // frame
  box(-0.6f, 0.2f, -0.6f, 1.4f, 1.2f, 0.6f, paint);       // tank
  box(-2.8f, 0.6f, -0.4f, -0.6f, 1.0f, 0.4f, seat);       // seat
  box(1.4f, 0.4f, -0.2f, 3.0f, 0.8f, 0.2f, paint);        // front mudguard
  box(-4.2f, 0.5f, -0.2f, -2.6f, 0.8f, 0.2f, paint);      // rear mudguard
  box(2.3f, -1.2f, -0.15f, 2.7f, 2.0f, 0.15f, hub);       // forks
  box(1.9f, 2.0f, -1.4f, 2.5f, 2.3f, 1.4f, hub);          // bars
  box(-0.6f, -1.2f, -0.5f, 0.8f, -0.2f, 0.5f, {0.3f, 0.3f, 0.32f});  // engine
  return ObjectOf(v);
}

// The riders' colours, by rider number (the bikes 0 to 9 of the garage).
const Colour kPaints[10] = {{0.9f, 0.45f, 0.1f}, {0.85f, 0.1f, 0.1f}, {0.1f, 0.35f, 0.85f}, {0.1f, 0.65f, 0.2f},
                            {0.95f, 0.85f, 0.1f}, {0.55f, 0.15f, 0.7f}, {0.95f, 0.95f, 0.95f}, {0.1f, 0.7f, 0.75f},
                            {0.95f, 0.4f, 0.65f}, {0.45f, 0.45f, 0.45f}};

// The workshop's corner around the bike, each piece an object of its own:
// the floor, the back board, a tool chest, a stack of tyres, an oil drum, a
// spare wheel and a shelf.
std::vector<BbfMember> WorkshopObjects() {
  std::vector<BbfMember> m;
  auto piece = [&](const char* name, std::initializer_list<std::array<float, 9>> boxes) {
    std::vector<LitMeshVertex> v;
    for (const auto& b : boxes) AddBox(&v, b[0], b[1], b[2], b[3], b[4], b[5], {b[6], b[7], b[8]});
    m.push_back({name, ObjectOf(v)});
  };
  const float g = GROUND_Y;
  piece("05OBJ001.ACT", {{-17.5f, g - 0.5f, -3.0f, -7.2f, g, 4.0f, 0.42f, 0.42f, 0.4f}});
  piece("05OBJ002.ACT", {{-17.5f, g, 4.0f, -7.2f, g + 6.5f, 4.4f, 0.5f, 0.45f, 0.36f}});
  piece("05OBJ003.ACT", {{-17.3f, g, 2.0f, -15.6f, g + 3.2f, 3.8f, 0.75f, 0.12f, 0.1f},
                         {-17.1f, g + 2.0f, 1.95f, -15.8f, g + 2.1f, 2.0f, 0.85f, 0.85f, 0.85f}});
  piece("05OBJ004.ACT", {{-9.3f, g, 2.2f, -7.5f, g + 0.5f, 3.9f, 0.1f, 0.1f, 0.1f},
                         {-9.3f, g + 0.55f, 2.2f, -7.5f, g + 1.05f, 3.9f, 0.1f, 0.1f, 0.1f},
                         {-9.3f, g + 1.1f, 2.2f, -7.5f, g + 1.6f, 3.9f, 0.1f, 0.1f, 0.1f}});
  piece("05OBJ005.ACT", {{-15.4f, g, 2.4f, -14.2f, g + 2.2f, 3.6f, 0.15f, 0.35f, 0.6f}});
  piece("05OBJ006.ACT", {{-11.6f, g + 3.4f, 3.6f, -9.2f, g + 5.8f, 3.9f, 0.12f, 0.12f, 0.12f},
                         {-10.8f, g + 4.2f, 3.5f, -10.0f, g + 5.0f, 3.6f, 0.6f, 0.6f, 0.62f}});
  piece("05OBJ007.ACT", {{-17.3f, g + 4.6f, 3.2f, -12.6f, g + 4.9f, 4.0f, 0.45f, 0.3f, 0.16f}});
  for (int n = 0; n < 10; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "05OBJ1%02d.ACT", n);
    m.push_back({name, BikeObject(kPaints[n])});
  }
  return m;
}

StaticTextBody Coloured(StaticTextBody b, const float* colour) {
  for (int c = 0; c < 3; ++c) b.colour[c] = colour[c];
  return b;
}

// A slider that shows a value and changes nothing when dragged (it is in
// no focus list, so it cannot be dragged), or a set-up slider that stores
// set-up value `variant`.
SliderFile Slider(float x, float y, float w, std::uint32_t caption, float captionX, float valueX,
                  std::uint32_t firstItem, int items, std::uint16_t setting, std::uint16_t variant) {
  SliderFile s;
  for (int i = 0; i < items; ++i) s.items.push_back(firstItem + static_cast<std::uint32_t>(i));
  s.box[0] = x;
  s.box[1] = y;
  s.box[2] = x + w;
  s.box[3] = y + 20.0f;
  auto part = [](const char* texture, float px, float py, float pw, float ph) {
    ButtonFile b;
    b.textures[0] = b.textures[1] = b.textures[2] = texture;
    b.position[0] = px;
    b.position[1] = py;
    b.size[0] = pw;
    b.size[1] = ph;
    return b;
  };
  s.track = part("DATA\\UI\\_TRACK.TEX", x, y + 6.0f, w, 8.0f);
  s.thumb = part("DATA\\UI\\_THUMB.TEX", x - 6.0f, y, 12.0f, 20.0f);
  s.caption = TextAt(caption, captionX, y + 2.0f);
  s.valueLabel = TextAt(firstItem, valueX, y + 2.0f);
  s.settingId = setting;
  s.variant = variant;
  return s;
}

// A line of the garage's own texts (money, time and prices) in the scene's
// space, the camera 39.5 units in front of it, in the scene's font 3.
Bytes GarageLine() {
  UiStaticTextFile f;
  f.font = 3;
  f.advance = 0.34f;
  f.height = 0.7f;
  return BuildUiStaticText(f);
}

// The font of those lines: the menus' small face with each glyph's top and
// bottom exchanged, as the scene's space has y upwards. Its name has no
// digit, so the Russian game keeps it (the lines are digits and "c" only).
void AddLineFont(std::vector<BbfMember>* ui) {
  const SampleFont& face = SampleFonts()[0];
  RasterFont raster;
  std::string error;
  if (!RasteriseFont(face.face, face.pixels, &raster, &error)) return;
  for (Glyph& g : raster.glyphs) std::swap(g.top, g.bottom);
  ui->push_back({"GDIGITS.FNT", FontFileFor(raster, "DATA\\UI\\_GDIGITS.TEX")});
  ui->push_back({"_GDIGITS.TEX", std::move(raster.tex)});
}

}  // namespace

SceneFile GarageScene(std::vector<BbfMember>* ui) {
  for (BbfMember& m : WorkshopObjects()) ui->push_back(std::move(m));
  SceneFile s = champ::Screen("DATA\\UI\\CTITLE05.STX", "05.FLT");
  StaticTextBody title = TextAt(CHAMP_TEXT_GARAGE, 320.0f, 40.0f, 1, true);
  ui->push_back({"CTITLE05.STX", BuildStaticTextBody(Coloured(title, ORANGE))});

  // Buttons 0 to 2: back (without the repairs), on to the next session
  // (with them), the set-up.
  s.lists[SCENE_BUTTONS] = {WidgetAt("DATA\\UI\\BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f)};
  AddButton(ui, &s, "GRACE.BTN", CHAMP_TEXT_CONTINUE, 430.0f, 400.0f, 190.0f, 40.0f,
            {{CMD_CONTINUE_EVENT, 0, 0, "NULL"}});
  AddButton(ui, &s, "GSETUP.BTN", CHAMP_TEXT_SETUP, 20.0f, 400.0f, 190.0f, 40.0f,
            {{CMD_GO_TO_SCENE, 17, 0, "NULL"}});
  // One row a part: its name and condition, undo and repair (buttons 3 + 2p
  // and 4 + 2p), the price of a step.
  std::vector<FocusFileEntry> focus;
  for (std::uint16_t p = 0; p < 5; ++p) {
    const float y = 100.0f + 50.0f * static_cast<float>(p);
    const std::string n = std::to_string(p);
    AddButton(ui, &s, "GUNDO" + n + ".BTN", CHAMP_TEXT_UNDO, 318.0f, y - 4.0f, 34.0f, 30.0f,
              {{CMD_REPAIR_PART, 0, p, "NULL"}});
    AddButton(ui, &s, "GFIX" + n + ".BTN", CHAMP_TEXT_REPAIR, 466.0f, y - 4.0f, 34.0f, 30.0f,
              {{CMD_REPAIR_PART, 1, p, "NULL"}});
    focus.push_back({4, static_cast<std::uint16_t>(4 + 2 * p)});
    focus.push_back({4, static_cast<std::uint16_t>(3 + 2 * p)});
    ui->push_back({"GPART" + n + ".SLD", BuildSlider(Slider(364.0f, y, 90.0f, TEXT_PART_NAMES[p], 190.0f, 512.0f,
                                                              CHAMP_TEXT_PERCENT, 11, CMD_NONE, 0))});
    s.lists[SCENE_SLIDERS].push_back(WidgetAt("DATA\\UI\\GPART" + n + ".SLD", 364.0f, y + 6.0f));
  }
  for (std::uint16_t b : {1, 2, 0}) focus.push_back({4, b});
  ui->push_back({"05.FLT", BuildFlt(focus)});

  // Headings of the texts the garage command fills in.
  AddLabel(ui, &s, "GMONEY.STX", Coloured(TextAt(CHAMP_TEXT_MONEY, 24.0f, 100.0f, 2), ORANGE));
  AddLabel(ui, &s, "GTIME.STX", Coloured(TextAt(CHAMP_TEXT_WORKSHOP_TIME, 24.0f, 150.0f, 2), ORANGE));
  AddLabel(ui, &s, "GPRICE.STX", Coloured(TextAt(CHAMP_TEXT_PRICE_OF_A_STEP, 556.0f, 80.0f, 2), ORANGE));

  // UI texts 0 money, 1 time left, 2 to 4 and 6, 7 the prices; 5 unused.
  AddLineFont(ui);
  s.fonts.push_back("DATA\\UI\\GDIGITS.FNT");
  ui->push_back({"GLINE.UST", GarageLine()});
  const float priceY[8] = {0, 0, 0, 1, 2, 0, 3, 4};
  for (int t = 0; t < 8; ++t) {
    SceneWidgetEntry e = WidgetAt("DATA\\UI\\GLINE.UST", 0.0f, 0.0f);
    if (t == 0 || t == 1) {
      e.position[0] = -16.4f;
      e.position[1] = 5.7f - 2.75f * static_cast<float>(t);
    } else {
      e.position[0] = 13.1f;
      e.position[1] = 6.7f - 2.75f * priceY[t];
    }
    s.lists[SCENE_UI_STATIC_TEXTS].push_back(e);
  }

  // Objects 0 to 6 the workshop, 7 the bike the garage command replaces
  // with the chosen rider's.
  auto object = [](const std::string& file) {
    SceneObjectEntry o;
    o.kind = 3;
    o.path = UiPath(file);
    return o;
  };
  for (const char* piece : {"05OBJ001.ACT", "05OBJ002.ACT", "05OBJ003.ACT", "05OBJ004.ACT", "05OBJ005.ACT",
                            "05OBJ006.ACT", "05OBJ007.ACT", "05OBJ100.ACT"}) {
    s.objects.push_back(object(piece));
  }
  s.actions = {{CMD_SET_EXIT, 1, 18, "NULL"}, {CMD_SHOW_GARAGE, 0, 0, "NULL"}};
  return s;
}

SceneFile SetupScene(std::vector<BbfMember>* ui) {
  SceneFile s = champ::Screen("DATA\\UI\\CTITLE17.STX", "17.FLT");
  StaticTextBody title = TextAt(CHAMP_TEXT_BIKE_SETUP, 320.0f, 40.0f, 1, true);
  ui->push_back({"CTITLE17.STX", BuildStaticTextBody(Coloured(title, ORANGE))});
  // Sliders 0 to 9 as the set-up command fills them: the value index each
  // stores, its caption, its first item and its number of items.
  struct Row {
    std::uint16_t variant;
    std::uint32_t caption;
    std::uint32_t firstItem;
    int items;
  };
  const Row rows[10] = {{1, CHAMP_TEXT_SUSPENSION, CHAMP_TEXT_NUMBER, 4},
                        {0, CHAMP_TEXT_THROTTLE, CHAMP_TEXT_NUMBER, 6},
                        {3, CHAMP_TEXT_BRAKES, CHAMP_TEXT_NUMBER, 3},
                        {2, CHAMP_TEXT_TYRES, CHAMP_TEXT_DRY, 2},
                        {4, CHAMP_TEXT_GEAR + 0, CHAMP_TEXT_PERCENT, 11},
                        {5, CHAMP_TEXT_GEAR + 1, CHAMP_TEXT_PERCENT, 11},
                        {6, CHAMP_TEXT_GEAR + 2, CHAMP_TEXT_PERCENT, 11},
                        {7, CHAMP_TEXT_GEAR + 3, CHAMP_TEXT_PERCENT, 11},
                        {8, CHAMP_TEXT_GEAR + 4, CHAMP_TEXT_PERCENT, 11},
                        {9, CHAMP_TEXT_GEAR + 5, CHAMP_TEXT_PERCENT, 11}};
  std::vector<FocusFileEntry> focus;
  for (std::uint16_t i = 0; i < 10; ++i) {
    const float x = i < 4 ? 170.0f : 470.0f;
    const float y = 100.0f + 48.0f * static_cast<float>(i < 4 ? i : i - 4);
    const std::string name = "SETUP" + std::to_string(i) + ".SLD";
    ui->push_back({name, BuildSlider(Slider(x, y, 80.0f, rows[i].caption, x - 150.0f, x + 92.0f, rows[i].firstItem,
                                            rows[i].items, SETTING_SETUP_VALUE, rows[i].variant))});
    s.lists[SCENE_SLIDERS].push_back(Widget(name, x, y + 6.0f));
    focus.push_back({13, i});
  }
  // OK keeps the edited set-up, back leaves it; both go to the scene the
  // set-up command names.
  AddButton(ui, &s, "SETOK.BTN", CHAMP_TEXT_OK, 430.0f, 400.0f, 190.0f, 40.0f,
            {{CMD_SAVE_OPTIONS, 1, 0, "NULL"}, {CMD_SAVE_OPTIONS, 2, 0, "NULL"}, {CMD_LEAVE_SCENE, 0, 0, "NULL"}});
  s.lists[SCENE_BUTTONS].push_back(WidgetAt("DATA\\UI\\BACK.BTN", 220.0f, 400.0f, 200.0f, 40.0f));
  // The second page (scene 25), the suspension and the chassis.
  AddButton(ui, &s, "SETMORE.BTN", TEXT_SGL_CHASSIS, 20.0f, 400.0f, 190.0f, 40.0f, {{CMD_GO_TO_SCENE, 25, 0, "NULL"}});
  focus.push_back({4, 0});
  focus.push_back({4, 2});
  focus.push_back({4, 1});
  ui->push_back({"17.FLT", BuildFlt(focus)});
  s.actions = {{CMD_SHOW_SETUP, 0, 0, "NULL"}};
  return s;
}

}  // namespace kelvdata
