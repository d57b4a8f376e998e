#include "provision/ReportPdf.h"

#include <qrencode.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <set>
#include <stdexcept>

#include "base/SafeFormat.h"
#include "provision/PdfDocument.h"

namespace lum {

namespace {

// The report: A4 landscape, in millimetres.
constexpr double kPageWidth = 297;
constexpr double kPageHeight = 210;
constexpr double kMargin = 15;
constexpr double kTitleSize = 16;
constexpr double kTextSize = 9;
constexpr double kRowHeight = 6;
constexpr double kTableTop = 42;
constexpr double kFooterTop = kPageHeight - 10;
constexpr double kRuleWidth = 0.3;
constexpr double kColumnGap = 2;
// Serial number, model, firmware, result, time; then the four key values.
constexpr double kColumnWidths[] = {26, 34, 20, 26, 43, 32, 30, 24, 32};

// The label: a roll of 62 x 29 mm, the QR code on the left.
constexpr double kLabelWidth = 62;
constexpr double kLabelHeight = 29;
constexpr double kLabelMargin = 2;
constexpr double kQrSide = kLabelHeight - 2 * kLabelMargin;
constexpr int kQrQuietModules = 4;  // the white border a reader needs around the code
constexpr double kLabelTextLeft = kLabelMargin + kQrSide + kLabelMargin;
constexpr double kSerialSize = 10;
constexpr double kLabelTextSize = 7;
constexpr size_t kDateLength = 10;  // yyyy-mm-dd of a stored time

std::vector<std::string> Cells(const ReportLine& line) {
  std::vector<std::string> cells = {line.serial, line.model, line.firmware, line.result, line.time};
  cells.insert(cells.end(), line.keyValues.begin(), line.keyValues.end());
  return cells;
}

std::vector<std::string> Headings(const ReportTexts& texts) {
  std::vector<std::string> headings(texts.columns.begin(), texts.columns.end());
  headings.insert(headings.end(), texts.keyColumns.begin(), texts.keyColumns.end());
  return headings;
}

std::string Jobs(const std::vector<ReportLine>& lines) {
  std::set<std::string> names;
  for (const ReportLine& line : lines) names.insert(line.job);
  return std::accumulate(
      names.begin(), names.end(), std::string(),
      [](const std::string& all, const std::string& name) { return all.empty() ? name : all + ", " + name; });
}

void Row(PdfDocument& pdf, double y, const std::vector<std::string>& cells) {
  double x = kMargin;
  for (size_t i = 0; i < cells.size() && i < std::size(kColumnWidths); ++i) {
    pdf.Text(x, y, kTextSize, cells[i], kColumnWidths[i] - kColumnGap);
    x += kColumnWidths[i];
  }
}

// What one page of the report holds: table rows first, then the units to plug again.
struct PageItem {
  enum Kind { TableRow, ReplugHeading, ReplugRow } kind;
  const ReportLine* line;
};

std::vector<std::vector<PageItem>> Paginate(const std::vector<ReportLine>& lines) {
  const auto perPage = static_cast<size_t>((kFooterTop - kRowHeight - kTableTop) / kRowHeight);
  std::vector<PageItem> items;
  items.reserve(2 * lines.size() + 1);
  for (const ReportLine& line : lines) items.push_back({PageItem::TableRow, &line});
  items.push_back({PageItem::ReplugHeading, nullptr});
  for (const ReportLine& line : lines)
    if (line.ToReplug()) items.push_back({PageItem::ReplugRow, &line});
  std::vector<std::vector<PageItem>> pages;
  for (size_t i = 0; i < items.size(); i += perPage)
    pages.emplace_back(items.begin() + static_cast<std::ptrdiff_t>(i),
                       items.begin() + static_cast<std::ptrdiff_t>(std::min(items.size(), i + perPage)));
  return pages;
}

struct QrCodeDeleter {
  void operator()(QRcode* code) const { QRcode_free(code); }
};

void QrCode(PdfDocument& pdf, const std::string& text, double x, double y, double side) {
  const std::unique_ptr<QRcode, QrCodeDeleter> code(QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1));
  if (!code) throw std::runtime_error("a QR code of \"" + text + "\" cannot be made");
  const int modules = code->width + 2 * kQrQuietModules;
  const double module = side / modules;
  for (int row = 0; row < code->width; ++row)
    for (int column = 0; column < code->width; ++column)
      if (code->data[row * code->width + column] & 1)  // bit 0: a dark module
        pdf.FilledRect(x + (column + kQrQuietModules) * module, y + (row + kQrQuietModules) * module, module, module);
}

}  // namespace

std::string ReportPdf(const std::vector<ReportLine>& lines, const ReportTexts& texts, const std::string& printed) {
  PdfDocument pdf;
  const auto pages = Paginate(lines);
  const auto replugCount = std::count_if(lines.begin(), lines.end(), [](const ReportLine& l) { return l.ToReplug(); });
  for (size_t p = 0; p < pages.size(); ++p) {
    pdf.AddPage(kPageWidth, kPageHeight);
    pdf.Text(kMargin, 20, kTitleSize, texts.title);
    pdf.Text(kMargin, 28, kTextSize, FormatText(texts.job, {Jobs(lines)}), kPageWidth / 2 - kMargin);
    pdf.Text(kPageWidth / 2, 28, kTextSize, FormatText(texts.printed, {printed}));
    double y = kTableTop;
    if (pages[p].front().kind == PageItem::TableRow) {
      Row(pdf, y, Headings(texts));
      pdf.Line(kMargin, y + 1.5, kPageWidth - kMargin, y + 1.5, kRuleWidth);
      y += kRowHeight;
    }
    for (const PageItem& item : pages[p]) {
      if (item.kind == PageItem::TableRow) {
        Row(pdf, y, Cells(*item.line));
      } else if (item.kind == PageItem::ReplugHeading) {
        y += kRowHeight / 2;
        pdf.Text(kMargin, y, kTextSize,
                 replugCount ? FormatText(texts.replug, {static_cast<int64_t>(replugCount)}) : texts.nothingToReplug);
      } else {
        Row(pdf, y, {item.line->serial, item.line->model, item.line->firmware, item.line->result});
      }
      y += kRowHeight;
    }
    pdf.Text(kMargin, kFooterTop + kRowHeight, kTextSize,
             FormatText(texts.page, {static_cast<int64_t>(p + 1), static_cast<int64_t>(pages.size())}));
  }
  return pdf.Bytes();
}

std::string LabelsPdf(const std::vector<ReportLine>& lines, const ReportTexts& texts) {
  PdfDocument pdf;
  if (std::none_of(lines.begin(), lines.end(), [](const ReportLine& l) { return l.Commissioned(); }))
    throw std::runtime_error("no unit among these records holds its job's configuration: there is nothing to label");
  for (const ReportLine& line : lines) {
    if (!line.Commissioned()) continue;
    pdf.AddPage(kLabelWidth, kLabelHeight);
    QrCode(pdf, line.serial, kLabelMargin, kLabelMargin, kQrSide);
    const double width = kLabelWidth - kLabelTextLeft - kLabelMargin;
    pdf.Text(kLabelTextLeft, 8, kSerialSize, line.serial, width);
    pdf.Text(kLabelTextLeft, 14, kLabelTextSize, line.model, width);
    pdf.Text(kLabelTextLeft, 19, kLabelTextSize, FormatText(texts.job, {line.job}), width);
    pdf.Text(kLabelTextLeft, 24, kLabelTextSize, line.time.substr(0, kDateLength), width);
  }
  return pdf.Bytes();
}

}  // namespace lum
