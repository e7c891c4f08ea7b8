// A long list of pictures shown a page at a time (rider portraits, bikes,
// helmets): panels or 3D objects, each with its own place and scale. Only
// the current page's items are built. A page change fades the old 3D items
// out, rebuilds the page and fades the new ones in, 500 ms each way.
//
// File, little-endian (str = u32 n with the NUL, n bytes): u8 flag (no
// effect), u8 panel items; for 3D items 3 x f32 light direction; u8 has
// background and, when set, str path, [u8 lit: 3D items], 3 x f32 position,
// 3 x f32 scale; u8 wrap, u16 item count, u16 page size; per item u16
// spare, [u8 lit: 3D items], str path, 3 x f32 position, 3 x f32 scale.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/object3d.h"
#include "engine/scene_object.h"
#include "ui/panel.h"

constexpr std::uint32_t CHOOSER_PATH_SIZE = 256;
// Milliseconds of each half of a page change.
constexpr std::uint32_t CHOOSER_FADE_MS = 500;
// More items per page than any screen shows are refused: a page builds each
// of them from its file.
constexpr std::uint16_t CHOOSER_MAX_PAGE_SIZE = 64;

struct ChooserItem {
  char path[CHOOSER_PATH_SIZE];
  float position[3];
  float scale[3];
  std::uint8_t lit;
};

class Chooser : public SceneObject {
 public:
  Chooser();
  ~Chooser() override;

  bool Load(const char* path) override;
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;

  bool BuildPage();
  // Start an animated change; false while one runs or when there are no
  // pages.
  bool PreviousPage();
  bool NextPage();
  // Immediate; false past the last page.
  bool GoToPage(std::uint16_t p);
  // No animated page change runs.
  bool IsIdle() const { return !Changing(); }
  // Item `item` of the shown page in a colour: a panel's colour, or every
  // corner of a 3D item's meshes (alpha 255). Nothing past the item count.
  void SetItemColour(std::uint16_t item, float r, float g, float b);
  // Full pages only: items past the last full page never show.
  std::uint16_t PageCount() const { return pageSize ? static_cast<std::uint16_t>(itemCount / pageSize) : 0; }

  std::unique_ptr<ChooserItem[]> items;
  std::unique_ptr<Object3D[]> pageObjects;
  std::uint16_t pageObjectCount = 0;
  Object3D background;
  std::unique_ptr<Panel[]> pagePanels;
  std::uint16_t pagePanelCount = 0;
  Object3D panelBackground;
  char backgroundPath[CHOOSER_PATH_SIZE] = {};
  std::uint8_t hasBackground = 0;
  std::uint16_t itemCount = 0;
  std::uint16_t pageSize = 0;
  std::int16_t currentPage = 0;
  std::uint8_t flag = 0;
  std::uint8_t panelItems = 0;
  std::uint8_t wrap = 0;
  std::uint8_t changingBack = 0;
  std::uint8_t changingForward = 0;
  std::uint8_t settling = 0;

 private:
  Object3D* Background() { return panelItems ? &panelBackground : &background; }
  bool Changing() const { return changingBack || changingForward || settling; }
  void WhitenPage();
};

// The page-change timer, in ms, shared by all choosers.
extern std::uint32_t g_ChooserTimer;
