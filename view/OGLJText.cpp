#include "view/OGLJText.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>

#include <GL/gl.h>

#include <cmath>
#include <cstdarg>
#include <cwchar>
#include <vector>

const wchar_t kDefaultFontName[] = L"ＭＳ ゴシック";

namespace {

uint64_t g_rasterizeCount = 0;

void CopyFontName(wchar_t (&target)[32], const wchar_t* name) {
  if (!name || !*name) name = kDefaultFontName;
  std::wcsncpy(target, name, 31);
  target[31] = L'\0';
}

int VerticalDpi() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) return qRound(screen->logicalDotsPerInchY());
  return 96;
}

// One line rasterised white on black into a 1-bit image whose rows are
// padded to 32 bits and run bottom to top, as glBitmap wants them.
struct LineBitmap {
  int width = 0;  // padded to a multiple of 32
  int height = 0;
  std::vector<uint8_t> bits;
};

LineBitmap RasterizeLine(const QString& line, const QFont& font) {
  LineBitmap bitmap;
  const QFontMetrics metrics(font);
  const int textWidth = metrics.horizontalAdvance(line);
  bitmap.height = metrics.height();
  bitmap.width = ((textWidth + 31) / 32) * 32;
  if (textWidth <= 0 || bitmap.height <= 0) return bitmap;

  QImage image(bitmap.width, bitmap.height, QImage::Format_Mono);
  image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  image.fill(0);
  {
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(0, metrics.ascent(), line);
  }
  const int rowBytes = bitmap.width / 8;
  bitmap.bits.resize(static_cast<size_t>(rowBytes) * bitmap.height);
  for (int row = 0; row < bitmap.height; ++row) {
    // Format_Mono keeps the most significant bit first, like glBitmap.
    const uchar* source = image.constScanLine(bitmap.height - 1 - row);
    std::copy(source, source + rowBytes, bitmap.bits.begin() + static_cast<ptrdiff_t>(row) * rowBytes);
  }
  return bitmap;
}

}  // namespace

QString ResolveFontFamily(const QString& faceName) {
  static const QStringList installed = QFontDatabase::families();
  if (installed.contains(faceName)) return faceName;
  for (const char* candidate : {"IPAGothic", "IPAexGothic", "Noto Sans CJK JP", "TakaoGothic"})
    if (installed.contains(QString::fromLatin1(candidate))) return QString::fromLatin1(candidate);
  return faceName;
}

uint64_t COGLJText::RasterizeCount() { return g_rasterizeCount; }

COGLJText::COGLJText(float size, const wchar_t* name, int anchor_) : fontSize(size), anchor(anchor_) {
  CopyFontName(fontName, name);
}

COGLJText::~COGLJText() { DropDisplayList(); }

void COGLJText::DropDisplayList() {
  if (displayList != 0) {
    glDeleteLists(displayList, 1);
    displayList = 0;
  }
}

void COGLJText::SetText(const wchar_t* format, ...) {
  wchar_t buffer[4096];
  va_list args;
  va_start(args, format);
  const int written = std::vswprintf(buffer, 4096, format ? format : L"", args);
  va_end(args);
  if (written < 0) buffer[4095] = L'\0';  // too long: keep what fitted
  SetPlainText(buffer);
}

void COGLJText::SetPlainText(const std::wstring& newText) {
  if (newText == text) return;
  text = newText;
  DropDisplayList();
}

void COGLJText::SetFontName(const wchar_t* name) {
  wchar_t candidate[32];
  CopyFontName(candidate, name);
  if (std::wcscmp(candidate, fontName) == 0) return;
  DropDisplayList();
  std::wcscpy(fontName, candidate);
}

void COGLJText::SetFontSize(float size) {
  if (size == fontSize) return;
  DropDisplayList();
  fontSize = size;
}

void COGLJText::SetAnchor(int newAnchor) {
  if (newAnchor == anchor) return;
  DropDisplayList();
  anchor = newAnchor;
}

void COGLJText::Render() {
  if (displayList != 0) {
    glCallList(displayList);
    return;
  }
  if (text.empty()) return;

  QFont font(ResolveFontFamily(QString::fromWCharArray(fontName)));
  const int pixelSize = static_cast<int>(std::lround(static_cast<int>(fontSize) * VerticalDpi() / 72.0));
  font.setPixelSize(pixelSize > 0 ? pixelSize : 1);
  font.setWeight(QFont::Normal);
  font.setStyleStrategy(QFont::NoAntialias);

  QStringList lines = QString::fromStdWString(text).split(QLatin1Char('\n'));
  for (QString& line : lines)
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  const int lineCount = static_cast<int>(lines.size());

  ++g_rasterizeCount;
  displayList = glGenLists(1);
  if (displayList == 0) return;
  glNewList(displayList, GL_COMPILE_AND_EXECUTE);
  GLint previousAlignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (int k = 1; k <= lineCount; ++k) {
    const QString& line = lines[k - 1];
    if (line.isEmpty()) continue;  // takes its place without drawing
    const LineBitmap bitmap = RasterizeLine(line, font);
    if (bitmap.bits.empty()) continue;
    const float w = static_cast<float>(bitmap.width), h = static_cast<float>(bitmap.height);
    const float xorig = (anchor == kTopRight || anchor == kBottomRight) ? w : 0.0f;
    const float yorig = (anchor == kTopLeft || anchor == kTopRight) ? k * h : (k - lineCount) * h;
    glBitmap(bitmap.width, bitmap.height, xorig, yorig, 0.0f, 0.0f, bitmap.bits.data());
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
  glEndList();
}

COGLJTextWithPos::COGLJTextWithPos(float size, const wchar_t* name, int anchor_, float x, float y, float z)
    : COGLJText(size, name, anchor_), position{x, y, z} {}

COGLJTextField::COGLJTextField(float size, const wchar_t* name, int anchor_, int position)
    : COGLJText(size, name, anchor_), fieldPosition(position) {}

void COGLJTextField::RenderField() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, 2.0, 2.0, 0.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  static const float kCorner[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 2.0f}, {1.0f, 2.0f}};
  const int corner = fieldPosition >= 0 && fieldPosition < 4 ? fieldPosition : 0;
  glRasterPos2f(kCorner[corner][0], kCorner[corner][1]);
  Render();
  glPopAttrib();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}
