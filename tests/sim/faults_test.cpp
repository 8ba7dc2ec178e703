// What a console fault makes the unit send, where the program gets by; the faults that fail an
// exchange are the fault matrix's, struck at every phase of the program.
#include "link/console_state.h"
#include "support/sim_fixture.h"

#include <gtest/gtest.h>

namespace simtest {
namespace {

using FaultFixture = SimFixture;

TEST_F(FaultFixture, EachFaultGivesTheReadItsOutcomeAndTrace) {
    g_fatalErrorsEnabled = 0;
    const struct {
        void (*strike)(sim::Faults&);
        int value;         // of "rd 8c70", -1 when the read holds no value
        const char* trace; // null: random bytes up to a '>'
    } cases[] = {
        {[](sim::Faults& f) { f.replyGapMs = 3900; }, 0x02, "rd 8c70\n\r\n8c70 : 02\r\nL>"},
        {[](sim::Faults& f) { f.noValueRegister = "8C70"; }, -1,
         "rd 8c70\n\r\n8c70 not available\r\nL>"},
        {[](sim::Faults& f) { f.wrongEcho = '#'; }, 0x02, "########\r\n8c70 : 02\r\nL>"},
        {[](sim::Faults& f) { f.garbage = true; }, -1, nullptr}};
    for (const auto& c : cases) {
        makePair();
        trace_.clear();
        c.strike(pair_->faults());
        EXPECT_EQ(readByte("8c70"), c.value) << trace_;
        EXPECT_TRUE(c.trace ? trace_ == c.trace
                            : trace_.starts_with("rd 8c70\n") && trace_.ends_with(">"))
            << trace_;
    }
    EXPECT_EQ(link_.QuerySide(), -1); // the garbage of the last case holds no recognisable prompt
    makePair();
    pair_->faults().silent = true; // a silent unit does not even take the command in
    link_.WriteCommand("wr 9000 01\n");
    EXPECT_TRUE(pair_->commandLog().empty());
}

} // namespace
} // namespace simtest
