// The administrator check against the simulated NT security calls: the
// answer for each kind of user, the process token when the thread has
// none, and each failing step, after all of which the impersonation is
// ended and nothing is left held.
#include "machine.h"

#include "uninstaller/uninstall.h"

#include <ctype.h>
#include <string>

namespace {

void ExpectEndedAndReleased() {
    EXPECT_FALSE(SimImpersonating());
    EXPECT_EQ(0, SimOpenTokens());
    EXPECT_EQ(0, SimLocalBlocks());
    EXPECT_EQ(0, SimLiveSids());
}

class AdminCheckTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        SimSetFamily(SimWindowsNT);
    }
};

TEST_F(AdminCheckTest, AdministratorIsGranted) {
    SimSetUser(SimAdministrator);
    EXPECT_NE(0, IsAdministrator());
    EXPECT_EQ(0, SimCallCount("OpenProcessToken"));
    EXPECT_EQ(1, SimCallCount("AccessCheck"));
    EXPECT_EQ("", SimStandardOutput());
    ExpectEndedAndReleased();
}

TEST_F(AdminCheckTest, PlainUserIsRefused) {
    SimSetUser(SimPlainUser);
    EXPECT_EQ(0, IsAdministrator());
    EXPECT_EQ(1, SimCallCount("AccessCheck"));
    EXPECT_EQ("", SimStandardOutput());
    ExpectEndedAndReleased();
}

// Without impersonation the thread has no token and the process's is used;
// the platform's access check takes only an impersonation token, so the
// answer is no even for an administrator, and the failure is reported on
// the standard output.
TEST_F(AdminCheckTest, WithoutThreadTokenTheProcessTokenIsAsked) {
    SimSetUser(SimAdministrator);
    SimFailCall("ImpersonateSelf", ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, IsAdministrator());
    EXPECT_EQ(1, SimCallCount("OpenThreadToken"));
    EXPECT_EQ(1, SimCallCount("OpenProcessToken"));
    EXPECT_EQ(1, SimCallCount("AccessCheck"));
    EXPECT_EQ("AccessCheck() failed with error 1309\n", SimStandardOutput());
    ExpectEndedAndReleased();
}

TEST_F(AdminCheckTest, OtherThreadTokenFailureRefusesWithoutTheProcessToken) {
    SimFailCall("OpenThreadToken", ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, IsAdministrator());
    EXPECT_EQ(0, SimCallCount("OpenProcessToken"));
    EXPECT_EQ(0, SimCallCount("AccessCheck"));
    ExpectEndedAndReleased();
}

struct StepFailure {
    const char* op;
    int occurrence;
    const char* output;  // written to the standard output
};

// An administrator, and one step failing.
const StepFailure kStepFailures[] = {
    {"AllocateAndInitializeSid", 1, ""},
    {"LocalAlloc", 1, ""},  // the descriptor
    {"InitializeSecurityDescriptor", 1, ""},
    {"LocalAlloc", 2, ""},  // the access list
    {"InitializeAcl", 1, ""},
    {"AddAccessAllowedAce", 1, ""},
    {"SetSecurityDescriptorDacl", 1, ""},
    {"SetSecurityDescriptorGroup", 1, "AccessCheck() failed with error 1338\n"},
    {"SetSecurityDescriptorOwner", 1, "AccessCheck() failed with error 1338\n"},
    {"IsValidSecurityDescriptor", 1, ""},
    {"AccessCheck", 1, "AccessCheck() failed with error 5\n"},
};

void PrintTo(const StepFailure& c, std::ostream* out) { *out << c.op << " #" << c.occurrence; }

class AdminCheckStepTest : public AdminCheckTest, public ::testing::WithParamInterface<StepFailure> {};

INSTANTIATE_TEST_SUITE_P(Steps, AdminCheckStepTest, ::testing::ValuesIn(kStepFailures),
                         [](const ::testing::TestParamInfo<StepFailure>& info) {
                             return std::string(info.param.op) + "_" + std::to_string(info.param.occurrence);
                         });

TEST_P(AdminCheckStepTest, FailingStepRefusesEndsTheImpersonationAndReleasesAll) {
    SimSetUser(SimAdministrator);
    SimFailCall(GetParam().op, ERROR_ACCESS_DENIED, GetParam().occurrence);
    EXPECT_EQ(0, IsAdministrator());
    EXPECT_EQ(GetParam().output, SimStandardOutput());
    ExpectEndedAndReleased();
}

TEST_F(AdminCheckTest, FailingProcessTokenRefuses) {
    SimFailCall("ImpersonateSelf", ERROR_ACCESS_DENIED);
    SimFailCall("OpenProcessToken", ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, IsAdministrator());
    EXPECT_EQ(0, SimCallCount("AccessCheck"));
    ExpectEndedAndReleased();
}

}  // namespace
