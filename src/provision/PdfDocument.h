#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace lum {

/// A PDF document drawn in millimetres from the top left corner of each page (libharu).
/// Latin text is set in Helvetica; text with other characters in the Chinese CID font SimSun,
/// which PDF readers supply themselves, so that no font file is needed where the PDF is made.
/// Control characters and invalid UTF-8 are drawn as "?". Throws std::runtime_error when
/// the library fails.
class PdfDocument {
 public:
  PdfDocument();
  ~PdfDocument();
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  /// Starts a page; the following drawing goes there.
  void AddPage(double widthMm, double heightMm);
  /// Text with its baseline at y, cut with "..." to at most maxWidthMm (0: no limit).
  void Text(double xMm, double yMm, double sizePt, std::string_view utf8, double maxWidthMm = 0);
  /// Width of the text as Text would draw it.
  double TextWidth(double sizePt, std::string_view utf8);
  void Line(double x1Mm, double y1Mm, double x2Mm, double y2Mm, double widthMm);
  void FilledRect(double xMm, double yMm, double widthMm, double heightMm);

  /// The whole document as PDF bytes.
  std::string Bytes();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace lum
