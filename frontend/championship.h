// The championship: a season of rounds, one per entry of the results table
// of the skill class, each raced as practice, qualifying and two scored
// motos, with entry fees, prize money, points and a random weather per
// round. Saved to and restored from the four save-game slots
// ("DATA\SAVE\01.SVD" to "04.SVD").
//
// Save file, little-endian (name = u32 n with the NUL, n bytes, n 1..256):
// name label, u8 skill, u32 rider count, u16 race minutes, u8 damages
// option, u8 weather option, u16 current round, u16 previous round, u16
// weather of the current round, u16 chosen rider, name player, u16 money,
// 5 x f32 bike condition, 28 x f32 set-up fields 0..3 and 5..28; then per
// rider slot (rider count) per round u8 moto 1 and u8 moto 2 position, the
// same shape for the no-score marks, and per round u8 played.
#pragma once

#include <cstdint>
#include <vector>

#include "frontend/race_series.h"

class Championship : public RaceSeries {
 public:
  Championship();
  ~Championship() override;

  bool Load(const char* fileName) override;
  // The series' slots: GetCurrentSceneNumber marks the round played
  // (MarkRoundDone), Previous goes back (RestorePreviousRound), Next moves
  // on to the next round to race (NextRound).
  std::uint16_t GetCurrentSceneNumber() override;
  void Previous() override;
  void Next() override;

  std::uint16_t MarkRoundDone() { return GetCurrentSceneNumber(); }
  void RestorePreviousRound() { Previous(); }
  void NextRound() { Next(); }

  void RollWeather(std::uint16_t round);
  void PayEntryFee();
  // 0 when no further round exists.
  std::uint16_t GetNextRoundFee() const;
  void AwardMotoPoints();
  std::uint8_t GetMotoPoints(std::uint32_t slot, std::uint32_t round, bool moto1) const;
  void SetMotoResult(std::uint32_t slot, std::uint32_t round, bool moto1, std::uint8_t points, bool noScoreFlag);
  void Reset();
  // Every round's played flag is set (also for no rounds).
  bool AllRoundsDone() const;
  // The position of rider slot r stored for the current round: moto 1
  // after moto 1 (race type 3), else moto 2.
  std::uint8_t GetMotoPosition(std::uint32_t r) const;

  // Slots 2..5 name "DATA\SAVE\01.SVD" to "04.SVD".
  bool Save(std::uint32_t slot, const char* label);
  bool LoadSaveGame(std::uint32_t slot);

  // Always 20 slots, each of round count x 2 entries (moto 1 at 2r, moto 2
  // at 2r + 1): the tables never depend on the rider count of the moment.
  std::vector<std::uint8_t> roundPlayed;
  std::vector<std::uint8_t> positions[20];
  std::vector<std::uint8_t> noScore[20];
  std::int16_t previousRound = 0;
  std::uint16_t roundsStarted = 0;
};

// The label of save slot 0..3; false when the file is missing or damaged.
bool ReadSaveGameName(std::uint32_t slot, char* out, std::size_t size);
// "DATA\SAVE\0n.SVD" of a save slot 0..3, null for another number.
const char* SaveGamePath(std::uint32_t slot);
