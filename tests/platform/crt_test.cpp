#include "platform/win32/crt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace {

std::vector<int> Draw(unsigned seed, int count) {
  crt::srand(seed);
  std::vector<int> out;
  for (int i = 0; i < count; ++i) out.push_back(crt::rand());
  return out;
}

TEST(CrtRand, RepeatsTheOriginalRuntimeSequence) {
  EXPECT_EQ(Draw(1, 5), (std::vector<int>{41, 18467, 6334, 26500, 19169}));
  EXPECT_EQ(Draw(12345, 6), (std::vector<int>{7584, 19164, 25795, 22125, 5828, 23405}));
  EXPECT_EQ(Draw(0xFFFFFFFFu, 4), (std::vector<int>{35, 29739, 3374, 11141}));
  // Long runs keep the state in 32 bits.
  EXPECT_EQ(Draw(1, 10000).back(), 18796);
  for (int v : Draw(7, 1000)) {
    EXPECT_GE(v, 0);
    EXPECT_LE(v, crt::RAND_MAX_VALUE);
  }
}

// ---- Game code never uses the host C library's generator -------------------

// Blanks out comments and string and character literals, keeping the lines.
std::string StripCommentsAndLiterals(const std::string& src) {
  std::string out = src;
  std::size_t i = 0;
  auto blank = [&](std::size_t from, std::size_t to) {
    for (std::size_t k = from; k < to && k < out.size(); ++k)
      if (out[k] != '\n') out[k] = ' ';
  };
  while (i < src.size()) {
    if (src.compare(i, 2, "//") == 0) {
      std::size_t end = src.find('\n', i);
      if (end == std::string::npos) end = src.size();
      blank(i, end);
      i = end;
    } else if (src.compare(i, 2, "/*") == 0) {
      std::size_t end = src.find("*/", i + 2);
      end = end == std::string::npos ? src.size() : end + 2;
      blank(i, end);
      i = end;
    } else if (src[i] == '"' || src[i] == '\'') {
      char quote = src[i];
      std::size_t j = i + 1;
      while (j < src.size() && src[j] != quote && src[j] != '\n') j += src[j] == '\\' ? 2 : 1;
      blank(i, j + 1);
      i = j + 1;
    } else {
      ++i;
    }
  }
  return out;
}

// Line numbers of calls to rand, srand, random, srandom or rand_r that are
// neither qualified with crt:: (or another class or namespace than std) nor
// member calls.
std::vector<int> HostRandomCalls(const std::string& source) {
  std::string code = StripCommentsAndLiterals(source);
  static const std::regex call(R"(\b(rand|srand|random|srandom|rand_r)\s*\()");
  std::vector<int> lines;
  for (auto it = std::sregex_iterator(code.begin(), code.end(), call); it != std::sregex_iterator(); ++it) {
    std::size_t pos = static_cast<std::size_t>(it->position());
    std::size_t p = pos;
    while (p > 0 && (code[p - 1] == ' ' || code[p - 1] == '\t')) --p;
    bool allowed = false;
    if (p > 0 && code[p - 1] == '.') allowed = true;
    if (p > 1 && code[p - 2] == '-' && code[p - 1] == '>') allowed = true;
    if (p > 1 && code[p - 2] == ':' && code[p - 1] == ':') {
      std::size_t q = p - 2;
      while (q > 0 && (code[q - 1] == ' ' || code[q - 1] == '\t')) --q;
      std::size_t end = q;
      while (q > 0 && (std::isalnum(static_cast<unsigned char>(code[q - 1])) || code[q - 1] == '_')) --q;
      std::string qualifier = code.substr(q, end - q);
      allowed = !qualifier.empty() && qualifier != "std";
    }
    if (!allowed) lines.push_back(1 + static_cast<int>(std::count(code.begin(), code.begin() + pos, '\n')));
  }
  return lines;
}

TEST(HostRandomScan, FindsTheCallsThatMatter) {
  struct Case {
    const char* code;
    std::vector<int> lines;
  };
  const std::vector<Case> cases = {
      {"int a = rand();", {1}},
      {"x;\nsrand(42);", {2}},
      {"int b = std::rand() % 6;", {1}},
      {"::srand (1);", {1}},
      {"long r = random();\nsrandom(3);", {1, 2}},
      {"int c = crt::rand();\ncrt::srand(5);", {}},
      {"int d = crt :: rand ();", {}},
      {"int e = noise.random();\nint f = gen->rand();", {}},
      {"int g = Grand(); int h = rand_seed(); int i = operand(1);", {}},
      {"// rand() is not for us\n/* srand(1) */ \"rand()\"; 'r';", {}},
      {"/* block\n  rand()\n*/ int j = rand();", {3}},
  };
  for (const Case& c : cases) EXPECT_EQ(HostRandomCalls(c.code), c.lines) << c.code;
}

TEST(HostRandomScan, GameCodeUsesOnlyTheRuntimeGenerator) {
  namespace fs = std::filesystem;
  const fs::path root = KELV_SOURCE_DIR;
  std::vector<std::string> found;
  int scanned = 0;
  for (const auto& top : fs::directory_iterator(root)) {
    std::string name = top.path().filename().string();
    if (!top.is_directory() || name == "platform" || name == "tests" || name.rfind("build", 0) == 0 ||
        name[0] == '.')
      continue;
    for (const auto& e : fs::recursive_directory_iterator(top.path())) {
      std::string ext = e.path().extension().string();
      if (!e.is_regular_file() ||
          (ext != ".cpp" && ext != ".h" && ext != ".hpp" && ext != ".cc" && ext != ".c" && ext != ".inl"))
        continue;
      std::ifstream in(e.path(), std::ios::binary);
      std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      ++scanned;
      for (int line : HostRandomCalls(text))
        found.push_back(fs::relative(e.path(), root).string() + ":" + std::to_string(line));
    }
  }
  EXPECT_GT(scanned, 0);
  for (const std::string& where : found) ADD_FAILURE() << where << ": use crt::rand()/crt::srand()";
}

}  // namespace
