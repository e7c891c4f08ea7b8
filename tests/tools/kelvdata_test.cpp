#include "tools/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "tests/support/game_root.h"
#include "tools/bbf.h"
#include "tools/scene_files.h"
#include "tools/tdb.h"

namespace {

namespace fs = std::filesystem;
using kelvdata::Bytes;

struct Result {
  int status;
  std::string out;
  std::string err;
};

std::string Drain(std::FILE* f) {
  std::string s;
  std::rewind(f);
  for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
  std::fclose(f);
  return s;
}

class KelvdataTest : public kelvtest::GameRootTest {
 protected:
  Result Run(const std::vector<std::string>& args) {
    std::vector<const char*> argv = {"kelvdata"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    int status = kelvdata::RunCommand(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, Drain(out), Drain(err)};
  }
  Bytes Slurp(const std::string& relative) const {
    std::ifstream in(Host(relative), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(root_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST_F(KelvdataTest, HelpListsEveryCommandWithItsArguments) {
  Result help = Run({"help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* line : {"kelvdata bbf OUT NAME=FILE...", "kelvdata tdb OUT TEXT...", "kelvdata dataset DIR",
                           "kelvdata seed KIND DIR", "bbf, tdb, qdv, tex, sfx, act, anim, ui, movie,",
                           "cue, track, dialog, sky, rider, rlt, plt, svd, scene, flt", "riderstate, rpy, race, loadpic, dplay or netmsg", "kelvdata cd OUT.CUE",
                           "kelvdata movie OUT [SECONDS]",
                           "kelvdata font OUT.FNT OUT.TEX FACE PIXELS TEXPATH", "kelvdata scene-action FILE ID A1 A2 TEXT",
                           "kelvdata help"})
    EXPECT_NE(help.out.find(line), std::string::npos) << line;

  // Bad arguments get the same list on standard error and a status of 2.
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {}, {"pack"}, {"bbf"}, {"dataset"}, {"dataset", "a", "b"}, {"seed", "bbf"}, {"seed", "zip", "dir"}}) {
    Result r = Run(bad);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(bad);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(help.out), std::string::npos) << r.err;
  }
  EXPECT_TRUE(Entries().empty()) << "bad arguments write nothing";
}

TEST_F(KelvdataTest, WritesAnArchiveTheGameOpens) {
  Put("in/a.tex", Text("first"));
  Put("in/empty.bin", {});
  const std::string longest(kelvdata::BBF_MAX_NAME_LENGTH, 'N');
  Result r = Run({"bbf", "data/ui.bbf", "_CUROBJ.TEX=in/a.tex", longest + "=in/empty.bin"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(Slurp("data/ui.bbf"), kelvdata::BuildBbf({{"_CUROBJ.TEX", Text("first")}, {longest, {}}}));

  BbfArchive archive;
  ASSERT_TRUE(archive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  EXPECT_TRUE(archive.FindMember("_curobj.tex"));
  EXPECT_TRUE(archive.FindMember(longest.c_str()));
}

// Everything the game's archive reader would refuse, and every input or
// output that cannot be used, is refused with its reason, and an archive
// already at OUT stays as it was.
TEST_F(KelvdataTest, RefusesArchivesTheGameWouldRefuse) {
  Put("in/a.tex", Text("first"));
  Put("in/folder/inside.bin", Text("x"));
  Put("blocker", Text("a file where a folder is needed"));
  const std::string tooLong(kelvdata::BBF_MAX_NAME_LENGTH + 1, 'N');
  struct Case {
    const char* what;
    std::vector<std::string> args;
    int status;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"a folder as a member", {"bbf", "out.bbf", "X.BIN=in/folder"}, 1, "is a folder"},
      {"a missing file", {"bbf", "out.bbf", "X.BIN=in/missing"}, 1, "does not exist"},
      {"a name of 260 characters", {"bbf", "out.bbf", tooLong + "=in/a.tex"}, 1, "at most 259"},
      {"an empty name", {"bbf", "out.bbf", "=in/a.tex"}, 1, "empty"},
      {"a name with a folder", {"bbf", "out.bbf", "DATA\\UI\\A.TEX=in/a.tex"}, 1, "folder"},
      {"names equal but for case", {"bbf", "out.bbf", "A.TEX=in/a.tex", "a.tex=in/a.tex"}, 1, "same name"},
      {"no NAME=FILE", {"bbf", "out.bbf", "in/a.tex"}, 2, "NAME=FILE"},
      {"an empty output name", {"bbf", "", "A.TEX=in/a.tex"}, 2, "empty"},
      {"output is a folder", {"bbf", "in", "A.TEX=in/a.tex"}, 1, "is a folder"},
      {"output folder cannot be made", {"bbf", "blocker/out.bbf", "A.TEX=in/a.tex"}, 1, "cannot create the folder"},
      {"an overlong text", {"tdb", "out.bbf", "ok", std::string(65535, 't')}, 1, "at most 65534"},
      {"an empty data-set folder", {"dataset", ""}, 2, "folder name is empty"},
      {"a data-set folder that is a file", {"dataset", "blocker"}, 1, "not a folder"},
      {"an empty seed folder", {"seed", "bbf", ""}, 2, "folder name is empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put("out.bbf", Text("old"));
    const auto before = Entries();
    Result r = Run(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err.rfind("kelvdata: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    EXPECT_EQ(Slurp("out.bbf"), Text("old"));
    EXPECT_EQ(Entries(), before) << "nothing else is written";
  }

  // The game refuses these archives too, when they are written regardless.
  for (const std::vector<kelvdata::BbfMember>& members : std::vector<std::vector<kelvdata::BbfMember>>{
           {{"A.TEX", Text("1")}, {"a.tex", Text("2")}}, {{tooLong, Text("1")}}}) {
    EXPECT_NE(kelvdata::BbfArchiveProblem(members), "");
    Put("bad.bbf", kelvdata::BuildBbf(members));
    BbfArchive archive;
    EXPECT_FALSE(archive.Open("bad.bbf", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  }
}

TEST_F(KelvdataTest, WritesTextDatabasesAndDataSets) {
  Result r = Run({"tdb", "texts/gametxt0.tdb", "Start race", "", std::string(65534, 't')});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Slurp("texts/gametxt0.tdb"), kelvdata::BuildTdb({"Start race", "", std::string(65534, 't')}));

  r = Run({"dataset", "game"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* file : {"game/DATA/UI.BBF", "game/DATA/MISC.BBF", "game/DATA/TRACK.BBF", "game/DATA/QDV.BIN"})
    EXPECT_TRUE(fs::is_regular_file(Host(file))) << file;
}

TEST_F(KelvdataTest, AddsAStartActionToASceneFile) {
  // A screen with something in every list, and a movie scene (whose movie
  // follows the actions).
  kelvdata::SceneFile screen;
  screen.background = "DATA\\UI\\MENU.PIC";
  screen.fonts = {"DATA\\UI\\FONT1.FNT", "DATA\\UI\\FONT2.FNT"};
  for (int l = 0; l < kelvdata::SCENE_LIST_COUNT; ++l) {
    kelvdata::SceneWidgetEntry e;
    e.path = "DATA\\UI\\W" + std::to_string(l) + ".BTN";
    e.position[0] = static_cast<float>(l);
    screen.lists[l] = {e, e};
  }
  kelvdata::SceneObjectEntry object;
  object.path = "DATA\\UI\\BIKE.ACT";
  screen.objects = {object};
  screen.actions = {{5, 1, 0, "NULL"}};
  screen.focusList = "DATA\\UI\\00.FLT";
  kelvdata::SceneFile movie;
  movie.hasMovie = 1;
  movie.movie = "DATA\\MOVIES\\INTRO.MPG";
  movie.focusList = "DATA\\UI\\NONE.FLT";

  for (kelvdata::SceneFile scene : {screen, movie}) {
    SCOPED_TRACE(scene.hasMovie ? "movie" : "screen");
    Put("ui/scene.scn", kelvdata::BuildScene(scene));
    Result r = Run({"scene-action", "ui/scene.scn", "34", "65535", "0", "RAIN"});
    ASSERT_EQ(r.status, 0) << r.err;
    scene.actions.push_back({34, 65535, 0, "RAIN"});
    EXPECT_EQ(Slurp("ui/scene.scn"), kelvdata::BuildScene(scene));
  }

  // A file that ends early, or bad numbers: refused, the file unchanged.
  const Bytes whole = kelvdata::BuildScene(screen);
  struct Case {
    const char* what;
    Bytes file;
    std::vector<std::string> args;
    int status;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"a file cut in its actions", Bytes(whole.begin(), whole.end() - 30), {"34", "1", "0", "NULL"}, 1,
       "not a UI scene file"},
      {"an empty file", {}, {"34", "1", "0", "NULL"}, 1, "not a UI scene file"},
      {"a negative number", whole, {"34", "-1", "0", "NULL"}, 2, "0 to 65535"},
      {"too large a number", whole, {"65536", "1", "0", "NULL"}, 2, "0 to 65535"},
      {"no number", whole, {"34", "1", "x", "NULL"}, 2, "0 to 65535"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put("ui/scene.scn", c.file);
    std::vector<std::string> args = {"scene-action", "ui/scene.scn"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Result r = Run(args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    EXPECT_EQ(Slurp("ui/scene.scn"), c.file);
  }
}

}  // namespace
