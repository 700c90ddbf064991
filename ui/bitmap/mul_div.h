#pragma once

#include <cstdlib>

// a * b / c without overflow in the product, rounded half away from zero; c must not be 0.
inline int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(c) / 2;
    return static_cast<int>((product + (product < 0 ? -half : half)) / c);
}
