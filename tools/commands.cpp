#include "tools/commands.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "tools/bbf.h"
#include "tools/cd_image.h"
#include "tools/dataset.h"
#include "tools/movie.h"
#include "tools/net_records.h"
#include "tools/seeds.h"
#include "tools/tdb.h"
#include "tools/ui_samples.h"

namespace kelvdata {

namespace {

namespace fs = std::filesystem;

// The length field of a text counts its NUL.
constexpr std::size_t kMaxTextBytes = 0xFFFF - 1;

void PrintUsage(std::FILE* to) {
  std::fputs(
      "usage: kelvdata COMMAND ARGUMENTS\n"
      "  kelvdata bbf OUT NAME=FILE...  write the archive OUT holding each FILE as the member NAME:\n"
      "                                 a file name with its extension and no folder, at most\n"
      "                                 259 characters, each name once without regard to case\n"
      "  kelvdata tdb OUT TEXT...       write the text database OUT; text n is the n-th TEXT,\n"
      "                                 at most 65534 bytes each\n"
      "  kelvdata font OUT.FNT OUT.TEX FACE PIXELS TEXPATH\n"
      "                                 rasterise the DejaVu face FACE at PIXELS (4 to 64) into the\n"
      "                                 font OUT.FNT and its texture OUT.TEX, which the font names\n"
      "                                 as TEXPATH (shorter than 256 bytes)\n"
      "  kelvdata cd OUT.CUE            write the game's CD as a disc image: the cue sheet OUT.CUE\n"
      "                                 and its image beside it, named like it with \".bin\"\n"
      "  kelvdata dataset DIR           write the synthetic data set into the game folder DIR\n"
      "  kelvdata movie OUT [SECONDS]   write a movie of flat colours and a tone (MPEG-1 video,\n"
      "                                 MP2 sound), SECONDS long (more than 0, at most 600; 3)\n"
      "  kelvdata seed KIND DIR         write the seed files of a fuzz target into the folder DIR;\n"
      "                                 KIND is bbf, tdb, qdv, tex, sfx, act, anim, ui, movie,\n"
      "                                 cue, track, dialog, sky, rider, rlt, plt, svd, scene, flt,\n"
      "                                 riderstate, rpy, race, loadpic, dplay or netmsg\n"
      "  kelvdata scene-action FILE ID A1 A2 TEXT\n"
      "                                 add the command ID (A1, A2, TEXT) to the end of the start\n"
      "                                 actions of the UI scene file FILE; ID, A1 and A2 0 to 65535\n"
      "  kelvdata help                  show this help\n",
      to);
}

int BadArguments(std::FILE* err, const std::string& why) {
  if (!why.empty()) std::fprintf(err, "kelvdata: %s\n", why.c_str());
  PrintUsage(err);
  return 2;
}

int Refuse(std::FILE* err, const std::string& why) {
  std::fprintf(err, "kelvdata: %s\n", why.c_str());
  return 1;
}

std::string ErrnoText(int e, const char* fallback) { return e ? std::strerror(e) : fallback; }

// Reads a whole regular file; `limit` bounds its size so that no file larger
// than an archive can hold is read into memory.
bool ReadInput(const std::string& path, std::uint64_t limit, Bytes* out, std::string* why) {
  std::error_code ec;
  fs::file_status st = fs::status(path, ec);
  if (st.type() == fs::file_type::not_found) {
    *why = "cannot read " + path + ": it does not exist";
    return false;
  }
  if (ec) {
    *why = "cannot read " + path + ": " + ec.message();
    return false;
  }
  if (fs::is_directory(st)) {
    *why = path + " is a folder, not a file";
    return false;
  }
  if (!fs::is_regular_file(st)) {
    *why = path + " is not a regular file";
    return false;
  }
  std::uintmax_t size = fs::file_size(path, ec);
  if (ec) {
    *why = "cannot read " + path + ": " + ec.message();
    return false;
  }
  if (size > limit) {
    *why = path + " is too large for an archive (the game reads archives of at most 2 GiB less one byte)";
    return false;
  }
  errno = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *why = "cannot read " + path + ": " + ErrnoText(errno, "cannot open it");
    return false;
  }
  out->assign(static_cast<std::size_t>(size), 0);
  std::size_t got = size ? std::fread(out->data(), 1, out->size(), f) : 0;
  bool ok = got == out->size() && !std::ferror(f) && std::fgetc(f) == EOF;
  int e = errno;
  std::fclose(f);
  if (!ok) {
    *why = "cannot read " + path + ": " + ErrnoText(e, "it changed while it was read");
    return false;
  }
  return true;
}

// Writes `bytes` to `path` through a temporary file beside it, so that a
// failed write leaves what was there before.
bool WriteOutput(const std::string& path, const Bytes& bytes, std::string* why) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    *why = "cannot write " + path + ": it is a folder";
    return false;
  }
  fs::path parent = fs::path(path).parent_path();
  if (!parent.empty() && !fs::is_directory(parent, ec)) {
    fs::create_directories(parent, ec);
    if (ec) {
      *why = "cannot create the folder " + parent.string() + ": " + ec.message();
      return false;
    }
  }
  const std::string tmp = path + ".kelvdata-tmp";
  errno = 0;
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) {
    *why = "cannot write " + path + ": " + ErrnoText(errno, "cannot create it");
    return false;
  }
  bool ok = (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size()) && std::fflush(f) == 0;
  int e = errno;
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    e = errno;
  }
  if (ok) {
    fs::rename(tmp, path, ec);
    if (ec) {
      ok = false;
      e = ec.value();
    }
  }
  if (!ok) {
    fs::remove(tmp, ec);
    *why = "cannot write " + path + ": " + ErrnoText(e, "the write failed");
    return false;
  }
  return true;
}

// The folder that a command writes into, created when missing.
bool PrepareFolder(const std::string& dir, std::string* why) {
  std::error_code ec;
  if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) {
    *why = dir + " is not a folder";
    return false;
  }
  fs::create_directories(dir, ec);
  if (ec) {
    *why = "cannot create the folder " + dir + ": " + ec.message();
    return false;
  }
  return true;
}

int Bbf(int argc, const char* const* argv, std::FILE* err) {
  const std::string out = argv[2];
  std::vector<BbfMember> members;
  std::uint64_t size = BBF_FILE_HEADER_BYTES;
  for (int i = 3; i < argc; ++i) {
    const char* eq = std::strchr(argv[i], '=');
    if (!eq) return BadArguments(err, "\"" + std::string(argv[i]) + "\" is not NAME=FILE");
    BbfMember m;
    m.name.assign(argv[i], static_cast<std::size_t>(eq - argv[i]));
    std::string why = BbfNameProblem(m.name);
    if (!why.empty()) return Refuse(err, why);
    size += BBF_MEMBER_HEADER_BYTES;
    if (!ReadInput(eq + 1, size <= BBF_MAX_FILE_SIZE ? BBF_MAX_FILE_SIZE - size : 0, &m.data, &why))
      return Refuse(err, why);
    size += m.data.size();
    members.push_back(std::move(m));
  }
  std::string why = BbfArchiveProblem(members);
  if (!why.empty()) return Refuse(err, why);
  if (!WriteOutput(out, BuildBbf(members), &why)) return Refuse(err, why);
  return 0;
}

int Tdb(int argc, const char* const* argv, std::FILE* err) {
  std::vector<std::string> texts(argv + 3, argv + argc);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].size() > kMaxTextBytes)
      return Refuse(err, "text " + std::to_string(i) + " has " + std::to_string(texts[i].size()) +
                             " bytes; a text holds at most " + std::to_string(kMaxTextBytes));
  }
  std::string why;
  if (!WriteOutput(argv[2], BuildTdb(texts), &why)) return Refuse(err, why);
  return 0;
}

int DataSet(const std::string& dir, std::FILE* err) {
  std::string why;
  if (!PrepareFolder(dir, &why)) return Refuse(err, why);
  errno = 0;
  if (!WriteDataSet(dir))
    return Refuse(err, "cannot write the data set into " + dir + ": " + ErrnoText(errno, "a write failed"));
  return 0;
}

int Seed(const std::string& kind, const std::string& dir, std::FILE* err) {
  bool (*writer)(const std::string&) = nullptr;
  if (kind == "bbf") writer = WriteBbfSeeds;
  else if (kind == "tdb") writer = WriteTdbSeeds;
  else if (kind == "qdv") writer = WriteQdvSeeds;
  else if (kind == "tex") writer = WriteTexSeeds;
  else if (kind == "sfx") writer = WriteSfxSeeds;
  else if (kind == "act") writer = WriteActSeeds;
  else if (kind == "anim") writer = WriteAnimSeeds;
  else if (kind == "ui") writer = WriteUiSeeds;
  else if (kind == "movie") writer = WriteMovieSeeds;
  else if (kind == "cue") writer = WriteCueSeeds;
  else if (kind == "track") writer = WriteTrackSeeds;
  else if (kind == "dialog") writer = WriteDialogSeeds;
  else if (kind == "sky") writer = WriteSkySeeds;
  else if (kind == "rider") writer = WriteRiderSeeds;
  else if (kind == "rlt") writer = WriteRltSeeds;
  else if (kind == "plt") writer = WritePltSeeds;
  else if (kind == "svd") writer = WriteSvdSeeds;
  else if (kind == "scene") writer = WriteSceneSeeds;
  else if (kind == "flt") writer = WriteFltSeeds;
  else if (kind == "riderstate") writer = WriteRiderStateSeeds;
  else if (kind == "rpy") writer = WriteReplaySeeds;
  else if (kind == "race") writer = WriteRaceSeeds;
  else if (kind == "loadpic") writer = WriteLoadingPictureSeeds;
  else if (kind == "dplay") writer = WriteDplaySeeds;
  else if (kind == "netmsg") writer = WriteNetMessageSeeds;
  else return BadArguments(err, "unknown seed kind \"" + kind + "\"");
  std::string why;
  if (!PrepareFolder(dir, &why)) return Refuse(err, why);
  errno = 0;
  if (!writer(dir))
    return Refuse(err, "cannot write the seed files into " + dir + ": " + ErrnoText(errno, "a write failed"));
  return 0;
}

int Font(const char* const* argv, std::FILE* err) {
  const int pixels = std::atoi(argv[5]);
  if (pixels < 4 || pixels > 64) return Refuse(err, "PIXELS must be 4 to 64");
  if (std::strlen(argv[6]) + 1 > 256) return Refuse(err, "TEXPATH must be shorter than 256 bytes");
  RasterFont raster;
  std::string why;
  if (!RasteriseFont(argv[4], pixels, &raster, &why)) return Refuse(err, why);
  if (!WriteOutput(argv[2], FontFileFor(raster, argv[6]), &why)) return Refuse(err, why);
  if (!WriteOutput(argv[3], raster.tex, &why)) return Refuse(err, why);
  return 0;
}

int Movie(const char* out, const char* seconds, std::FILE* err) {
  MovieSpec spec;
  if (seconds != nullptr) {
    char* end = nullptr;
    spec.seconds = std::strtod(seconds, &end);
    if (end == seconds || *end != '\0' || !(spec.seconds > 0.0) || spec.seconds > 600.0)
      return BadArguments(err, "the length must be more than 0 and at most 600 seconds");
  }
  Bytes movie;
  std::string why;
  if (!BuildMovie(spec, &movie, &why)) return Refuse(err, "cannot encode the movie: " + why);
  if (!WriteOutput(out, movie, &why)) return Refuse(err, why);
  return 0;
}

int Cd(const std::string& cue, std::FILE* err) {
  // The image goes beside the cue sheet, under the cue sheet's name.
  const std::string base = fs::path(cue).filename().string();
  const std::size_t dot = base.find_last_of('.');
  const std::string bin = (dot == std::string::npos ? base : base.substr(0, dot)) + ".bin";
  errno = 0;
  if (!WriteCdImage(cue, bin, GameCdImage(bin)))
    return Refuse(err, "cannot write the disc image " + cue + ": " + ErrnoText(errno, "a write failed"));
  return 0;
}

// A u16 argument of a command line.
bool ParseU16(const char* text, std::uint16_t* out) {
  char* end = nullptr;
  errno = 0;
  const unsigned long v = std::strtoul(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || v > 0xFFFF || text[0] == '-') return false;
  *out = static_cast<std::uint16_t>(v);
  return true;
}

// Walks a UI scene file as the scene loader reads it, up to the start
// actions: false when the file ends before the walk does.
class SceneWalker {
 public:
  explicit SceneWalker(const Bytes& b) : b_(b) {}
  bool Skip(std::size_t n) {
    if (n > b_.size() - at_) return false;
    at_ += n;
    return true;
  }
  bool U8(std::uint8_t* v) {
    if (!Skip(1)) return false;
    *v = b_[at_ - 1];
    return true;
  }
  bool U16(std::uint16_t* v) {
    if (!Skip(2)) return false;
    *v = static_cast<std::uint16_t>(b_[at_ - 2] | (b_[at_ - 1] << 8));
    return true;
  }
  bool String() {
    if (!Skip(4)) return false;
    const std::uint32_t n = b_[at_ - 4] | (b_[at_ - 3] << 8) | (b_[at_ - 2] << 16) | (std::uint32_t{b_[at_ - 1]} << 24);
    return Skip(n);
  }
  // Entries of a list: a u8, a name and six floats each.
  bool Entries(std::uint16_t count) {
    for (std::uint16_t i = 0; i < count; ++i) {
      if (!Skip(1) || !String() || !Skip(24)) return false;
    }
    return true;
  }
  std::size_t At() const { return at_; }

 private:
  const Bytes& b_;
  std::size_t at_ = 0;
};

int SceneAction(const char* const* argv, std::FILE* err) {
  const std::string path = argv[2];
  std::uint16_t numbers[3];
  for (int i = 0; i < 3; ++i) {
    if (!ParseU16(argv[3 + i], &numbers[i])) return BadArguments(err, "ID, A1 and A2 must be numbers 0 to 65535");
  }
  const std::string text = argv[6];
  if (text.size() > kMaxTextBytes) return Refuse(err, "TEXT is too long");
  Bytes scene;
  std::string why;
  // Scene files are small; a limit keeps a wrong path from filling memory.
  if (!ReadInput(path, 16u << 20, &scene, &why)) return Refuse(err, why);
  SceneWalker w(scene);
  std::uint8_t movie = 0, spare = 0;
  std::uint16_t count = 0;
  bool ok = w.U8(&movie) && (movie != 0 || w.String()) && w.U16(&count);
  for (std::uint16_t i = 0; ok && i < count; ++i) ok = w.String();
  for (int list = 0; ok && list < 9; ++list) ok = w.U16(&count) && w.Entries(count);  // 8 widget lists, the objects
  ok = ok && w.U8(&spare);
  const std::size_t countAt = w.At();
  ok = ok && w.U16(&count);
  for (std::uint16_t i = 0; ok && i < count; ++i) ok = w.Skip(6) && w.String();
  if (!ok) return Refuse(err, path + " is not a UI scene file: it ends too early");
  if (count == 0xFFFF) return Refuse(err, path + " holds as many start actions as a scene file can");
  ByteWriter action;
  for (std::uint16_t v : numbers) action.U16(v);
  action.U32(static_cast<std::uint32_t>(text.size() + 1));
  action.Raw(text.data(), text.size());
  action.U8(0);
  scene.insert(scene.begin() + static_cast<std::ptrdiff_t>(w.At()), action.Data().begin(), action.Data().end());
  ++count;
  scene[countAt] = static_cast<std::uint8_t>(count);
  scene[countAt + 1] = static_cast<std::uint8_t>(count >> 8);
  if (!WriteOutput(path, scene, &why)) return Refuse(err, why);
  return 0;
}

}  // namespace

int RunCommand(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  if (argc < 2) return BadArguments(err, "");
  const std::string cmd = argv[1];
  if (cmd == "help" || cmd == "--help" || cmd == "-h") {
    PrintUsage(out);
    return 0;
  }
  bool known = cmd == "bbf" || cmd == "tdb" || cmd == "dataset" || cmd == "seed" || cmd == "font" ||
               cmd == "movie" || cmd == "cd" || cmd == "scene-action";
  if (!known) return BadArguments(err, "unknown command \"" + cmd + "\"");
  const int wanted = cmd == "seed" ? 4 : cmd == "font" || cmd == "scene-action" ? 7 : 3;
  bool countOk = cmd == "bbf" || cmd == "tdb" ? argc >= wanted
                 : cmd == "movie"                ? argc == 3 || argc == 4
                                                 : argc == wanted;
  if (!countOk) return BadArguments(err, "wrong number of arguments for \"" + cmd + "\"");
  if (cmd == "scene-action") {
    if (!*argv[2]) return BadArguments(err, "the scene file name is empty");
    return SceneAction(argv, err);
  }
  // An empty name would write into the current folder, or nowhere.
  const char* target = argv[wanted - 1];
  if (!*target) {
    return BadArguments(err, cmd == "bbf" || cmd == "tdb" || cmd == "movie" || cmd == "cd"
                                 ? "the output file name is empty"
                                                          : "the folder name is empty");
  }
  if (cmd == "font") {
    for (int i = 2; i < 4; ++i) {
      if (!*argv[i]) return BadArguments(err, "the output file name is empty");
    }
    return Font(argv, err);
  }
  if (cmd == "cd") return Cd(argv[2], err);
  if (cmd == "movie") return Movie(argv[2], argc == 4 ? argv[3] : nullptr, err);
  if (cmd == "bbf") return Bbf(argc, argv, err);
  if (cmd == "tdb") return Tdb(argc, argv, err);
  if (cmd == "dataset") return DataSet(argv[2], err);
  return Seed(argv[2], argv[3], err);
}

}  // namespace kelvdata
