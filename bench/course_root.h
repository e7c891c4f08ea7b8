// A game root for the benchmarks that ride the synthetic course: a temporary
// folder with the course in DATA\TRACK.BBF, opened, and the renderer open on
// the recording board for the course's textures.
#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "engine/archive.h"
#include "engine/display.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/system.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"
#include "tools/bbf.h"
#include "tools/track_course.h"

class CourseRoot {
 public:
  // `tag` names the temporary folder after the benchmark.
  explicit CourseRoot(const char* tag) {
    std::random_device rd;
    dir_ = std::filesystem::temp_directory_path() / ("kelv-bench-" + std::string(tag) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(dir_ / "DATA");
    platform::UseTestMessageBoxes(true);
    platform::UseGlideTestBackend(true);
    g_MainWindow = reinterpret_cast<HWND>(std::uintptr_t{1});
    GetProgramObject(PROGRAM_OBJECT_RENDERER).construct();
    GetProgramObject(PROGRAM_OBJECT_TEXTURE_MANAGER).construct();
    g_ScreenWidth = 640;
    g_ScreenHeight = 480;
    g_Renderer.Open();
    g_Renderer.AssignTextureSizeClasses(2);
    const std::string archive = (dir_ / "DATA" / "TRACK.BBF").string();
    kelvdata::WriteHostFile(archive, kelvdata::BuildBbf(kelvdata::CourseMembers()));
    g_TrackArchive.Open(archive.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
  }
  ~CourseRoot() {
    g_TrackArchive.Close();
    g_Renderer.Close();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  CourseRoot(const CourseRoot&) = delete;
  CourseRoot& operator=(const CourseRoot&) = delete;

 private:
  std::filesystem::path dir_;
};
