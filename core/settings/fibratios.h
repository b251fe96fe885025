#pragma once

// The three ratios a Fibonacci projection measures the swing against. The program keeps
// one set for every window (the settings file and the ratios dialog); the calculation
// only ever sees the set it is handed.
struct FibRatios {
    double r1 = 0.382;
    double r2 = 0.5;
    double r3 = 0.618;
};

inline constexpr FibRatios DefaultRatios{};
