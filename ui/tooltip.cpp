#include "ui/tooltip.h"

#include <cmath>
#include <new>

#include "engine/cursor.h"
#include "engine/data_reader.h"
#include "engine/display.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/text_database.h"
#include "ui/widget_io.h"

using ui_internal::ReportError;

namespace {

constexpr std::uint32_t kLineSize = 256;
constexpr int kMargin = 10;

}  // namespace

Tooltip::Tooltip() = default;

Tooltip::~Tooltip() = default;

bool Tooltip::LoadLines(DataReader* r, const char* fileError) {
  std::uint16_t count = 0;
  if (!r->U16(&count) || count > TOOLTIP_MAX_LINES || static_cast<std::uint64_t>(count) * 4 > r->Remaining()) {
    ReportError(fileError);
    return false;
  }
  lines.reset();
  lineTexts.reset();
  lineCount = 0;
  if (count != 0) {
    lines.reset(new (std::nothrow) StaticText[count]);
    lineTexts.reset(new (std::nothrow) char[kLineSize * count]);
    if (!lines || !lineTexts) {
      lines.reset();
      lineTexts.reset();
      ReportError(ui_internal::NO_MEMORY_ERROR);
      return false;
    }
  }
  lineCount = count;
  for (std::uint16_t i = 0; i < count; ++i) {
    char* text = lineTexts.get() + kLineSize * i;
    text[0] = '\0';
    if (!lines[i].Load("DATA\\UI\\NAME.STX")) {
      ReportError(ui_internal::NO_MEMORY_ERROR);
      return false;
    }
    std::uint32_t id = 0;
    if (!r->U32(&id)) {
      ReportError(fileError);
      return false;
    }
    ui_internal::CopyTruncated(text, kLineSize, g_TextDatabase.Text(id));
    if (!lines[i].SetText(text)) {
      ReportError(ui_internal::NO_MEMORY_ERROR);
      return false;
    }
  }
  if (!background.Load("DATA\\UI\\TIPBACK.OSP")) return false;
  background.SetScale(width, height, 0.0f);
  background.SetColour(0.5f, 0.5f, 0.5f);
  background.SetAlpha(0.5f);
  Layout();
  return true;
}

int Tooltip::LineHeight() const { return lineCount ? static_cast<int>(lines[0].textHeight) : 0; }

void Tooltip::SetLine(std::uint16_t i, float x, float y) {
  lines[i].SetPosition(x, y, 0.0f);
  lines[i].SetText(LineText(i));
}

void Tooltip::Layout() {
  background.SetPosition(boxX, boxY, 0.0f);
  float widest = 0.0f;
  for (std::uint16_t i = 0; i < lineCount; ++i) widest = std::fmax(widest, lines[i].textWidth);
  const int h = LineHeight();
  width = static_cast<std::uint16_t>(static_cast<int>(widest) + 10);
  height = static_cast<std::uint16_t>(
      static_cast<int>(static_cast<float>(lineCount ? lines[0].textHeight : 0.0f) * lineCount + 10.0f));
  for (std::uint16_t i = 0; i < lineCount; ++i) {
    lines[i].SetAnchors(1, 1);
    lines[i].SetScale(1.0f, 1.0f, 1.0f);
    if (i == 0) lines[i].SetColour(1.0f, 0.77647f, 0.098039f, 0, 0);
    else lines[i].SetColour(1.0f, 1.0f, 1.0f, 0, 0);
    lines[i].SetPosition(static_cast<float>(boxX + 5), static_cast<float>(boxY - 2 + i * h), 0.0f);
    if (!lines[i].SetText(LineText(i))) return;
  }
}

void Tooltip::Show() {
  if (lineCount == 0) return;
  shown = 1;
  animating = 1;
  const int w = width;
  const int h = height;
  Vector3 p(0.0f, 0.0f, 0.0f);
  if (g_Cursor.IsMousePresent()) g_Cursor.GetPosition(&p);
  const bool onOwner = p.x >= ownerLeft && p.x <= ownerRight && p.y >= ownerTop && p.y <= ownerBottom;
  if (g_Cursor.IsMousePresent() && onOwner) {
    const float px = p.x * 640.0f / static_cast<float>(g_ScreenWidth);
    const float py = p.y * 480.0f / static_cast<float>(g_ScreenHeight);
    int x = px - static_cast<float>(w) >= kMargin ? static_cast<int>(px) - w : kMargin;
    if (x + w > 639) x = 640 - w;
    int y = py - static_cast<float>(h) >= kMargin ? static_cast<int>(py) - h : kMargin;
    if (y + h > 479) y = 480 - h;
    boxX = static_cast<std::uint16_t>(x);
    boxY = static_cast<std::uint16_t>(y);
    background.SetPosition(static_cast<float>(x), static_cast<float>(y), 0.0f);
    // Kept: these line positions differ from the ones Layout gives.
    const int step = (h - 5 * lineCount - 1) / lineCount + 5;
    for (std::uint16_t i = 0; i < lineCount; ++i)
      SetLine(i, static_cast<float>(x + 5), static_cast<float>(y + 5 + i * step));
    return;
  }
  const int c = ownerLeft + (ownerRight - ownerLeft) / 2;
  int x = c - w;
  if (x < kMargin) x = kMargin;
  if (x + w > 639) x = 640 - w;
  int y = ownerTop - h;
  if (y < kMargin) y = kMargin;
  if (y + h > 479) y = 480 - h;
  boxX = static_cast<std::uint16_t>(x);
  boxY = static_cast<std::uint16_t>(y);
  Layout();
}

void Tooltip::Hide() {
  shown = 0;
  animating = 1;
}

bool Tooltip::Update(unsigned ms, int mode) {
  if (animating) {
    float b = animationTime / TOOLTIP_GROW_SECONDS;
    if (!shown) b = 1.0f - b;
    const int w = static_cast<int>(b * width);
    const int h = static_cast<int>(b * height);
    background.SetPosition(static_cast<float>(boxX + width - w), static_cast<float>(boxY + height - h), 0.0f);
    background.SetScale(static_cast<float>(w), static_cast<float>(h), 0.0f);
    animationTime += g_FrameTime;
    if (animationTime > TOOLTIP_GROW_SECONDS) {
      animating = 0;
      animationTime = 0.0f;
      if (shown) {
        background.SetPosition(boxX, boxY, 0.0f);
        background.SetScale(width, height, 0.0f);
      }
    }
  }
  background.Update(ms, mode);
  for (std::uint16_t i = 0; i < lineCount; ++i) lines[i].Update(ms, mode);
  return true;
}

bool Tooltip::Draw() {
  if (animating || shown) background.Draw();
  g_Renderer.SetAlphaBlendEnable(true);
  g_Renderer.SetTextureFilter(true);
  g_Renderer.SetSrcBlend(BLEND_ONE);
  g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
  if (shown && !animating) {
    for (std::uint16_t i = 0; i < lineCount; ++i) {
      lines[i].SetAlpha(0.7f);
      lines[i].Draw();
    }
  }
  return true;
}
