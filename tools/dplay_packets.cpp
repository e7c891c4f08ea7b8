// Seeds for the network layer's own packets, written byte by byte from the
// protocol's layout: listing datagrams and the packets of a connection.
#include <string>

#include "tools/bytes.h"
#include "tools/seeds.h"

namespace kelvdata {
namespace {

constexpr std::uint8_t VERSION = 1;

void Magic(ByteWriter* w) {
  w->U8('K');
  w->U8('D');
  w->U8('P');
  w->U8(VERSION);
}

void Guid(ByteWriter* w, std::uint8_t seed) {
  for (int i = 0; i < 16; ++i) w->U8(static_cast<std::uint8_t>(seed + i));
}

void Str(ByteWriter* w, const std::string& s) {
  w->U8(static_cast<std::uint8_t>(s.size()));
  w->Raw(s.data(), s.size());
}

void Player(ByteWriter* w, std::uint32_t id, const std::string& name) {
  w->U32(id);
  Str(w, name);
  Str(w, name);
}

}  // namespace

bool WriteDplaySeeds(const std::string& dir) {
  ByteWriter query;
  Magic(&query);
  query.U8(1);  // QUERY
  Guid(&query, 0x10);
  query.U8(1);  // available sessions only

  ByteWriter session;
  Magic(&session);
  session.U8(2);  // SESSION
  Guid(&session, 0x10);
  Guid(&session, 0x40);
  session.U32(0x44);
  session.U32(8);
  session.U32(2);
  Str(&session, "Race Night");
  session.U8(2);
  Player(&session, 257, "##SERVER##");
  Player(&session, 258, "Anna");

  ByteWriter join;
  Magic(&join);
  join.U8(3);  // JOIN
  Guid(&join, 0x40);

  ByteWriter welcome;
  Magic(&welcome);
  welcome.U8(4);  // WELCOME
  Guid(&welcome, 0x40);
  welcome.U32(3);  // the joiner's node
  welcome.U32(1);  // the host's
  welcome.U32(4);  // the next free node
  welcome.U32(0x44);
  welcome.U32(8);
  Str(&welcome, "Race Night");
  welcome.U8(1);  // one other machine
  welcome.U32(2);
  welcome.U32(0x7F000001);
  welcome.U16(50001);
  welcome.U8(1);
  Player(&welcome, 257, "##SERVER##");

  ByteWriter refuse;
  refuse.U8(5);
  refuse.U8(3);  // full

  ByteWriter link;
  Magic(&link);
  link.U8(6);  // LINK
  Guid(&link, 0x40);
  link.U32(2);
  link.U32(4);
  link.U8(1);
  Player(&link, 513, "Bert");

  ByteWriter create;
  create.U8(7);
  Player(&create, 770, "Cara");

  ByteWriter destroy;
  destroy.U8(8);
  destroy.U32(770);

  ByteWriter name;
  name.U8(9);
  Player(&name, 770, "Cara Long");

  ByteWriter data;
  data.U8(10);
  data.U32(513);
  data.U32(257);
  for (int i = 0; i < 20; ++i) data.U8(static_cast<std::uint8_t>(0x16 + i));

  ByteWriter desc;
  desc.U8(11);
  desc.U32(0x64);
  desc.U32(8);
  Str(&desc, "Race Night");

  return WriteHostFiles(dir, {{"query.bin", query.Take()},
                              {"session.bin", session.Take()},
                              {"join.bin", join.Take()},
                              {"welcome.bin", welcome.Take()},
                              {"refuse.bin", refuse.Take()},
                              {"link.bin", link.Take()},
                              {"create.bin", create.Take()},
                              {"destroy.bin", destroy.Take()},
                              {"name.bin", name.Take()},
                              {"data.bin", data.Take()},
                              {"desc.bin", desc.Take()}});
}

}  // namespace kelvdata
