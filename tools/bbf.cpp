#include "tools/bbf.h"

#include <string>
#include <unordered_map>

#include "tools/seeds.h"

namespace kelvdata {

Bytes BuildBbf(const std::vector<BbfMember>& members) {
  ByteWriter w;
  // File header: magic "BBFA", u32 size of the file header (8).
  w.Raw("BBFA", 4);
  w.U32(8);
  for (const BbfMember& m : members) {
    std::size_t headerOffset = w.Size();
    // Member header, 540 bytes.
    w.U32(540);                                               // 0: size of the member header
    w.FixedString(m.name, 260);                               // 4: name, NUL-terminated, zero-filled
    w.U32(4);                                                 // 264: always 4
    w.U32(static_cast<std::uint32_t>(headerOffset + 540));    // 268: absolute offset of the data
    w.U32(static_cast<std::uint32_t>(m.data.size()));         // 272: data size
    w.U32(0);                                                 // 276: always 0
    w.U8(0);                                                  // 280: always 0
    w.Zeros(259);                                             // 281: zero
    w.Raw(m.data);
  }
  return w.Take();
}

std::string BbfNameProblem(const std::string& name) {
  if (name.empty()) return "the member name is empty";
  if (name.size() > BBF_MAX_NAME_LENGTH)
    return "the member name \"" + name + "\" has " + std::to_string(name.size()) +
           " characters; an archive holds names of at most " + std::to_string(BBF_MAX_NAME_LENGTH);
  if (name.find('\0') != std::string::npos) return "the member name holds a NUL byte";
  // The game finds a member by the file-name part of a data path only.
  if (name.find_first_of("\\/") != std::string::npos)
    return "the member name \"" + name + "\" holds a folder; a member is named by its file name and extension only";
  return {};
}

std::string BbfNameKey(const std::string& name) {
  std::string key = name;
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

std::string BbfArchiveProblem(const std::vector<BbfMember>& members) {
  std::unordered_map<std::string, const std::string*> seen;  // name key -> first spelling
  std::uint64_t size = BBF_FILE_HEADER_BYTES;
  for (const BbfMember& m : members) {
    std::string problem = BbfNameProblem(m.name);
    if (!problem.empty()) return problem;
    auto added = seen.emplace(BbfNameKey(m.name), &m.name);
    if (!added.second)
      return "the members \"" + *added.first->second + "\" and \"" + m.name +
             "\" have the same name (the game compares names without regard to case)";
    size += BBF_MEMBER_HEADER_BYTES + m.data.size();
    if (size > BBF_MAX_FILE_SIZE) return "the archive would be larger than the game reads (2 GiB less one byte)";
  }
  return {};
}

namespace {

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace

bool WriteBbfSeeds(const std::string& dir) {
  const std::vector<BbfMember> three = {
      {"_CUROBJ.TEX", Text("pointer texture bytes")},
      {"EMPTY.BIN", {}},
      {"gametxt0.tdb", Text("\x02\x00\x00\x00texts")},
  };
  const Bytes valid = BuildBbf(three);
  // Offsets from the format: the first member header starts at 8.
  constexpr std::size_t first = 8;

  std::vector<NamedBytes> seeds;
  seeds.push_back({"empty.bbf", BuildBbf({})});
  seeds.push_back({"one.bbf", BuildBbf({{"QDV.BIN", Text("scene table")}})});
  seeds.push_back({"three.bbf", valid});
  {
    // A last header cut short: still opens with the complete members.
    Bytes cut = valid;
    cut.insert(cut.end(), 100, 0);
    PatchU32(&cut, cut.size() - 100, 540);
    seeds.push_back({"cut_header.bbf", cut});
  }
  {
    Bytes b = valid;
    b[3] = 'B';
    seeds.push_back({"bad_magic.bbf", b});
  }
  {
    Bytes b = valid;
    PatchU32(&b, 4, 9);
    seeds.push_back({"bad_file_header.bbf", b});
  }
  {
    Bytes b = valid;
    PatchU32(&b, first, 539);
    seeds.push_back({"bad_member_header_size.bbf", b});
  }
  {
    Bytes b = valid;
    PatchU32(&b, first + 268, first + 541);
    seeds.push_back({"bad_data_offset.bbf", b});
  }
  {
    Bytes b = valid;
    PatchU32(&b, first + 272, 0x7FFFFFF0u);
    seeds.push_back({"size_past_end.bbf", b});
  }
  {
    Bytes b = valid;
    b.resize(b.size() - 2);  // the last member's data cut short
    seeds.push_back({"cut_data.bbf", b});
  }
  {
    Bytes b = valid;
    for (std::size_t i = 0; i < 260; ++i) b[first + 4 + i] = 'A';
    seeds.push_back({"name_without_nul.bbf", b});
  }
  seeds.push_back({"duplicate_names.bbf", BuildBbf({{"A.TEX", Text("1")}, {"a.tex", Text("2")}})});
  seeds.push_back({"short.bbf", Text("BBFA")});
  {
    // An archive of a real one's proportions: many members, some of them
    // hundreds of KiB.
    std::vector<BbfMember> many;
    for (int i = 0; i < 40; ++i) {
      Bytes data(static_cast<std::size_t>(i) * 97, static_cast<std::uint8_t>(i));
      many.push_back({"DATA\\UI\\MEMBER" + std::to_string(i) + ".BIN", data});
    }
    many.push_back({"DATA\\UI\\LARGE.TEX", Bytes(400000, 0x5A)});
    seeds.push_back({"large.bbf", BuildBbf(many)});
  }

  return WriteHostFiles(dir, seeds);
}

}  // namespace kelvdata
