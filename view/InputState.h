#pragma once

#include "device/DeviceImage.h"

#include <array>
#include <cstdint>

// The sixteen controller inputs as 0/1, recomputed by every display pass.
struct InputState {
    std::array<int32_t, 16> bits{};

    int32_t input(int n) const { return bits.at(n - 1); } // n = 1..16
    bool isOn(int n) const { return input(n) == 1; }

    // Input N is bit N-1 of Reg1 for N = 1..8 and bit N-9 of Reg2 for 9..16.
    static InputState fromImage(const DeviceImage &image) {
        InputState s;
        for (int n = 1; n <= 16; ++n) {
            const int32_t reg = n <= 8 ? image.reg(1) : image.reg(2);
            const int bit = n <= 8 ? n - 1 : n - 9;
            s.bits[n - 1] = (reg >> bit) & 1;
        }
        return s;
    }
};
