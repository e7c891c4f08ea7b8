// kelvdata: writes the game's data files.
//
//   kelvdata seed <bbf|tdb|qdv|act|anim|cue> DIR  seed files for a fuzz target
//   kelvdata seed tex DIR           seed files for the texture reader
//   kelvdata bbf OUT NAME=FILE...   an archive of the given files
//   kelvdata tdb OUT TEXT...        a text database of the given texts
//   kelvdata dataset DIR            the synthetic data set in a game root
//   kelvdata cd OUT.CUE             the game's CD as a BIN/CUE disc image
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/bbf.h"
#include "tools/cd_image.h"
#include "tools/dataset.h"
#include "tools/seeds.h"
#include "tools/tdb.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: kelvdata seed <bbf|tdb|qdv|act|anim|cue> DIR\n"
               "       kelvdata seed tex DIR\n"
               "       kelvdata bbf OUT NAME=FILE...\n"
               "       kelvdata dataset DIR\n"
               "       kelvdata cd OUT.CUE\n"
               "       kelvdata tdb OUT TEXT...\n");
  return 2;
}

bool ReadHostFile(const std::string& path, kelvdata::Bytes* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string cmd = argv[1];
  if (cmd == "seed" && argc == 4) {
    std::string kind = argv[2];
    bool ok = false;
    if (kind == "bbf") ok = kelvdata::WriteBbfSeeds(argv[3]);
    else if (kind == "tdb") ok = kelvdata::WriteTdbSeeds(argv[3]);
    else if (kind == "qdv") ok = kelvdata::WriteQdvSeeds(argv[3]);
    else if (kind == "tex") ok = kelvdata::WriteTexSeeds(argv[3]);
    else if (kind == "sfx") ok = kelvdata::WriteSfxSeeds(argv[3]);
    else if (kind == "act") ok = kelvdata::WriteActSeeds(argv[3]);
    else if (kind == "anim") ok = kelvdata::WriteAnimSeeds(argv[3]);
    else if (kind == "cue") ok = kelvdata::WriteCueSeeds(argv[3]);
    else return Usage();
    return ok ? 0 : 1;
  }
  if (cmd == "dataset" && argc == 3) return kelvdata::WriteDataSet(argv[2]) ? 0 : 1;
  if (cmd == "cd" && argc == 3) {
    // The image goes beside the cue sheet, under the cue sheet's name.
    const std::string cue = argv[2];
    const std::size_t slash = cue.find_last_of('/');
    const std::string base = cue.substr(slash == std::string::npos ? 0 : slash + 1);
    const std::size_t dot = base.find_last_of('.');
    const std::string bin = (dot == std::string::npos ? base : base.substr(0, dot)) + ".bin";
    return kelvdata::WriteCdImage(cue, bin, kelvdata::GameCdImage(bin)) ? 0 : 1;
  }
  if (cmd == "bbf") {
    std::vector<kelvdata::BbfMember> members;
    for (int i = 3; i < argc; ++i) {
      const char* eq = std::strchr(argv[i], '=');
      if (!eq) return Usage();
      kelvdata::BbfMember m;
      m.name.assign(argv[i], static_cast<std::size_t>(eq - argv[i]));
      if (!ReadHostFile(eq + 1, &m.data)) {
        std::fprintf(stderr, "kelvdata: cannot read %s\n", eq + 1);
        return 1;
      }
      members.push_back(std::move(m));
    }
    return kelvdata::WriteHostFile(argv[2], kelvdata::BuildBbf(members)) ? 0 : 1;
  }
  if (cmd == "tdb") {
    std::vector<std::string> texts(argv + 3, argv + argc);
    return kelvdata::WriteHostFile(argv[2], kelvdata::BuildTdb(texts)) ? 0 : 1;
  }
  return Usage();
}
