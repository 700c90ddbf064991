// Overflows a signed int on every input. A fuzz run of it must end in a finding; if it does not, undefined
// behaviour in a real target would pass unseen.
#include <climits>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t size) {
    volatile int largest = INT_MAX;
    volatile int sum = largest + static_cast<int>(size % 2 + 1);
    (void)sum;
    return 0;
}
