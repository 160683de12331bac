#include "session/pacing.h"

#include <chrono>

uint64_t SteadyClockNs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
}

void TRealTimePacer::Start(uint64_t cycles) {
    startNs_ = nowNs_();
    startCycles_ = cycles;
}

uint64_t TRealTimePacer::CyclesIn(uint64_t ns) const {
    const unsigned __int128 scaled = static_cast<unsigned __int128>(ns) * EHz;
    return static_cast<uint64_t>(scaled /
                                 (static_cast<unsigned __int128>(1'000'000'000) * (Divisor ? Divisor : 1)));
}

uint64_t TRealTimePacer::Target(uint64_t cycles) {
    const uint64_t now = nowNs_();
    const uint64_t target = startCycles_ + CyclesIn(now - startNs_);
    // Behind by more than the lag: the run goes on from here, the lag's worth ahead of it.
    const uint64_t lag = CyclesIn(MaxLagNs);
    if (target > cycles + lag) {
        startNs_ = now - MaxLagNs;
        startCycles_ = cycles;
        return cycles + lag;
    }
    return target;
}
