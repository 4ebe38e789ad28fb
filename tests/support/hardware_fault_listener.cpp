// Linked into every test program: the hardware-fault watch starts before
// main, and a test during which the process saw a hardware exception fails,
// naming the module and address of each. One seen outside every test
// (between tests, at the program's end) fails the program as a whole.
#include <gtest/gtest.h>

#include "hardware_faults.h"

namespace ambrelle_test {

namespace {

size_t g_reported = 0;

void FailOnUnreportedFaults(const char* where) {
    const size_t count = HardwareFaultCount();
    for (const HardwareFault& fault : HardwareFaultsFrom(g_reported))
        ADD_FAILURE() << "hardware exception " << where << ": " << Describe(fault);
    g_reported = count;
}

class FailTestsOnHardwareFaults final : public ::testing::EmptyTestEventListener {
public:
    // Listeners' end events run last-added first: this one's failure is
    // added before the result printer reports the test.
    void OnTestEnd(const ::testing::TestInfo&) override { FailOnUnreportedFaults("during the test"); }
};

class FailProgramOnHardwareFaults final : public ::testing::Environment {
public:
    void TearDown() override { FailOnUnreportedFaults("outside the tests"); }
};

struct WatchInstaller {
    WatchInstaller() {
        StartHardwareFaultWatch();
        ::testing::UnitTest::GetInstance()->listeners().Append(new FailTestsOnHardwareFaults);
        ::testing::AddGlobalTestEnvironment(new FailProgramOnHardwareFaults);
    }
} g_watch_installer;

}  // namespace

}  // namespace ambrelle_test
