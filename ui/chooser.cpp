#include "ui/chooser.h"

#include <cmath>
#include <new>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/geometry_pipeline.h"
#include "engine/scene/scene.h"
#include "engine/services/front_end.h"
#include "engine/system.h"
#include "ui/widget_io.h"

using ui_internal::ReportError;

std::uint32_t g_ChooserTimer = 0;

namespace {

// The player screen: a finished page change there refreshes the rider shown.
constexpr std::uint32_t kPlayerScene = 1;

bool ReadFloats(DataReader* r, float* out, int n) {
  for (int i = 0; i < n; ++i) {
    if (!r->F32(&out[i])) return false;
  }
  return true;
}

void StartObjectFade(Object3D* o, float from, float target) {
  o->fadeCurrent = from;
  o->fadeElapsed = 0;
  o->fadeDuration = CHOOSER_FADE_MS;
  o->fadeTarget = target;
  o->fadeRange = target - from;
  o->fadeCallback = nullptr;
}

}  // namespace

Chooser::Chooser() = default;

Chooser::~Chooser() = default;

bool Chooser::Load(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ReportError(ui_internal::CHOOSER_ERROR);
    return false;
  }
  DataReader r(&file);
  auto fail = [&file](bool report) {
    if (report) ReportError(ui_internal::CHOOSER_ERROR);
    file.Close();
    return false;
  };
  if (!r.U8(&flag) || !r.U8(&panelItems)) return fail(true);
  panelItems = panelItems ? 1 : 0;
  if (!panelItems) {
    float v[3];
    if (!ReadFloats(&r, v, 3)) return fail(true);
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    // A direction of no length keeps the light where it was.
    if (length > 0.0f) g_LightDirection = Vector3(-v[0] / length, -v[1] / length, -v[2] / length);
  }
  if (!r.U8(&hasBackground)) return fail(true);
  if (hasBackground) {
    std::uint8_t lit = 0;
    if (!r.String(backgroundPath, CHOOSER_PATH_SIZE) || (!panelItems && !r.U8(&lit))) return fail(true);
    if (panelItems) {
      if (!panelBackground.Load(backgroundPath)) return fail(false);
    } else {
      if (!background.LoadObject(backgroundPath, lit != 0)) return fail(false);
      background.alternateSelection = 1;
    }
    float place[6];
    if (!ReadFloats(&r, place, 6)) return fail(true);
    Background()->SetPosition(place[0], place[1], place[2]);
    Background()->SetScale(place[3], place[4], place[5]);
  }
  std::uint16_t count = 0;
  std::uint16_t size = 0;
  if (!r.U8(&wrap) || !r.U16(&count) || !r.U16(&size)) return fail(true);
  // An item holds at least its spare word, a path of one byte and six floats.
  const std::uint64_t least = panelItems ? 31 : 32;
  if (size == 0 || size > CHOOSER_MAX_PAGE_SIZE || count * least > r.Remaining()) return fail(true);
  items.reset();
  itemCount = 0;
  pageSize = 0;
  if (count != 0) {
    items.reset(new (std::nothrow) ChooserItem[count]);
    if (!items) return fail(false);
  }
  for (std::uint16_t i = 0; i < count; ++i) {
    ChooserItem& item = items[i];
    std::uint16_t spare = 0;
    item.lit = 0;
    if (!r.U16(&spare) || (!panelItems && !r.U8(&item.lit)) || !r.String(item.path, CHOOSER_PATH_SIZE) ||
        !ReadFloats(&r, item.position, 3) || !ReadFloats(&r, item.scale, 3)) {
      items.reset();
      return fail(true);
    }
  }
  itemCount = count;
  pageSize = size;
  currentPage = 0;
  if (!BuildPage()) return fail(false);
  WhitenPage();
  file.Close();
  return true;
}

void Chooser::WhitenPage() {
  if (panelItems) return;
  for (std::uint16_t i = 0; i < pageObjectCount; ++i) {
    Object3D& o = pageObjects[i];
    for (std::uint16_t m = 0; m < o.meshCount; ++m) o.SetMeshColour(m, 1.0f, 1.0f, 1.0f, 1.0f);
  }
}

bool Chooser::BuildPage() {
  pageObjects.reset();
  pageObjectCount = 0;
  pagePanels.reset();
  pagePanelCount = 0;
  // Fewer items than a page make no page to build.
  if (PageCount() == 0 || currentPage < 0 || currentPage >= PageCount()) return true;
  if (panelItems) {
    pagePanels.reset(new (std::nothrow) Panel[pageSize]);
    if (!pagePanels) return false;
    pagePanelCount = pageSize;
  } else {
    pageObjects.reset(new (std::nothrow) Object3D[pageSize]);
    if (!pageObjects) return false;
    pageObjectCount = pageSize;
  }
  for (std::uint16_t i = 0; i < pageSize; ++i) {
    const ChooserItem& item = items[i + pageSize * currentPage];
    SceneObject* o;
    if (panelItems) {
      if (!pagePanels[i].Load(item.path)) return false;
      o = &pagePanels[i];
    } else {
      if (!pageObjects[i].LoadObject(item.path, item.lit != 0)) return false;
      pageObjects[i].alternateSelection = 1;
      o = &pageObjects[i];
    }
    o->SetPosition(item.position[0], item.position[1], item.position[2]);
    o->SetScale(item.scale[0], item.scale[1], item.scale[2]);
  }
  return true;
}

bool Chooser::PreviousPage() {
  if (Changing() || PageCount() == 0) return false;
  --currentPage;
  changingBack = 1;
  if (currentPage < 0) currentPage = wrap ? static_cast<std::int16_t>(PageCount() - 1) : 0;
  return true;
}

bool Chooser::NextPage() {
  if (Changing() || PageCount() == 0) return false;
  ++currentPage;
  changingForward = 1;
  if (currentPage > PageCount() - 1) currentPage = wrap ? 0 : static_cast<std::int16_t>(PageCount() - 1);
  return true;
}

bool Chooser::GoToPage(std::uint16_t p) {
  if (PageCount() == 0 || p > PageCount() - 1) return false;
  currentPage = static_cast<std::int16_t>(p);
  if (!BuildPage()) return false;
  WhitenPage();
  return true;
}

bool Chooser::Update(unsigned ms, int mode) {
  if (hasBackground) Background()->Update(ms, mode);
  if (changingBack || changingForward) {
    if (!panelItems && g_ChooserTimer == 0) {
      for (std::uint16_t i = 0; i < pageObjectCount; ++i)
        StartObjectFade(&pageObjects[i], pageObjects[i].fadeCurrent, 0.0f);
    }
    g_ChooserTimer += ms;
    if (g_ChooserTimer > CHOOSER_FADE_MS) {
      BuildPage();
      if (!panelItems) {
        for (std::uint16_t i = 0; i < pageObjectCount; ++i) StartObjectFade(&pageObjects[i], 0.0f, 1.0f);
      }
      changingBack = 0;
      changingForward = 0;
      settling = 1;
      g_ChooserTimer = 0;
    }
  } else if (settling) {
    g_ChooserTimer += ms;
    if (g_ChooserTimer > CHOOSER_FADE_MS) {
      g_ChooserTimer = 0;
      settling = 0;
      if (g_SceneNumber == kPlayerScene) {
        FrontEndCommand(CMD_SHOW_RIDER_CHOICE, 0, 0, "NULL");
        FrontEndCommand(CMD_REFRESH_PLAYER_NAME, 0, 0, "NULL");
        FrontEndCommand(CMD_SHOW_RIDER_RATINGS, 0, 0, "NULL");
      }
    }
  }
  for (std::uint16_t i = 0; i < pageObjectCount; ++i) pageObjects[i].Update(ms, mode);
  for (std::uint16_t i = 0; i < pagePanelCount; ++i) pagePanels[i].Update(ms, mode);
  return true;
}

void Chooser::SetItemColour(std::uint16_t item, float r, float g, float b) {
  if (item >= itemCount) return;
  if (panelItems) {
    if (item < pagePanelCount) pagePanels[item].SetColour(r, g, b);
    return;
  }
  if (item >= pageObjectCount) return;
  const std::uint32_t colour = 0xFF000000u + static_cast<std::uint32_t>(r * 255.0f) * 65536u +
                               static_cast<std::uint32_t>(g * 255.0f) * 256u + static_cast<std::uint32_t>(b * 255.0f);
  for (LitMesh& mesh : pageObjects[item].meshes) {
    for (VertexAttribute& a : mesh.attributes) a.colour = colour;
  }
}

bool Chooser::Draw() {
  if (hasBackground && !Background()->Draw()) return false;
  for (std::uint16_t i = 0; i < pageObjectCount; ++i) {
    if (!pageObjects[i].Draw()) return false;
  }
  for (std::uint16_t i = 0; i < pagePanelCount; ++i) {
    if (!pagePanels[i].Draw()) return false;
  }
  return true;
}
