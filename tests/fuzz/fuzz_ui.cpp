// Fuzz target for the UI toolkit's readers: the first byte picks the font,
// static-text, UI static-text, edit-text, panel or backdrop reader, the rest
// is the file, a member of the UI archive beside a texture, an animation and
// a text database. The widget is then laid out, stepped and drawn on the
// recording Glide board. A load either succeeds without a box or fails with
// the reader's own error (a sound file that cannot be read adds the sound
// loader's box and is not a failure).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "engine/texture_manager.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"
#include "tests/support/fuzz_renderer.h"
#include "tests/support/fuzz_temp_file.h"
#include "tools/bbf.h"
#include "tools/object_files.h"
#include "tools/object_samples.h"
#include "tools/tdb.h"
#include "tools/tex.h"
#include "ui/backdrop.h"
#include "ui/edit_text.h"
#include "ui/font.h"
#include "ui/panel.h"
#include "ui/static_text.h"
#include "ui/ui_static_text.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct World : kelvtest::FuzzTempFile {
  kelvdata::Bytes texture;
  kelvdata::Bytes animation;
  kelvdata::Bytes texts;
  Font fonts[2];

  World() : FuzzTempFile("kelv-fuzz-ui", ".bbf") {
    kelvtest::OpenFuzzRenderer();
    g_Camera.position = Vector3(0.0f, 1.0f, -8.0f);
    g_Camera.LookAt(Vector3(0.0f, 0.0f, 0.0f));
    g_GeometryPipeline.SetupProjection();
    texture = kelvdata::BuildTex(64, 32, [](int x, int y) {
      return kelvdata::Rgb{static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 8), 90};
    });
    animation = kelvdata::BuildMeshAnimationFile(kelvdata::SampleSpin(2, 8));
    // Text 2 is long: the largest labels the readers may meet.
    texts = kelvdata::BuildTdb({"zero", "Label", std::string(3000, 'W')});
    for (Font& f : fonts) {
      for (int c = 32; c < 127; ++c) {
        f.left[c] = static_cast<float>(c - 32) / 128.0f;
        f.right[c] = f.left[c] + 1.0f / 128.0f;
        f.bottom[c] = 1.0f / 16.0f;
      }
    }
    g_Fonts = fonts;
    g_FontCount = 2;
  }
  ~World() { g_Renderer.Close(); }
};

bool OnlyErrorBox(const char* error) {
  for (const platform::MessageBoxCall& b : platform::RecordedMessageBoxes()) {
    if (b.text == error) return true;
  }
  return false;
}

bool NoBoxBut(const char* error) {
  for (const platform::MessageBoxCall& b : platform::RecordedMessageBoxes()) {
    if (b.text == error) return false;
  }
  return true;
}

void Step(SceneObject* o) {
  for (int mode = 0; mode <= 3; ++mode) {
    o->Update(40u * static_cast<unsigned>(mode) + 5u, mode);
    Check(o->Draw());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static World world;
  if (size < 1) return 0;
  const std::uint8_t reader = data[0] % 6;
  const kelvdata::Bytes file(data + 1, data + size);
  const kelvdata::Bytes archive = kelvdata::BuildBbf({{"FUZZ.BIN", file},
                                                      {"NEXT.BIN", kelvdata::Bytes(2048, 0x41)},
                                                      {"FUZZ.TEX", world.texture},
                                                      {"FUZZ.ANM", world.animation},
                                                      {"TEXTS.TDB", world.texts}});
  if (!kelvdata::WriteHostFile(world.path, archive)) return 0;
  Check(g_UiArchive.Open(world.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  Check(g_TextDatabase.Load("DATA\\UI\\TEXTS.TDB"));
  platform::ClearRecordedMessageBoxes();
  const char* path = "DATA\\UI\\FUZZ.BIN";
  switch (reader) {
    case 0: {
      Font f;
      const char* error = "File error opening font data.\nPlease reinstall Kelvarro.";
      if (f.Load(path)) Check(NoBoxBut(error));
      else Check(f.texture == 0);
      f.FreeTexture();
      break;
    }
    case 1: {
      StaticText t;
      const char* error = "File error opening static text data.\nPlease reinstall Kelvarro.";
      if (t.Load(path)) {
        Check(NoBoxBut(error) && t.font != nullptr);
        Check(t.textVertexCount == 6 * std::strlen(t.String()));
        t.StartFade(0.0f, 100, nullptr);
        Step(&t);
        t.SetColour(1.0f, 0.0f, 0.0f, 3, 4000);
      } else {
        Check(OnlyErrorBox(error) && t.sounds.empty());
      }
      break;
    }
    case 2: {
      UiStaticText t;
      if (t.Load(path)) {
        Check(t.vertexCount == 4 * std::strlen(t.String()));
        Step(&t);
      }
      break;
    }
    case 3: {
      EditText e;
      if (e.Load(path)) {
        Check(e.maxLength <= EDIT_TEXT_MAX_LENGTH);
        e.SetFocus(1);
        for (int c = 30; c < 140; ++c) e.InsertChar(static_cast<std::uint8_t>(c));
        Check(std::strlen(e.String()) <= EDIT_TEXT_MAX_LENGTH + 1);
        e.HitTest(320.0f, 240.0f);
        Step(&e);
      }
      break;
    }
    case 4: {
      Panel p;
      const char* error = "File error opening panel data.\nPlease reinstall Kelvarro.";
      if (p.Load(path)) {
        Check(NoBoxBut(error));
        p.StartFade(0.5f, 60, nullptr);
        Step(&p);
      }
      break;
    }
    default: {
      Backdrop b;
      if (b.Load(path)) Step(&b);
      break;
    }
  }
  platform::ClearGlideRecords();
  platform::ClearRecordedMessageBoxes();
  g_TextDatabase.Release();
  g_UiArchive.Close();
  return 0;
}
