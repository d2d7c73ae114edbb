// Bitmap texts drawn in the OpenGL view.
//
// A text is rasterised once into 1-bit bitmaps and compiled into a display
// list; later draws replay the list.  SetText with an unchanged result keeps
// the list, so a text that is refreshed every frame with the same content is
// rasterised only once.  The view's context must be current while a text is
// drawn or destroyed.
#pragma once

#include <QString>

#include <cstdint>
#include <string>

// The face every text falls back to; replaced by an installed Japanese
// gothic face when it is missing.
extern const wchar_t kDefaultFontName[];

class COGLJText {
public:
  // Where the text sits relative to the raster position.
  enum Anchor { kTopLeft = 0, kTopRight = 1, kBottomLeft = 2, kBottomRight = 3 };

  COGLJText(float fontSize, const wchar_t* fontName, int anchor);
  virtual ~COGLJText();
  COGLJText(const COGLJText&) = delete;
  COGLJText& operator=(const COGLJText&) = delete;

  // printf-style formatting into at most 4096 characters.
  void SetText(const wchar_t* format, ...);
  void SetPlainText(const std::wstring& text);
  void SetFontName(const wchar_t* name);
  void SetFontSize(float size);
  void SetAnchor(int anchor);

  // Draws at the current raster position in the current raster colour.
  void Render();
  // Drops the display list (the context must be current).
  void DropDisplayList();

  const std::wstring& GetText() const { return text; }
  const wchar_t* GetFontName() const { return fontName; }
  float GetFontSize() const { return fontSize; }
  int GetAnchor() const { return anchor; }
  uint32_t GetDisplayList() const { return displayList; }

  // Number of times any text was rasterised into a display list in this
  // process; lets tests check that redraws replay lists.
  static uint64_t RasterizeCount();

protected:
  wchar_t fontName[32];
  float fontSize;
  int32_t anchor;
  uint32_t displayList = 0;
  std::wstring text;
};

class COGLJTextWithPos : public COGLJText {
public:
  COGLJTextWithPos(float fontSize, const wchar_t* fontName, int anchor, float x, float y, float z);

  float position[3];
};

class COGLJTextField : public COGLJText {
public:
  enum FieldPosition { TFP_LEFTTOP = 0, TFP_RIGHTTOP = 1, TFP_LEFTBOTTOM = 2, TFP_RIGHTBOTTOM = 3 };

  COGLJTextField(float fontSize, const wchar_t* fontName, int anchor, int fieldPosition);

  // Draws in its window corner; the right-hand fields start at the middle.
  void RenderField();

  int32_t fieldPosition;
};

// The Qt font family used for a face name: the name itself when installed,
// else an installed Japanese gothic face.
QString ResolveFontFamily(const QString& faceName);
