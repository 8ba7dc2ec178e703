// Each console fault drives the link layer down its failure path.
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
        int value;         // of "rd 8c70", -1 when the read fails or holds no value
        const char* trace; // null: random bytes up to a '>', and no failure
    } cases[] = {
        {[](sim::Faults& f) { f.silent = true; }, -1,
         "\r\ncommunication timeout error\r\n\r\nSendCommand failed\r\n"},
        {[](sim::Faults& f) { f.noEcho = true; }, -1,
         "\r\ncommunication timeout error\r\n\r\nSendCommand failed\r\n"},
        {[](sim::Faults& f) { f.replyGapMs = 4500; }, -1,
         "rd 8c70\n\r\ncommunication timeout error\r\n\r\nReadResult failed\r\n"},
        {[](sim::Faults& f) { f.replyGapMs = 3900; }, 0x02, "rd 8c70\n\r\n8c70 : 02\r\nL>"},
        {[](sim::Faults& f) { f.garbage = true; }, -1, nullptr},
        {[](sim::Faults& f) { f.longReply = true; }, -1,
         "rd 8c70\n\r\ncommunication error\r\n\r\nReadResult failed\r\n"},
        {[](sim::Faults& f) { f.noValueRegister = "8C70"; }, -1,
         "rd 8c70\n\r\n8c70 not available\r\nL>"},
        {[](sim::Faults& f) { f.wrongEcho = '#'; }, 0x02, "########\r\n8c70 : 02\r\nL>"},
        {[](sim::Faults& f) { f.hangUp = true; }, -1, "\r\nSendCommand failed\r\n"}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        makePair();
        trace_.clear();
        cases[i].strike(pair_->faults());
        EXPECT_EQ(readByte("8c70"), cases[i].value);
        if (cases[i].trace != nullptr)
            EXPECT_EQ(trace_, cases[i].trace);
        else
            EXPECT_TRUE(trace_.starts_with("rd 8c70\n") && trace_.ends_with(">")) << trace_;
    }
    makePair();
    pair_->faults().garbage = true;
    EXPECT_EQ(link_.QuerySide(), -1); // no recognisable prompt
    makePair();
    pair_->faults().silent = true; // a silent unit does not even take the command in
    link_.WriteCommand("wr 9000 01\n");
    EXPECT_TRUE(pair_->commandLog().empty());
}

} // namespace
} // namespace simtest
