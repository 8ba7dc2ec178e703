#pragma once

#include <QImage>
#include <string>
#include <vector>

// Lays an HTML report out on A4 pages, each with its number at the foot ("Page 1 of 3").

// The PDF file of the report, written with Qt's own PDF writer.
std::string reportPdf(const std::string& html, const std::string& title);

// The same pages as pictures on white paper at the given resolution (for the screenshots).
std::vector<QImage> reportPageImages(const std::string& html, int dotsPerInch);
