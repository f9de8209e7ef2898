#pragma once

// The harmonics the laser's modules produce. The numeric values are the indices the laser's
// commands, the wavelength selector and the output-configuration bits use, so they are fixed.
enum class LumetraHarmonic : int
{
    IR = 0,
    Green = 1,
    UV = 2,
    DeepUV = 3
};

constexpr int LumetraHarmonicCount = 4;

constexpr int harmonicIndex(LumetraHarmonic harmonic)
{
    return static_cast<int>(harmonic);
}

// Out-of-range indices are the caller's to refuse; this only names the valid ones.
constexpr bool isHarmonicIndex(int index)
{
    return index >= 0 && index < LumetraHarmonicCount;
}

constexpr LumetraHarmonic harmonicAt(int index)
{
    return static_cast<LumetraHarmonic>(index);
}
