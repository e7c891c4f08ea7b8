#include "tools/scene_files.h"

namespace kelvdata {

namespace {

void Count(ByteWriter* w, std::int32_t given, std::size_t actual) {
  w->U16(static_cast<std::uint16_t>(given >= 0 ? static_cast<std::size_t>(given) : actual));
}

void Floats(ByteWriter* w, const float (&v)[3]) {
  for (float f : v) w->F32(f);
}

}  // namespace

Bytes BuildScene(const SceneFile& f) {
  ByteWriter w;
  w.U8(f.hasMovie);
  if (!f.hasMovie) WriteUiString(&w, f.background);
  Count(&w, f.fontCount, f.fonts.size());
  for (const UiString& font : f.fonts) WriteUiString(&w, font);
  for (int l = 0; l < SCENE_LIST_COUNT; ++l) {
    Count(&w, f.listCounts[l], f.lists[l].size());
    for (const SceneWidgetEntry& e : f.lists[l]) {
      w.U8(e.unused);
      WriteUiString(&w, e.path);
      Floats(&w, e.position);
      Floats(&w, e.scale);
    }
  }
  Count(&w, f.objectCount, f.objects.size());
  for (const SceneObjectEntry& o : f.objects) {
    w.U8(o.kind);
    WriteUiString(&w, o.path);
    Floats(&w, o.position);
    Floats(&w, o.scale);
  }
  w.U8(f.spare);
  Count(&w, f.actionCount, f.actions.size());
  for (const SceneActionEntry& a : f.actions) {
    w.U16(a.id);
    w.U16(a.a1);
    w.U16(a.a2);
    WriteUiString(&w, a.text);
  }
  if (f.hasMovie) {
    w.U8(f.movieSpare);
    WriteUiString(&w, f.movie);
  }
  WriteUiString(&w, f.focusList);
  return w.Take();
}

Bytes BuildBackground(std::uint16_t width, std::uint16_t height, const Bytes& rgb) {
  ByteWriter w;
  w.U16(width);
  w.U16(height);
  w.Raw(rgb);
  return w.Take();
}

Bytes BuildFlt(const std::vector<FocusFileEntry>& entries, std::int32_t count) {
  ByteWriter w;
  Count(&w, count, entries.size());
  for (const FocusFileEntry& e : entries) {
    w.U8(e.kind);
    w.U16(e.index);
  }
  return w.Take();
}

}  // namespace kelvdata
