// kelvdata: writes the game's data files.
//
//   kelvdata seed <bbf|tdb|qdv|act|anim|movie> DIR  seed files for a fuzz target
//   kelvdata seed tex DIR           seed files for the texture reader
//   kelvdata bbf OUT NAME=FILE...   an archive of the given files
//   kelvdata tdb OUT TEXT...        a text database of the given texts
//   kelvdata dataset DIR            the synthetic data set in a game root
//   kelvdata movie OUT [SECONDS]    a movie of flat colours and a tone (.MPG)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/bbf.h"
#include "tools/dataset.h"
#include "tools/movie.h"
#include "tools/seeds.h"
#include "tools/tdb.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: kelvdata seed <bbf|tdb|qdv|act|anim|movie> DIR\n"
               "       kelvdata seed tex DIR\n"
               "       kelvdata bbf OUT NAME=FILE...\n"
               "       kelvdata dataset DIR\n"
               "       kelvdata movie OUT [SECONDS]\n"
               "       kelvdata tdb OUT TEXT...\n");
  return 2;
}

bool ReadHostFile(const std::string& path, kelvdata::Bytes* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

int WriteMovie(const char* out, const char* seconds) {
  kelvdata::MovieSpec spec;
  if (seconds != nullptr) {
    char* end = nullptr;
    spec.seconds = std::strtod(seconds, &end);
    if (end == seconds || *end != '\0' || !(spec.seconds > 0.0) || spec.seconds > 600.0) {
      std::fprintf(stderr, "kelvdata: the length must be more than 0 and at most 600 seconds\n");
      return 2;
    }
  }
  kelvdata::Bytes movie;
  std::string error;
  if (!kelvdata::BuildMovie(spec, &movie, &error)) {
    std::fprintf(stderr, "kelvdata: cannot encode the movie: %s\n", error.c_str());
    return 1;
  }
  return kelvdata::WriteHostFile(out, movie) ? 0 : 1;
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
    else if (kind == "movie") ok = kelvdata::WriteMovieSeeds(argv[3]);
    else return Usage();
    return ok ? 0 : 1;
  }
  if (cmd == "dataset" && argc == 3) return kelvdata::WriteDataSet(argv[2]) ? 0 : 1;
  if (cmd == "movie" && argc <= 4) return WriteMovie(argv[2], argc == 4 ? argv[3] : nullptr);
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
