#pragma once

#include "speed/installation_report.h"

#include <QImage>
#include <string>
#include <vector>

// Lays an HTML report out on A4 pages, each with its number at the foot ("Page 1 of 3").

// The PDF file of the report, written with Qt's own PDF writer.
std::string reportPdf(const std::string& html, const std::string& title);

// The same pages as pictures on white paper at the given resolution (for the screenshots).
std::vector<QImage> reportPageImages(const std::string& html, int dotsPerInch);

// The installation report of one Apply as a PDF, as the installer chose it.
std::string installationReportPdf(const InstallationRecord& record, const ReportChoices& choices);

// What the automatic report after an Apply is made with, asking nothing: the details last given
// to Report... and the trace always in.
ReportChoices automaticReportChoices();

// The report kept without asking after an Apply: the PDF of automaticReportChoices().
std::string automaticReportPdf(const InstallationRecord& record);
