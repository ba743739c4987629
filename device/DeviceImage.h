#pragma once

#include <array>
#include <cstdint>

// The six registers read from the controller. All 0 when the window is
// created and never reset; each 0..255 once read. Reg1 holds inputs 1..8,
// Reg2 inputs 9..16 (bit 0 is the lower-numbered input), Reg3..Reg6 the raw
// analog values of value panels 1..4.
struct DeviceImage {
    std::array<int32_t, 6> regs{};

    int32_t &reg(int n) { return regs.at(n - 1); } // n = 1..6
    int32_t reg(int n) const { return regs.at(n - 1); }
};
