#include "riders/race_time.h"

void RaceTime::Add(std::uint32_t ms) {
  // Carried in 32 bits, so that a large step cannot wrap a 16-bit digit
  // before it is carried.
  std::uint32_t t = thousandths + ms;
  std::uint32_t h = hundredths + t / 10u;
  std::uint32_t s = seconds + h / 100u;
  std::uint32_t m = minutes + s / 60u;
  std::uint32_t hr = hours + m / 60u;
  thousandths = static_cast<std::uint16_t>(t % 10u);
  hundredths = static_cast<std::uint16_t>(h % 100u);
  seconds = static_cast<std::uint16_t>(s % 60u);
  minutes = static_cast<std::uint16_t>(m % 60u);
  hours = static_cast<std::uint16_t>(hr);
  totalMs = ((((std::uint32_t{hours} * 60u + minutes) * 60u + seconds) * 100u + hundredths) * 10u) + thousandths;
}
