// What a configuration report costs: composing its lines, drawing them on a page and writing the
// PDF, and how large that PDF is, for the history's one PDF per programmed transducer.
//
//   report_bench        (QT_QPA_PLATFORM=offscreen, or on a display)
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "common/lang_table.h"
#include "files/config_report.h"
#include "report/report_page.h"
#include "report/report_print.h"

using namespace r4860;

namespace {

model::ConfigRecord Thermocouple() {
    model::ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Device = "R4747";
    rec.Czujnik = {10, 7, 0, 2};
    rec.Parametry.MaxInput = 600, rec.Parametry.Jednostki = 8, rec.Parametry.FiltrZakres = 10;
    rec.Informacje.kod = "TT-101", rec.Informacje.ogolne = "Furnace 2, top zone, flue gas";
    rec.Informacje.serial = "0412345", rec.Informacje.data = "12.03.2024";
    return rec;
}

double MillisecondsEach(int times, const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i) work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / times;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const model::ConfigRecord rec = Thermocouple();
    const auto models = model::DefaultModelList();
    const auto table = EnglishTable();
    std::vector<std::string> lines;
    const double compose = MillisecondsEach(10000, [&] { lines = files::ReportLines(rec, table, models, 45000); });
    std::printf("compose the 28 lines            %8.4f ms\n", compose);

    QImage page(2480, 3508, QImage::Format_RGB32);   // A4 at 300 dpi
    page.setDotsPerMeterX(11811);
    page.setDotsPerMeterY(11811);
    const double draw = MillisecondsEach(20, [&] {
        page.fill(Qt::white);
        QPainter painter(&page);
        report::DrawReport(painter, lines);
    });
    std::printf("draw on an A4 image at 300 dpi  %8.2f ms\n", draw);

    QTemporaryDir dir;
    const std::filesystem::path pdf = dir.filePath("report.pdf").toStdString();
    (void)report::ExportReportPdf(lines, pdf);   // the first one loads the fonts
    const double exportMs = MillisecondsEach(20, [&] { (void)report::ExportReportPdf(lines, pdf); });
    std::printf("export the PDF (atomic write)   %8.2f ms\n", exportMs);
    std::printf("PDF size                        %8.1f kB\n", static_cast<double>(std::filesystem::file_size(pdf)) / 1024.0);
    return 0;
}
