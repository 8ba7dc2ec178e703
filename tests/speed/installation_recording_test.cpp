// The record each Apply leaves, built by observing real searches on the simulated pair, and the
// page's Report... button that saves it.
#include "platform/journal.h"
#include "platform/modal_runner.h"
#include "res/control_ids.h"
#include "speed/configuration_fixture.h"
#include "speed/installation_recording.h"
#include "speed/installation_report.h"
#include "speed/report_details_dialog.h"
#include "speed/report_pdf.h"
#include "support/work_folder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace speedtest {
namespace {

struct InstallationRecordingTest : ConfigurationFixture {
    void SetUp() override {
        ConfigurationFixture::SetUp();
        ::setenv("TZ", "UTC0", 1);
        ::tzset();
        // The details dialog shows, the test acts in it, and OK ends it unless the test did.
        platform::setModalRunner([this](QDialog& dialog) {
            auto& details = dynamic_cast<ReportDetailsDialog&>(dialog);
            details.show();
            detailsAtStart_.push_back(details.choices());
            inDetails_(details);
            if (details.isVisible())
                details.control<QPushButton>(res::ids::report_details::kOk)->click();
            return details.result();
        });
    }
    void TearDown() override {
        ::unsetenv("TZ");
        ::tzset();
        ConfigurationFixture::TearDown();
    }
    ::InstallationRecording recording_;
    std::function<void(ReportDetailsDialog&)> inDetails_ = [](ReportDetailsDialog&) {};
    std::vector<ReportChoices> detailsAtStart_;
};

// Downstream 11.38: upstream 5.69 does not train, 2.84 reads 3 dB at the P side, 1.90 counts
// errors at the S side, 1.42 is clean. Each attempt holds the readings the search made, no
// others, and says why it failed; the record holds the run's times, trace and outcome.
TEST_F(InstallationRecordingTest, SearchIsRecordedAsItRan) {
    makePair(lineWhere("cccc cccc cccc cepn"));
    search_.addObserver(recording_);
    useFile();
    setSearchRange("00", "33");
    search_.setAlgorithm(kHL);
    trace_.clear();
    const std::int64_t appliedAtMs = clock_.nowMs();
    search_.Apply();
    ASSERT_TRUE(recording_.lastRecord());
    const InstallationRecord& r = *recording_.lastRecord();
    Texts verdicts;
    for (const AttemptRecord& attempt : r.attempts)
        verdicts.push_back(attempt.downLabel + "/" + attempt.upLabel + " " + verdictText(attempt));
    EXPECT_EQ(verdicts, (Texts{"11.38/5.69 No link (back on the defaults)",
                               "11.38/2.84 SNR below 6 dB on P side", "11.38/1.90 Errors on S side",
                               "11.38/1.42 Passed"}));
    const auto& a = r.attempts;
    EXPECT_FALSE(a[0].linkUp || a[0].snrP || a[0].errorsP);
    EXPECT_GT(a[0].durationMs, 5000); // the 5 s wait for the pair's link, and more
    EXPECT_FALSE(a[1].snrS || a[1].errorsP);
    EXPECT_EQ(a[2].errorsP, 0);
    EXPECT_NE(r.trace.find("\r\nS Side Error= " + std::to_string(a[2].errorsS.value_or(0))),
              std::string::npos);
    ASSERT_TRUE(a[3].snrP && a[3].snrS);
    EXPECT_TRUE(a[3].snrP->passed && a[3].snrS->passed && *a[3].snrS->db >= 6.0);
    EXPECT_EQ(a[3].errorsS, 0);
    // Two error-count pauses of 4 s per unit, and the console time on top.
    EXPECT_GT(a[3].durationMs, 16000);
    EXPECT_LT(a[3].durationMs, 21000);

    EXPECT_EQ(r.startWallMs, platform::VirtualClock::kEpochMs + appliedAtMs);
    EXPECT_EQ(r.endWallMs, platform::VirtualClock::kEpochMs + clock_.nowMs());
    EXPECT_TRUE(std::regex_match(r.attachedUnit, std::regex(R"(P side \(8c70 = [0-9a-f]{2}\))")));
    EXPECT_EQ(r.upMin.label + r.upMax.label + r.downMin.label + r.downMax.label,
              "1.425.693.7911.38");
    EXPECT_EQ(r.downMax.rateCode + r.downMax.tuningHigh + r.downMax.tuningLow, "32004b");
    EXPECT_EQ(r.order, "HIGH -> LOW");
    EXPECT_EQ(r.messages, Texts{"Configuration saved"});
    EXPECT_EQ(r.finalStatus, "Done");
    EXPECT_EQ(r.downActual + "/" + r.upActual, "11.38/1.42");
    // The whole run from the unit-type check on, as the trace window got it.
    EXPECT_EQ(r.trace, trace_);
    EXPECT_LT(r.trace.find("rd 8c70"), r.trace.find("\r\nStarting procedure\r\n"));
}

std::string joined(const InstallationDetails& details) {
    return details.site + "|" + details.circuit + "|" + details.installer;
}

// The page's Report... button is off until an Apply ran and while one runs; an Apply refused at
// its checks keeps the record before it. Each Apply that keeps a record leaves its report in the
// journal, unasked, named by its end. Report... asks for the details first, starting with the
// last ones given and the trace ticked: OK remembers the lines without their surrounding blanks
// and writes one PDF where the user says, Cancel asks nothing more, writes nothing and remembers
// nothing, and neither sends anything to the units. The automatic report takes the remembered
// details and always the trace. (Cancelling the save and a failed write are the shared save
// path's.)
TEST_F(InstallationRecordingTest, ReportButtonAsksForDetailsAndSavesTheLastRecord) {
    const testsupport::WorkFolder parent;
    platform::Journal journal(parent.path().string(), platform::wallTimeMs());
    platform::seams().journal = &journal;
    openPage();
    EXPECT_FALSE(page_->reportButton->isEnabled());
    std::vector<bool> enabledWhileRunning;
    pair_->onCommand([this, &enabledWhileRunning](const sim::LoggedCommand& command) {
        if (command.text == "rd 8c71")
            enabledWhileRunning.push_back(page_->reportButton->isEnabled());
    });
    page_->applyButton->click();
    EXPECT_EQ(enabledWhileRunning, std::vector<bool>(enabledWhileRunning.size(), false));
    EXPECT_FALSE(enabledWhileRunning.empty());
    ASSERT_TRUE(page_->installationRecord());
    const std::int64_t firstStart = page_->installationRecord()->startWallMs;
    pair_->setAttached(sim::Side::S);
    page_->applyButton->click(); // refused at its checks: no record, no report
    EXPECT_EQ(takeBoxTexts(),
              (Texts{"Configuration saved", "P side must be connected to start this procedure"}));
    EXPECT_EQ(page_->installationRecord()->startWallMs, firstStart);
    EXPECT_TRUE(page_->reportButton->isEnabled());
    journal.flush();
    std::vector<std::string> reports;
    for (const auto& entry : std::filesystem::directory_iterator(journal.folder()))
        reports.push_back(entry.path().filename().string());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].starts_with("report-2026-03-01-")) << reports[0];
    const std::string journalled =
        testsupport::readFile(std::filesystem::path(journal.folder()) / reports[0]);
    EXPECT_TRUE(journalled.starts_with("%PDF-") && journalled.ends_with("%%EOF\n"));

    struct Step {
        const char* typed; // site|circuit|installer
        bool trace;
        bool ok;
        const char* startsWith; // the lines as the dialog starts
        const char* remembered;
    };
    const Step steps[] = {
        {" Mill Rd 4 | |Ann", true, true, "||", "Mill Rd 4||Ann"},
        {"Elm St|C-77|Ann", true, false, "Mill Rd 4||Ann", "Mill Rd 4||Ann"},
        {"Mill Rd 4|C-78|Ann", false, true, "Mill Rd 4||Ann", "Mill Rd 4|C-78|Ann"}};
    namespace ids = res::ids::report_details;
    const std::size_t sentBefore = pair_->commandLog().size();
    std::vector<long> pages;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.typed);
        const std::size_t asked = saveQuestions_.size();
        saveAnswer_ = folder_.file("report" + std::to_string(asked) + ".pdf");
        inDetails_ = [&step](ReportDetailsDialog& dialog) {
            const QStringList lines = QString(step.typed).split(u'|');
            for (int i = 0; i < 3; ++i) {
                dialog.control<QLineEdit>(ids::kSite + i)->clear();
                QTest::keyClicks(dialog.control<QLineEdit>(ids::kSite + i), lines[i]);
            }
            dialog.control<QCheckBox>(ids::kTrace)->setChecked(step.trace);
            if (!step.ok)
                QTest::keyClick(&dialog, Qt::Key_Escape);
        };
        page_->reportButton->click();
        EXPECT_EQ(joined(detailsAtStart_.back().details), step.startsWith);
        EXPECT_TRUE(detailsAtStart_.back().withTrace);
        EXPECT_EQ(joined(rememberedInstallationDetails()), step.remembered);
        EXPECT_EQ(saveQuestions_.size(), asked + (step.ok ? 1 : 0));
        const std::string pdf = testsupport::readFile(*saveAnswer_);
        EXPECT_EQ(pdf.substr(0, 5), step.ok ? "%PDF-" : "");
        if (step.ok)
            pages.push_back(countOf(pdf, "/Type /Page") - countOf(pdf, "/Type /Pages"));
    }
    EXPECT_EQ(pair_->commandLog().size(), sentBefore);
    EXPECT_EQ(saveQuestions_[0].suggestedName.substr(0, 24), "installation-2026-03-01-");
    EXPECT_EQ(saveQuestions_[0].filter, "PDF files (*.pdf)");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_GT(pages[1], 0);
    EXPECT_GT(pages[0], pages[1]); // the Apply's trace runs over pages of its own
    const ReportChoices automatic = automaticReportChoices();
    EXPECT_EQ(joined(automatic.details), "Mill Rd 4|C-78|Ann");
    EXPECT_TRUE(automatic.withTrace);
}

} // namespace
} // namespace speedtest
