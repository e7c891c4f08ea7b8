#include "race/replay_recorder.h"

#include <cstring>

#include "engine/renderer.h"
#include "platform/win32/files.h"
#include "riders/rider_physics.h"

namespace {

constexpr int kBlockBytes = static_cast<int>(ReplayRecorder::BLOCK_RECORDS * sizeof(ReplayFrame));

// By name: the race keeps the five in this order.
float* const kConditions[5] = {g_ConditionEngine, g_ConditionWheels, g_ConditionSuspension, g_ConditionBrakes,
                               g_ConditionGearbox};

std::uint32_t Slots() { return g_RiderCount < 20 ? g_RiderCount : 20; }

}  // namespace

ReplayFrame MakeReplayFrame(float frameTime, const float controls[3]) {
  ReplayFrame f;
  f.frameTime = frameTime;
  f.throttle = controls[0];
  std::memcpy(&f.control1, &controls[1], 4);
  std::memcpy(&f.control2, &controls[2], 4);
  return f;
}

void ReplayControls(const ReplayFrame& f, float controls[3]) {
  controls[0] = f.throttle;
  std::memcpy(&controls[1], &f.control1, 4);
  std::memcpy(&controls[2], &f.control2, 4);
}

ReplayRecorder::~ReplayRecorder() {
  if (file.IsOpen()) file.Close();
}

bool ReplayRecorder::Create() {
  ok = file.Open(FILE_NAME, GENERIC_WRITE, CREATE_ALWAYS, FILE_SHARE_READ);
  return ok;
}

void ReplayRecorder::Start() {
  recordCount = bufferCount = 0;
  for (std::uint32_t i = 0; i < Slots(); ++i) {
    for (int k = 0; k < 5; ++k) startConditions[k][i] = kConditions[k][i];
  }
}

bool ReplayRecorder::WriteBlock() { return file.Write(buffer, kBlockBytes); }

bool ReplayRecorder::ReadBlock() { return file.Read(buffer, kBlockBytes); }

void ReplayRecorder::Write(const ReplayFrame& f) {
  if (!ok || recordCount >= MAX_RECORDS) return;
  buffer[bufferCount++] = f;
  ++recordCount;
  if (bufferCount == BLOCK_RECORDS) {
    ok = WriteBlock();
    bufferCount = 0;
  }
}

void ReplayRecorder::Rewind() {
  if (ok && bufferCount > 0) ok = WriteBlock();
  totalRecords = recordCount;
  for (std::uint32_t i = 0; i < Slots(); ++i) {
    for (int k = 0; k < 5; ++k) kConditions[k][i] = startConditions[k][i];
  }
  file.Close();
  const bool opened = file.Open(FILE_NAME, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
  ok = ok && opened;
  // An empty recording has no block to read.
  if (ok && totalRecords > 0) ok = ReadBlock();
  recordCount = bufferCount = 0;
}

bool ReplayRecorder::Read(ReplayFrame& out) {
  if (!ok) return true;
  if (recordCount >= totalRecords) {
    ok = false;
    return true;
  }
  if (bufferCount == BLOCK_RECORDS) {
    ok = ReadBlock();
    bufferCount = 0;
    if (!ok) return true;
  }
  out = buffer[bufferCount++];
  ++recordCount;
  // A damaged file may hold any bits here; NaN fails both tests.
  if (!(out.frameTime >= 0.001f)) out.frameTime = 0.001f;
  if (!(out.frameTime <= 0.05f)) out.frameTime = 0.05f;
  return !ok;
}

void ReplayRecorder::Delete() {
  if (file.IsOpen()) file.Close();
  DeleteFileA(FILE_NAME);
}
