#include "tools/ui_files.h"

namespace kelvdata {

void WriteUiString(ByteWriter* w, const UiString& s) {
  const std::uint32_t n = static_cast<std::uint32_t>(s.text.size() + (s.terminated ? 1 : 0));
  w->U32(s.length >= 0 ? static_cast<std::uint32_t>(s.length) : n);
  w->Raw(s.text.data(), s.text.size());
  if (s.terminated) w->U8(0);
}

Bytes BuildFnt(const FontFile& f) {
  ByteWriter w;
  w.U16(f.spare);
  for (const Glyph& g : f.glyphs) {
    w.F32(g.left);
    w.F32(g.top);
    w.F32(g.right);
    w.F32(g.bottom);
  }
  WriteUiString(&w, f.texture);
  return w.Take();
}

namespace {

void WriteSounds(ByteWriter* w, std::uint8_t spare, const std::vector<SoundEntry>& sounds, std::int32_t count) {
  w->U8(spare);
  w->U8(static_cast<std::uint8_t>(count >= 0 ? count : static_cast<std::int32_t>(sounds.size())));
  for (const SoundEntry& s : sounds) {
    w->U8(s.slot);
    WriteUiString(w, s.path);
  }
}

void Floats(ByteWriter* w, const float* v, int n) {
  for (int i = 0; i < n; ++i) w->F32(v[i]);
}

}  // namespace

Bytes BuildStaticTextBody(const StaticTextBody& b) {
  ByteWriter w;
  w.U8(b.yFromTop);
  w.U8(b.xFromLeft);
  w.U8(b.centreHorizontally);
  w.U8(b.centreVertically);
  w.U8(b.hasText);
  w.U16(b.font);
  Floats(&w, b.position, 3);
  Floats(&w, b.colour, 3);
  if (b.hasText) w.U32(b.textId);
  WriteSounds(&w, b.spare, b.sounds, b.soundCount);
  return w.Take();
}

Bytes BuildUiStaticText(const UiStaticTextFile& f) {
  ByteWriter w;
  w.U8(f.animated);
  w.U8(f.hasText);
  w.U16(f.font);
  Floats(&w, f.origin, 3);
  w.F32(f.advance);
  w.F32(f.height);
  Floats(&w, f.colour, 3);
  if (f.hasText) w.U32(f.textId);
  if (f.animated) {
    w.U8(0);
    WriteUiString(&w, f.animation);
  }
  WriteSounds(&w, 0, f.sounds, -1);
  return w.Take();
}

Bytes BuildEditText(std::uint32_t maxLength, const StaticTextBody& body) {
  ByteWriter w;
  w.U32(maxLength);
  w.Raw(BuildStaticTextBody(body));
  return w.Take();
}

Bytes BuildOsp(const PanelFile& f) {
  ByteWriter w;
  w.U8(f.yFromTop);
  w.U8(f.xFromLeft);
  w.U8(f.blend);
  WriteUiString(&w, f.texture);
  Floats(&w, f.position, 3);
  Floats(&w, f.size, 2);
  Floats(&w, f.colour, 3);
  for (int i = 0; i < 4; ++i) {
    w.F32(f.u[i]);
    w.F32(f.v[i]);
  }
  return w.Take();
}

Bytes BuildBackdrop(const BackdropFile& f) {
  ByteWriter w;
  for (std::uint8_t b : f.flags) w.U8(b);
  WriteUiString(&w, f.texture);
  w.F32(f.distanceAhead);
  w.F32(f.lowHeight);
  w.F32(f.highHeight);
  Floats(&w, f.size, 2);
  Floats(&w, f.colour, 3);
  Floats(&w, f.u, 4);
  Floats(&w, f.v, 4);
  return w.Take();
}

namespace {

std::uint16_t Count16(std::int32_t forced, std::size_t n) {
  return static_cast<std::uint16_t>(forced >= 0 ? forced : static_cast<std::int32_t>(n));
}

}  // namespace

Bytes BuildButton(const ButtonFile& f) {
  ByteWriter w;
  for (const UiString& t : f.textures) WriteUiString(&w, t);
  w.U8(f.blend);
  w.U8(f.highlightedAtStart);
  w.U8(f.toggle);
  w.U8(f.hasTooltip);
  w.U8(f.hasCaption);
  w.U8(f.radio);
  Floats(&w, f.position, 3);
  Floats(&w, f.size, 2);
  Floats(&w, f.colour, 3);
  Floats(&w, f.uv, 4);
  if (f.hasTooltip) {
    w.U8(0);
    w.U16(Count16(f.tooltipCount, f.tooltipLines.size()));
    for (std::uint32_t id : f.tooltipLines) w.U32(id);
  }
  if (f.hasCaption || f.toggle) {
    w.U8(0);
    if (f.hasCaption) w.Raw(BuildStaticTextBody(f.caption));
    if (f.toggle) {
      w.Raw(BuildStaticTextBody(f.offLabel));
      w.Raw(BuildStaticTextBody(f.onLabel));
    }
  }
  WriteSounds(&w, 0, f.sounds, f.soundCount);
  w.U8(0);
  w.U16(Count16(f.actionCount, f.actions.size()));
  for (const ButtonActionEntry& a : f.actions) {
    w.U16(a.id);
    w.U16(a.a1);
    w.U16(a.a2);
    WriteUiString(&w, a.text);
  }
  return w.Take();
}

Bytes BuildChooser(const ChooserFile& f) {
  ByteWriter w;
  w.U8(f.flag);
  w.U8(f.panelItems);
  if (!f.panelItems) Floats(&w, f.light, 3);
  w.U8(f.hasBackground);
  if (f.hasBackground) {
    WriteUiString(&w, f.background);
    if (!f.panelItems) w.U8(f.backgroundLit);
    Floats(&w, f.backgroundPosition, 3);
    Floats(&w, f.backgroundScale, 3);
  }
  w.U8(f.wrap);
  w.U16(Count16(f.itemCount, f.items.size()));
  w.U16(f.pageSize);
  for (const ChooserItemEntry& item : f.items) {
    w.U16(item.spare);
    if (!f.panelItems) w.U8(item.lit);
    WriteUiString(&w, item.path);
    Floats(&w, item.position, 3);
    Floats(&w, item.scale, 3);
  }
  return w.Take();
}

Bytes BuildProgressBar(const ProgressBarFile& f) {
  ByteWriter w;
  w.U8(f.horizontal);
  w.U8(f.screenBar);
  w.U8(f.animated);
  WriteUiString(&w, f.texture);
  Floats(&w, f.position, 3);
  Floats(&w, f.size, 2);
  Floats(&w, f.uv, 4);
  w.U16(f.value);
  if (!f.screenBar && f.animated) {
    w.U8(0);
    WriteUiString(&w, f.animation);
  }
  return w.Take();
}

Bytes BuildSlider(const SliderFile& f) {
  ByteWriter w;
  w.U16(Count16(f.itemCount, f.items.size()));
  for (std::uint32_t id : f.items) w.U32(id);
  Floats(&w, f.box, 4);
  w.Raw(BuildButton(f.track));
  w.Raw(BuildButton(f.thumb));
  w.Raw(BuildStaticTextBody(f.caption));
  w.Raw(BuildStaticTextBody(f.valueLabel));
  for (std::uint8_t layer : f.layers) w.U8(layer);
  w.U16(f.settingId);
  w.U16(f.variant);
  w.U16(f.spare);
  WriteUiString(&w, f.spareString);
  return w.Take();
}

Bytes BuildDialog(const DialogFile& f) {
  ByteWriter w;
  Floats(&w, f.box, 4);
  for (int list = 0; list < DIALOG_LIST_COUNT; ++list) {
    w.U16(Count16(f.counts[list], f.lists[list].size()));
    for (const DialogEntry& e : f.lists[list]) {
      w.U8(e.spare);
      WriteUiString(&w, e.path);
      Floats(&w, e.position, 3);
      Floats(&w, e.size, 3);
    }
  }
  return w.Take();
}

}  // namespace kelvdata
