#include "speed/report_pdf.h"

#include "platform/journal.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <cmath>
#include <memory>

namespace {

constexpr char kReportTitle[] = "Installation report";
constexpr double kMarginMm = 15.0;
constexpr double kFooterMm = 8.0;
constexpr int kFontPoints = 9;
const QSizeF kA4Mm(210.0, 297.0);

double pixels(double mm, const QPaintDevice& device) {
    return mm * device.logicalDpiY() / 25.4;
}

// The document laid out for the device, pages of the printable size less the footer.
std::unique_ptr<QTextDocument> layOut(const std::string& html, QPaintDevice& device,
                                      QSizeF printable) {
    auto document = std::make_unique<QTextDocument>();
    document->documentLayout()->setPaintDevice(&device);
    QFont font = document->defaultFont();
    font.setPointSize(kFontPoints);
    document->setDefaultFont(font);
    document->setDocumentMargin(0);
    document->setHtml(QString::fromStdString(html));
    document->setPageSize(
        QSizeF(printable.width(), printable.height() - pixels(kFooterMm, device)));
    return document;
}

// Paints one page with the painter's origin at the printable area's top left.
void paintPage(QPainter& painter, QTextDocument& document, int page, QSizeF printable) {
    const QSizeF body = document.pageSize();
    painter.save();
    painter.translate(0, -page * body.height());
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(QPointF(0, page * body.height()), body);
    context.palette.setColor(QPalette::Text, Qt::black);
    painter.setClipRect(context.clip);
    document.documentLayout()->draw(&painter, context);
    painter.restore();

    QFont font = document.defaultFont();
    font.setPointSize(kFontPoints - 1);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QString number = QStringLiteral("Page %1 of %2").arg(page + 1).arg(document.pageCount());
    const QRectF footer(QPointF(0, body.height()),
                        QSizeF(printable.width(), printable.height() - body.height()));
    painter.drawText(footer, Qt::AlignRight | Qt::AlignBottom, number);
    // Where the rest of the run is kept, so the paper leads back to the trace and the polls.
    const std::string folder = platform::journalFolder();
    if (!folder.empty()) {
        const QFontMetricsF metrics(font, painter.device());
        const qreal room = footer.width() - metrics.horizontalAdvance(number + "    ");
        const QString text = QStringLiteral("Journal: ") + QString::fromStdString(folder);
        painter.drawText(footer, Qt::AlignLeft | Qt::AlignBottom,
                         metrics.elidedText(text, Qt::ElideMiddle, room));
    }
}

} // namespace

std::string reportPdf(const std::string& html, const std::string& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QString::fromStdString(title));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                              QPageLayout::Millimeter);
        const QSizeF printable(writer.width(), writer.height());
        QPainter painter(&writer);
        const std::unique_ptr<QTextDocument> document = layOut(html, writer, printable);
        for (int page = 0; page < document->pageCount(); ++page) {
            if (page > 0)
                writer.newPage();
            paintPage(painter, *document, page, printable);
        }
    }
    return bytes.toStdString();
}

std::vector<QImage> reportPageImages(const std::string& html, int dotsPerInch) {
    const auto dotsPerMeter = static_cast<int>(std::lround(dotsPerInch / 0.0254));
    const auto toDots = [dotsPerInch](double mm) {
        return static_cast<int>(std::lround(mm * dotsPerInch / 25.4));
    };
    QImage paper(toDots(kA4Mm.width()), toDots(kA4Mm.height()), QImage::Format_RGB32);
    paper.setDotsPerMeterX(dotsPerMeter);
    paper.setDotsPerMeterY(dotsPerMeter);
    const int margin = toDots(kMarginMm);
    const QSizeF printable(paper.width() - 2 * margin, paper.height() - 2 * margin);
    const std::unique_ptr<QTextDocument> document = layOut(html, paper, printable);
    std::vector<QImage> pages;
    for (int page = 0; page < document->pageCount(); ++page) {
        QImage image = paper;
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.translate(margin, margin);
        paintPage(painter, *document, page, printable);
        pages.push_back(std::move(image));
    }
    return pages;
}

std::string installationReportPdf(const InstallationRecord& record, const ReportChoices& choices) {
    return reportPdf(installationReportHtml(record, choices), kReportTitle);
}

ReportChoices automaticReportChoices() {
    return {rememberedInstallationDetails(), true};
}

std::string automaticReportPdf(const InstallationRecord& record) {
    return installationReportPdf(record, automaticReportChoices());
}
