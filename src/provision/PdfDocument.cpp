#include "provision/PdfDocument.h"

#include <fmt/format.h>
#include <hpdf.h>

#include <stdexcept>
#include <vector>

#include "base/TextEncoding.h"

namespace lum {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr char kEllipsis[] = "...";
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

bool IsPrintableAscii(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= kFirstPrintable && byte < kDelete;
}

// Code page 936 keeps ASCII as it is and never uses a control byte inside a character, so the
// controls left after encoding are the text's own.
std::string ChineseFontBytes(std::string_view utf8) {
  std::string bytes = EncodeText(utf8, TextEncoding::Gbk);
  for (char& c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < kFirstPrintable || byte == kDelete) c = '?';
  }
  return bytes;
}

// Pieces of a text set in one font: plain ASCII in the Latin font (the Chinese font would
// draw it full-width), the rest in the Chinese one.
struct Run {
  std::string_view text;
  bool latin;
};

std::vector<Run> Runs(std::string_view utf8) {
  std::vector<Run> runs;
  size_t start = 0;
  for (size_t i = 1; i <= utf8.size(); ++i)
    if (i == utf8.size() || IsPrintableAscii(utf8[i]) != IsPrintableAscii(utf8[start])) {
      runs.push_back({utf8.substr(start, i - start), IsPrintableAscii(utf8[start])});
      start = i;
    }
  return runs;
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

struct PdfDocument::Impl {
  HPDF_Doc doc = nullptr;
  HPDF_Page page = nullptr;
  HPDF_Font latin = nullptr;
  HPDF_Font chinese = nullptr;
  double pageHeightPt = 0;
  HPDF_STATUS error = HPDF_OK;

  static void OnError(HPDF_STATUS error, HPDF_STATUS /*detail*/, void* self) {
    static_cast<Impl*>(self)->error = error;
  }

  void Check(const char* what) {
    if (error == HPDF_OK) return;
    const auto code = static_cast<unsigned long>(error);
    error = HPDF_OK;
    HPDF_ResetError(doc);
    throw std::runtime_error(fmt::format("PDF: {} failed (libharu error 0x{:04X})", what, code));
  }

  // Chooses the run's font and returns the bytes to draw in it.
  std::string UseFont(const Run& run, double sizePt) {
    HPDF_Page_SetFontAndSize(page, run.latin ? latin : chinese, static_cast<HPDF_REAL>(sizePt));
    Check("choosing a font");
    return run.latin ? std::string(run.text) : ChineseFontBytes(run.text);
  }

  double WidthMm(std::string_view utf8, double sizePt) {
    double points = 0;
    for (const Run& run : Runs(utf8)) points += HPDF_Page_TextWidth(page, UseFont(run, sizePt).c_str());
    return points / kPointsPerMm;
  }

  HPDF_REAL X(double mm) const { return static_cast<HPDF_REAL>(mm * kPointsPerMm); }
  HPDF_REAL Y(double mm) const { return static_cast<HPDF_REAL>(pageHeightPt - mm * kPointsPerMm); }
};

PdfDocument::PdfDocument() : impl_(std::make_unique<Impl>()) {
  impl_->doc = HPDF_New(&Impl::OnError, impl_.get());
  if (impl_->doc == nullptr) throw std::runtime_error("PDF: out of memory");
  HPDF_SetCompressionMode(impl_->doc, HPDF_COMP_ALL);
  HPDF_UseCNSFonts(impl_->doc);
  HPDF_UseCNSEncodings(impl_->doc);
  impl_->latin = HPDF_GetFont(impl_->doc, "Helvetica", "WinAnsiEncoding");
  impl_->chinese = HPDF_GetFont(impl_->doc, "SimSun", "GBK-EUC-H");
  impl_->Check("loading the fonts");
}

PdfDocument::~PdfDocument() { HPDF_Free(impl_->doc); }

void PdfDocument::AddPage(double widthMm, double heightMm) {
  impl_->page = HPDF_AddPage(impl_->doc);
  impl_->Check("adding a page");
  HPDF_Page_SetWidth(impl_->page, impl_->X(widthMm));
  HPDF_Page_SetHeight(impl_->page, impl_->X(heightMm));
  impl_->pageHeightPt = heightMm * kPointsPerMm;
  impl_->Check("sizing a page");
}

double PdfDocument::TextWidth(double sizePt, std::string_view utf8) { return impl_->WidthMm(utf8, sizePt); }

void PdfDocument::Text(double xMm, double yMm, double sizePt, std::string_view utf8, double maxWidthMm) {
  std::string shown(utf8);
  if (maxWidthMm > 0 && impl_->WidthMm(shown, sizePt) > maxWidthMm) {
    std::string_view head = utf8;
    while (!head.empty()) {
      head.remove_suffix(1);
      while (!head.empty() && IsContinuationByte(utf8[head.size()])) head.remove_suffix(1);
      shown = std::string(head) + kEllipsis;
      if (impl_->WidthMm(shown, sizePt) <= maxWidthMm) break;
    }
  }
  double x = xMm;
  for (const Run& run : Runs(shown)) {
    const std::string bytes = impl_->UseFont(run, sizePt);
    HPDF_Page_BeginText(impl_->page);
    HPDF_Page_TextOut(impl_->page, impl_->X(x), impl_->Y(yMm), bytes.c_str());
    HPDF_Page_EndText(impl_->page);
    impl_->Check("drawing text");
    x += HPDF_Page_TextWidth(impl_->page, bytes.c_str()) / kPointsPerMm;
  }
}

void PdfDocument::Line(double x1Mm, double y1Mm, double x2Mm, double y2Mm, double widthMm) {
  HPDF_Page_SetLineWidth(impl_->page, impl_->X(widthMm));
  HPDF_Page_MoveTo(impl_->page, impl_->X(x1Mm), impl_->Y(y1Mm));
  HPDF_Page_LineTo(impl_->page, impl_->X(x2Mm), impl_->Y(y2Mm));
  HPDF_Page_Stroke(impl_->page);
  impl_->Check("drawing a line");
}

void PdfDocument::FilledRect(double xMm, double yMm, double widthMm, double heightMm) {
  HPDF_Page_Rectangle(impl_->page, impl_->X(xMm), impl_->Y(yMm + heightMm), impl_->X(widthMm), impl_->X(heightMm));
  HPDF_Page_Fill(impl_->page);
  impl_->Check("drawing a rectangle");
}

std::string PdfDocument::Bytes() {
  HPDF_SaveToStream(impl_->doc);
  impl_->Check("making the document");
  HPDF_UINT32 size = HPDF_GetStreamSize(impl_->doc);
  std::string bytes(size, '\0');
  HPDF_ReadFromStream(impl_->doc, reinterpret_cast<HPDF_BYTE*>(bytes.data()), &size);
  bytes.resize(size);
  HPDF_ResetStream(impl_->doc);
  return bytes;
}

}  // namespace lum
