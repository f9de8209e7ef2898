#pragma once

#include <cstdint>

// Bits of the laser's status byte (bit 0 is the least significant). The link's handshake and the
// controller both read them; they are named here once.
namespace LumetraStatusBits {

constexpr std::uint8_t PowerOn = 0x01;
constexpr std::uint8_t Error = 0x02;
constexpr std::uint8_t Warning = 0x04;
constexpr std::uint8_t Listen = 0x08;
constexpr std::uint8_t DeviceSetup = 0x10;
constexpr std::uint8_t Standby = 0x20;
constexpr std::uint8_t LaserOnPending = 0x40;
constexpr std::uint8_t LaserOn = 0x80;

// Listen or standby: the states in which rate, spot and wavelength may change.
constexpr std::uint8_t ListenOrStandby = Listen | Standby;
// Any of the operating states: the laser answers commands (the handshake's ready judgement).
constexpr std::uint8_t Operating = Listen | Standby | LaserOnPending | LaserOn;
static_assert(Operating == 0xE8, "the ready judgement reads bits 3, 5, 6 and 7");

} // namespace LumetraStatusBits
