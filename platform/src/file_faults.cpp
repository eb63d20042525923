#include "file_faults.h"

#include <unistd.h>

#include <atomic>
#include <mutex>

namespace {

struct FaultState {
    std::atomic<unsigned> kinds{0};  // read without the lock: the release programs' whole cost
    std::mutex lock;
    wce::test::FileFault fault;
    std::uint64_t count = 0;
};

FaultState& State()
{
    static FaultState* state = new FaultState;  // never destroyed: files close during exit
    return *state;
}

}  // namespace

namespace wce::test {

void SetFileFault(const FileFault& fault)
{
    FaultState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.fault = fault;
    state.count = 0;
    state.kinds.store(fault.kinds, std::memory_order_release);
}

void ClearFileFault() { SetFileFault(FileFault{}); }

std::uint64_t CountedFileCalls()
{
    FaultState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.count;
}

}  // namespace wce::test

int wce::detail::CheckFileFault(unsigned kind)
{
    FaultState& state = State();
    if (!(state.kinds.load(std::memory_order_acquire) & kind)) return 0;
    std::lock_guard<std::mutex> guard(state.lock);
    if (!(state.fault.kinds & kind) || ++state.count != state.fault.at) return 0;
    return state.fault.hostError ? state.fault.hostError : kFaultEndsProcess;
}

void wce::detail::EndProcessForFault()
{
    // As a kill would: no destructors, no buffers flushed.
    _exit(State().fault.exitStatus);
}
