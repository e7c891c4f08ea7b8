// The registry over one text file.
//
// The file holds a section per key and a line per value:
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Ostrelmont\Kelvarro\1.00]
//   "Language"=dword:00000000
//   "CDPath"="D:\\"
//   @=hex:95,00,00,00            (the key's default value)
//   "Odd"=hex(1):41,42           (any other type or shape: hex(type))
//
// The file is the truth: it is read again whenever a key is opened or
// created and before every change, so the three programs see each other's
// writes. Players edit it by hand, so a change rewrites only the lines of the
// values it changes: comments, lines that do not parse and their order stay
// as they are. The file is then replaced atomically (temporary file in the
// target's folder, fsync, rename; a symlink is followed to its target and
// the target's mode kept); when that fails the change is dropped and the old
// file stays. Reading is defensive: lines that do not parse give missing
// values. A file that could not be read as a whole (too big, not a text
// file, unreadable) is never replaced.
#include "platform/win32/registry.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Limits of what the file may hold; anything beyond is damage and ignored.
constexpr std::size_t kMaxFileBytes = 4u << 20;
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxKeyDepth = 64;
constexpr std::size_t kMaxValueNameLength = 16383;
constexpr std::size_t kMaxValueBytes = 64u * 1024;

constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";
constexpr std::string_view kCurrentUser = "HKEY_CURRENT_USER";

struct Value {
  std::string name;  // "" is the default value
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct Key {
  std::string path;  // as first spelt: "HKEY_LOCAL_MACHINE\SOFTWARE\..."
  std::vector<Value> values;
};

// Keys by lower-cased path. A key exists when it is listed, when a listed key
// lies below it, or when it is one of the two roots.
using Model = std::map<std::string, Key>;

struct OpenKey {
  std::string path;
  REGSAM access;
};

enum class LineKind { Other, Section, Value };

// One line of the file as it stands, so that a change can keep it.
struct Line {
  std::string text;  // without its line end
  std::string end;   // "\n", "\r\n", or "" for a last line without one
  LineKind kind = LineKind::Other;
  std::string key;   // lower-cased key path of a section or value line
  std::string name;  // the value's name on a value line
};

struct Document {
  std::vector<Line> lines;
  Model model;  // what the lines say
};

struct Registry {
  std::mutex mutex;
  std::string fileOverride;
  bool loaded = false;
  // Why the file may not be replaced; empty when it may. Set when it exists
  // but could not be read as a whole.
  std::string refusal;
  std::string reported;  // the refusal last reported, so it is reported once
  Document doc;
  std::map<std::uintptr_t, OpenKey> handles;
  std::uintptr_t nextHandle = 0x1000;
  int injectedFailures = 0;
};

Registry& State() {
  static Registry registry;
  return registry;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Lower(c);
  return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

bool ValidName(std::string_view name, std::size_t maxLength) {
  if (name.size() > maxLength) return false;
  for (unsigned char c : name)
    if (IsControl(c)) return false;
  return true;
}

// Appends the components of `subKey` to `base`. False for an empty component,
// an overlong or unprintable name, or a path too deep.
bool JoinKeyPath(const std::string& base, std::string_view subKey, std::string* out) {
  std::string path = base;
  std::size_t depth = static_cast<std::size_t>(std::count(base.begin(), base.end(), '\\'));
  std::size_t start = 0;
  while (start <= subKey.size() && !subKey.empty()) {
    std::size_t end = subKey.find('\\', start);
    if (end == std::string_view::npos) end = subKey.size();
    std::string_view part = subKey.substr(start, end - start);
    if (part.empty() || !ValidName(part, kMaxKeyNameLength) || ++depth > kMaxKeyDepth) return false;
    path += '\\';
    path += part;
    start = end + 1;
  }
  *out = std::move(path);
  return true;
}

// The key at `path`, listed now if it was not; keeps its first spelling.
Key& KeyFor(Model& model, const std::string& path) {
  Key& key = model[LowerCase(path)];
  if (key.path.empty()) key.path = path;
  return key;
}

bool KeyExists(const Model& model, const std::string& path) {
  std::string lower = LowerCase(path);
  if (lower.find('\\') == std::string::npos) return true;  // a root
  if (model.count(lower)) return true;
  std::string prefix = lower + '\\';
  auto it = model.lower_bound(prefix);
  return it != model.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

Value* FindValue(Key& key, std::string_view name) {
  for (Value& v : key.values)
    if (EqualNoCase(v.name, name)) return &v;
  return nullptr;
}

// ---- Reading the file -----------------------------------------------------

void SkipBlanks(std::string_view* s) {
  while (!s->empty() && ((*s)[0] == ' ' || (*s)[0] == '\t')) s->remove_prefix(1);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses 1..8 hex digits at `*s` (and moves past them).
bool ParseHex32(std::string_view* s, DWORD* out) {
  DWORD v = 0;
  std::size_t n = 0;
  while (n < s->size() && HexDigit((*s)[n]) >= 0) {
    if (n == 8) return false;
    v = (v << 4) | static_cast<DWORD>(HexDigit((*s)[n]));
    ++n;
  }
  if (n == 0) return false;
  *out = v;
  s->remove_prefix(n);
  return true;
}

// A quoted text with \\ and \" escapes; moves past the closing quote.
bool ParseQuoted(std::string_view* s, std::size_t maxLength, std::string* out) {
  if (s->empty() || (*s)[0] != '"') return false;
  std::string text;
  std::size_t i = 1;
  for (;;) {
    if (i >= s->size()) return false;
    char c = (*s)[i++];
    if (c == '"') break;
    if (c == '\\') {
      if (i >= s->size()) return false;
      c = (*s)[i++];
      if (c != '\\' && c != '"') return false;
    } else if (IsControl(static_cast<unsigned char>(c))) {
      return false;
    }
    if (text.size() == maxLength) return false;
    text += c;
  }
  s->remove_prefix(i);
  *out = std::move(text);
  return true;
}

// "hh,hh,..." to the end of the text (possibly empty).
bool ParseHexBytes(std::string_view s, std::vector<BYTE>* out) {
  std::vector<BYTE> bytes;
  SkipBlanks(&s);
  if (s.empty()) {
    out->clear();
    return true;
  }
  for (;;) {
    int hi = s.size() >= 1 ? HexDigit(s[0]) : -1;
    int lo = s.size() >= 2 ? HexDigit(s[1]) : -1;
    if (hi < 0 || lo < 0 || bytes.size() == kMaxValueBytes) return false;
    bytes.push_back(static_cast<BYTE>(hi * 16 + lo));
    s.remove_prefix(2);
    SkipBlanks(&s);
    if (s.empty()) break;
    if (s[0] != ',') return false;
    s.remove_prefix(1);
    SkipBlanks(&s);
  }
  *out = std::move(bytes);
  return true;
}

bool ConsumePrefix(std::string_view* s, std::string_view prefix) {
  if (s->size() < prefix.size() || !EqualNoCase(s->substr(0, prefix.size()), prefix)) return false;
  s->remove_prefix(prefix.size());
  return true;
}

bool ParseValueLine(std::string_view line, Value* out) {
  Value v;
  if (!line.empty() && line[0] == '@') {
    line.remove_prefix(1);
  } else if (!ParseQuoted(&line, kMaxValueNameLength, &v.name)) {
    return false;
  }
  SkipBlanks(&line);
  if (line.empty() || line[0] != '=') return false;
  line.remove_prefix(1);
  SkipBlanks(&line);

  if (ConsumePrefix(&line, "dword:")) {
    DWORD d;
    if (!ParseHex32(&line, &d) || !line.empty()) return false;
    v.type = REG_DWORD;
    v.data = {static_cast<BYTE>(d), static_cast<BYTE>(d >> 8), static_cast<BYTE>(d >> 16),
              static_cast<BYTE>(d >> 24)};
  } else if (!line.empty() && line[0] == '"') {
    std::string text;
    if (!ParseQuoted(&line, kMaxValueBytes - 1, &text) || !line.empty()) return false;
    v.type = REG_SZ;
    v.data.assign(text.begin(), text.end());
    v.data.push_back(0);
  } else if (ConsumePrefix(&line, "hex:")) {
    v.type = REG_BINARY;
    if (!ParseHexBytes(line, &v.data)) return false;
  } else if (ConsumePrefix(&line, "hex(")) {
    if (!ParseHex32(&line, &v.type) || !ConsumePrefix(&line, "):")) return false;
    if (!ParseHexBytes(line, &v.data)) return false;
  } else {
    return false;
  }
  *out = std::move(v);
  return true;
}

// "[ROOT\path]": the key's path, root spelt as we spell it.
bool ParseSectionLine(std::string_view line, std::string* path) {
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  std::string_view inner = line.substr(1, line.size() - 2);
  std::size_t slash = inner.find('\\');
  std::string_view root = inner.substr(0, slash);
  std::string base;
  if (EqualNoCase(root, kLocalMachine)) base = kLocalMachine;
  else if (EqualNoCase(root, kCurrentUser)) base = kCurrentUser;
  else return false;
  if (slash == std::string_view::npos) {
    *path = base;
    return true;
  }
  std::string_view rest = inner.substr(slash + 1);
  if (rest.empty()) return false;
  return JoinKeyPath(base, rest, path);
}

Document Parse(std::string_view text) {
  Document doc;
  Key* current = nullptr;
  bool first = true;
  while (!text.empty()) {
    std::size_t nl = text.find('\n');
    Line entry;
    std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    if (nl != std::string_view::npos) {
      entry.end = "\n";
      if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
        entry.end = "\r\n";
      }
    }
    entry.text = line;
    // The byte-order mark some editors put at the head of a text file is no
    // part of the first line; it stays in the file as it was.
    if (first && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    first = false;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
      line.remove_suffix(1);
    SkipBlanks(&line);
    if (!line.empty() && line[0] == '[') {
      std::string path;
      current = nullptr;
      if (ParseSectionLine(line, &path)) {
        current = &KeyFor(doc.model, path);
        entry.kind = LineKind::Section;
        entry.key = LowerCase(path);
      }
    } else if (!line.empty() && line[0] != ';' && line[0] != '#') {
      Value v;
      if (current && ParseValueLine(line, &v)) {
        entry.kind = LineKind::Value;
        entry.key = LowerCase(current->path);
        entry.name = v.name;
        if (Value* old = FindValue(*current, v.name)) *old = std::move(v);
        else current->values.push_back(std::move(v));
      }
    }
    doc.lines.push_back(std::move(entry));
  }
  return doc;
}

// ---- Writing the file -----------------------------------------------------

std::string Quote(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

bool IsPlainText(const std::vector<BYTE>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i)
    if (data[i] < 0x20 || data[i] > 0x7e) return false;
  return true;
}

std::string FormatData(const Value& v) {
  char buf[32];
  if (v.type == REG_DWORD && v.data.size() == 4) {
    DWORD d = static_cast<DWORD>(v.data[0]) | static_cast<DWORD>(v.data[1]) << 8 |
              static_cast<DWORD>(v.data[2]) << 16 | static_cast<DWORD>(v.data[3]) << 24;
    std::snprintf(buf, sizeof buf, "dword:%08x", d);
    return buf;
  }
  if (v.type == REG_SZ && IsPlainText(v.data))
    return Quote(std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1));
  std::string out;
  if (v.type == REG_BINARY) {
    out = "hex:";
  } else {
    std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
    out = buf;
  }
  for (std::size_t i = 0; i < v.data.size(); ++i) {
    std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", v.data[i]);
    out += buf;
  }
  return out;
}

std::string Serialize(const Document& doc) {
  std::string out;
  for (const Line& line : doc.lines) {
    out += line.text;
    out += line.end;
  }
  return out;
}

// New lines end as the file's lines do.
std::string LineEnd(const Document& doc) {
  for (const Line& line : doc.lines)
    if (!line.end.empty()) return line.end;
  return "\n";
}

// Inserts a line at `at`, giving the line before it an end when it had none.
void InsertLine(Document* doc, std::size_t at, Line line) {
  std::string end = LineEnd(*doc);
  if (at > 0 && doc->lines[at - 1].end.empty()) doc->lines[at - 1].end = end;
  line.end = end;
  doc->lines.insert(doc->lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

Line CommentLine(std::string text) {
  Line line;
  line.text = std::move(text);
  return line;
}

void AppendSection(Document* doc, const std::string& path) {
  if (doc->lines.empty()) {
    InsertLine(doc, 0, CommentLine("; Kelvarro configuration, shared by kelvsetup and the games."));
    InsertLine(doc, 1,
               CommentLine("; \"Name\"=dword:0000001e  \"Name\"=\"text\" (\\\\ and \\\")  \"Name\"=hex:95,00,00,00"));
  }
  InsertLine(doc, doc->lines.size(), Line{});
  Line section;
  section.text = "[" + path + "]";
  section.kind = LineKind::Section;
  section.key = LowerCase(path);
  InsertLine(doc, doc->lines.size(), std::move(section));
}

std::string ValueLineText(const Value& v) {
  return (v.name.empty() ? std::string("@") : Quote(v.name)) + '=' + FormatData(v);
}

bool IsValueLine(const Line& line, const std::string& key, std::string_view name) {
  return line.kind == LineKind::Value && line.key == key && EqualNoCase(line.name, name);
}

// Writes `v` into the key at `path`: over the line that gives the value now
// (the last one), else after the last value of the key's last section, else
// in a new section at the end. Every other line stays as it is.
void SetValueLine(Document* doc, const std::string& path, const Value& v) {
  const std::string key = LowerCase(path);
  std::vector<Line>& lines = doc->lines;
  for (std::size_t i = lines.size(); i-- > 0;) {
    if (IsValueLine(lines[i], key, v.name)) {
      std::size_t indent = lines[i].text.find_first_not_of(" \t");
      lines[i].text = lines[i].text.substr(0, indent == std::string::npos ? 0 : indent) + ValueLineText(v);
      lines[i].name = v.name;
      return;
    }
  }
  std::size_t section = lines.size();
  for (std::size_t i = lines.size(); i-- > 0;) {
    if (lines[i].kind == LineKind::Section && lines[i].key == key) {
      section = i;
      break;
    }
  }
  if (section == lines.size()) {
    AppendSection(doc, path);
    section = lines.size() - 1;
  }
  // The section ends at the next line that opens one, even one that does not parse.
  std::size_t at = section + 1;
  for (std::size_t i = section + 1; i < lines.size(); ++i) {
    std::size_t first = lines[i].text.find_first_not_of(" \t");
    if (first != std::string::npos && lines[i].text[first] == '[') break;
    if (lines[i].kind == LineKind::Value) at = i + 1;
  }
  InsertLine(doc, at, {ValueLineText(v), "", LineKind::Value, key, v.name});
}

LONG ErrorFromErrno(int err) {
  switch (err) {
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    default:
      return ERROR_WRITE_FAULT;
  }
}

bool WriteAll(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

std::string DefaultFile() {
  const char* config = std::getenv("KELVARRO_CONFIG");
  if (config && *config) return config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/kelvarro/registry.txt";
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* pw = getpwuid(getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  if (home && *home) return std::string(home) + "/.config/kelvarro/registry.txt";
  return "kelvarro-registry.txt";
}

std::string FilePath(const Registry& r) { return r.fileOverride.empty() ? DefaultFile() : r.fileOverride; }

// The file a symlink at `path` finally stands for (`path` itself when it is
// no symlink), so that a write replaces the target and keeps the link.
std::filesystem::path FollowLinks(std::filesystem::path path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    std::error_code ec;
    std::filesystem::path target = std::filesystem::read_symlink(path, ec);
    if (ec) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path;
}

// Temporary files are named "<file>.tmp-<pid>-XXXXXX". One whose writer is
// gone was left by a killed write; the writers that still run keep theirs.
std::string TemporaryPrefix(const std::filesystem::path& target) { return target.filename().string() + ".tmp-"; }

void RemoveStaleTemporaries(const std::filesystem::path& target) {
  std::filesystem::path dir = target.parent_path();
  const std::string prefix = TemporaryPrefix(target);
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return;
  std::vector<std::string> stale;
  while (dirent* e = ::readdir(d)) {
    std::string_view name = e->d_name;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    std::string_view rest = name.substr(prefix.size());
    // "<file>.tmp-XXXXXX" without a pid: left by a build that did not name its pid.
    auto alnum = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
    if (rest.size() == 6 && std::all_of(rest.begin(), rest.end(), alnum)) {
      stale.emplace_back(name);
      continue;
    }
    std::size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') ++digits;
    if (digits == 0 || digits > 9 || rest.size() != digits + 7 || rest[digits] != '-') continue;
    pid_t pid = static_cast<pid_t>(std::stol(std::string(rest.substr(0, digits))));
    if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    stale.emplace_back(name);
  }
  ::closedir(d);
  for (const std::string& name : stale) ::unlink((dir / name).c_str());
}

// Replaces the file with `content`: all of it or nothing.
LONG ReplaceFile(Registry& r, const std::string& content) {
  std::filesystem::path path = FollowLinks(FilePath(r));
  std::filesystem::path dir = path.parent_path();
  if (!dir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
  }
  RemoveStaleTemporaries(path);
  std::string tmp = (dir / TemporaryPrefix(path)).string() + std::to_string(::getpid()) + "-XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) return ErrorFromErrno(errno);
  struct stat st;
  ::fchmod(fd, ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);

  int err = 0;
  if (r.injectedFailures > 0) {
    // A disk that fills up half way through.
    --r.injectedFailures;
    WriteAll(fd, content.data(), content.size() / 2);
    err = ENOSPC;
  } else if (!WriteAll(fd, content.data(), content.size()) || ::fsync(fd) != 0) {
    err = errno;
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(tmp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(tmp.c_str());
    return ErrorFromErrno(err);
  }
  // Make the rename itself durable.
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return ERROR_SUCCESS;
}

void Load(Registry& r) {
  r.loaded = true;
  r.refusal.clear();
  r.doc = Document{};
  std::string path = FilePath(r);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT && errno != ENOTDIR)
      r.refusal = std::string("it cannot be read (") + std::strerror(errno) + ")";
    return;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    r.refusal = "it is not a regular file";
    ::close(fd);
    return;
  }
  std::string text;
  char buf[16384];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      r.refusal = std::string("it cannot be read (") + std::strerror(errno) + ")";
      break;
    }
    if (n == 0) break;
    if (text.size() + static_cast<std::size_t>(n) > kMaxFileBytes) {
      // Far too big to be ours: nothing in it counts, and it stays.
      r.refusal = "it is larger than 4 MiB";
      break;
    }
    text.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (!r.refusal.empty()) return;
  // What parses still counts, but a file with NUL bytes is not one we could
  // rewrite line by line without losing what it holds.
  if (text.find('\0') != std::string::npos) r.refusal = "it holds NUL bytes, so it is not a text file";
  r.doc = Parse(text);
}

void EnsureLoaded(Registry& r) {
  if (!r.loaded) Load(r);
}

// Reads the file again, applies `change` to a copy of its lines and writes
// them; the program's view changes only when the file was replaced.
template <typename Change>
LONG Modify(Registry& r, Change change) {
  Load(r);
  if (!r.refusal.empty()) {
    std::string line = "Kelvarro: the configuration file " + FilePath(r) + " is left unchanged: " + r.refusal;
    if (line != r.reported) {
      std::fprintf(stderr, "%s\n", line.c_str());
      std::fflush(stderr);
      r.reported = line;
    }
    return ERROR_ACCESS_DENIED;
  }
  r.reported.clear();
  Document next = r.doc;
  LONG result = change(next);
  if (result != ERROR_SUCCESS) return result;
  std::string text = Serialize(next);
  result = ReplaceFile(r, text);
  if (result == ERROR_SUCCESS) r.doc = Parse(text);
  return result;
}

// The path and access behind a handle.
bool Resolve(Registry& r, HKEY key, OpenKey* out) {
  if (key == HKEY_LOCAL_MACHINE) {
    *out = {std::string(kLocalMachine), KEY_ALL_ACCESS};
    return true;
  }
  if (key == HKEY_CURRENT_USER) {
    *out = {std::string(kCurrentUser), KEY_ALL_ACCESS};
    return true;
  }
  auto it = r.handles.find(reinterpret_cast<std::uintptr_t>(key));
  if (it == r.handles.end()) return false;
  *out = it->second;
  return true;
}

HKEY NewHandle(Registry& r, const std::string& path, REGSAM access) {
  std::uintptr_t id = r.nextHandle;
  r.nextHandle += 4;
  r.handles[id] = {path, access};
  return reinterpret_cast<HKEY>(id);
}

}  // namespace

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD, REGSAM access, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Registry& r = State();
  std::lock_guard lock(r.mutex);
  OpenKey base;
  if (!Resolve(r, key, &base)) return ERROR_INVALID_HANDLE;
  std::string path;
  if (!JoinKeyPath(base.path, subKey ? subKey : "", &path)) return ERROR_FILE_NOT_FOUND;
  Load(r);
  if (!KeyExists(r.doc.model, path)) return ERROR_FILE_NOT_FOUND;
  *result = NewHandle(r, path, access);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD, char*, DWORD, REGSAM access, void*, HKEY* result,
                     DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Registry& r = State();
  std::lock_guard lock(r.mutex);
  OpenKey base;
  if (!Resolve(r, key, &base)) return ERROR_INVALID_HANDLE;
  std::string path;
  if (!JoinKeyPath(base.path, subKey ? subKey : "", &path)) return ERROR_INVALID_PARAMETER;
  Load(r);
  DWORD how = REG_OPENED_EXISTING_KEY;
  if (!KeyExists(r.doc.model, path)) {
    // Listing the deepest key brings every missing level above it into being.
    LONG created = Modify(r, [&](Document& d) {
      if (!KeyExists(d.model, path)) AppendSection(&d, path);
      return ERROR_SUCCESS;
    });
    if (created != ERROR_SUCCESS) return created;
    how = REG_CREATED_NEW_KEY;
  }
  if (disposition) *disposition = how;
  *result = NewHandle(r, path, access);
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size) {
  if (reserved || (data && !size)) return ERROR_INVALID_PARAMETER;
  Registry& r = State();
  std::lock_guard lock(r.mutex);
  OpenKey k;
  if (!Resolve(r, key, &k)) return ERROR_INVALID_HANDLE;
  if (!(k.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  EnsureLoaded(r);
  auto it = r.doc.model.find(LowerCase(k.path));
  if (it == r.doc.model.end()) return ERROR_FILE_NOT_FOUND;
  const Value* v = FindValue(it->second, name ? name : "");
  if (!v) return ERROR_FILE_NOT_FOUND;
  DWORD n = static_cast<DWORD>(v->data.size());
  if (type) *type = v->type;
  if (!data) {
    if (size) *size = n;
    return ERROR_SUCCESS;
  }
  if (*size < n) {
    *size = n;
    return ERROR_MORE_DATA;
  }
  if (n) std::memcpy(data, v->data.data(), n);
  *size = n;
  return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  if ((!data && size) || size > kMaxValueBytes) return ERROR_INVALID_PARAMETER;
  std::string valueName = name ? name : "";
  if (!ValidName(valueName, kMaxValueNameLength)) return ERROR_INVALID_PARAMETER;
  Registry& r = State();
  std::lock_guard lock(r.mutex);
  OpenKey k;
  if (!Resolve(r, key, &k)) return ERROR_INVALID_HANDLE;
  if (!(k.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  return Modify(r, [&](Document& d) {
    Value v{valueName, type, std::vector<BYTE>(data, data + size)};
    std::string path = k.path;
    auto it = d.model.find(LowerCase(k.path));
    if (it != d.model.end()) {
      path = it->second.path;  // keeps the spellings the file has
      if (const Value* old = FindValue(it->second, valueName)) v.name = old->name;
    }
    SetValueLine(&d, path, v);
    return ERROR_SUCCESS;
  });
}

LONG RegDeleteValueA(HKEY key, const char* name) {
  Registry& r = State();
  std::lock_guard lock(r.mutex);
  OpenKey k;
  if (!Resolve(r, key, &k)) return ERROR_INVALID_HANDLE;
  if (!(k.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::string valueName = name ? name : "";
  return Modify(r, [&](Document& d) -> LONG {
    // Every line of the value goes: an earlier one would otherwise come back.
    const std::string lower = LowerCase(k.path);
    auto& lines = d.lines;
    auto gone = std::remove_if(lines.begin(), lines.end(),
                               [&](const Line& line) { return IsValueLine(line, lower, valueName); });
    if (gone == lines.end()) return ERROR_FILE_NOT_FOUND;
    lines.erase(gone, lines.end());
    return ERROR_SUCCESS;
  });
}

LONG RegFlushKey(HKEY key) {
  // Every change is already on disk when its call returns.
  Registry& r = State();
  std::lock_guard lock(r.mutex);
  OpenKey k;
  return Resolve(r, key, &k) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegCloseKey(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  Registry& r = State();
  std::lock_guard lock(r.mutex);
  return r.handles.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

namespace platform {

void SetRegistryFile(const std::string& hostPath) {
  Registry& r = State();
  std::lock_guard lock(r.mutex);
  r.fileOverride = hostPath;
  r.loaded = false;
  r.refusal.clear();
  r.reported.clear();
  r.doc = Document{};
}

std::string RegistryFile() {
  Registry& r = State();
  std::lock_guard lock(r.mutex);
  return FilePath(r);
}

void InjectRegistryWriteFailures(int count) {
  Registry& r = State();
  std::lock_guard lock(r.mutex);
  r.injectedFailures = count > 0 ? count : 0;
}

}  // namespace platform
