// What the HUD's two halves share: the intro and tables (race_hud.cpp) and
// the race messages (race_messages.cpp).
#pragma once

#include <cstdint>

#include "race/race_manager.h"

class Rider;

namespace hud_internal {

constexpr float WHITE[3] = {1.0f, 1.0f, 1.0f};

float ScreenW();
float ScreenH();
bool Moto();
bool Session();  // practice or qualifying

// The end notifications of the two slots, raised by the fade callbacks and
// handled at the end of UpdateMessages.
void EndSlot1();
void EndSlot2();

// Places a text at (x, y) with `s` (null: its own string again), in one
// colour; the layout reuses the text's buffers when the length is unchanged.
void Say(StaticText& t, float x, float y, const char* s, const float colour[3]);
// The same with characters first..end-1 in `range` over `base`.
void SayTwoTone(StaticText& t, float x, float y, const char* s, const float base[3], const float range[3],
                unsigned first, unsigned end);
// Places and sizes a panel from the given anchors.
void PlacePanel(Panel& p, std::uint8_t yFromTop, std::uint8_t xFromLeft, float x, float y, float w, float h);
void FadeIn(StaticText& t, unsigned ms);
void FadeIn(Panel& p, float to, unsigned ms);

// Starts the fade-out of every widget the message draws (500 ms), the
// backdrop's with the slot-1 end notification.
void FadeOutMessage(RaceManager& m, HudMessage message);
// Fades every widget the message draws in over 500 ms (the backdrop to 0.5).
void FadeInMessage(RaceManager& m, HudMessage message);

// The rider of a slot when it is present; null otherwise.
Rider* PresentRider(RaceManager& m, std::uint32_t slot);
bool IsOut(const Rider& r);  // engine blown or retired
bool RaceOver(Rider& r);

// Two digits of a number (99 at most).
void TwoDigits(std::uint32_t n, char* out);

// The race messages of the states after the intro, in their order.
void RunRaceMessages(RaceManager& m, float dt);

}  // namespace hud_internal
