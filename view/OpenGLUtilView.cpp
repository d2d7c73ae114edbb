#include "view/OpenGLUtilView.h"

#include <GL/gl.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cwchar>

#include "app/SettingsStore.h"

namespace {

constexpr float kTextFontSize = 9.0f;
constexpr int kScaleMargin = 100;      // pixels left free at each end of an edge
constexpr double kScaleOffset = 30.0;  // distance of a scale line from its edge
constexpr double kTickLength = 10.0;

// Key suffixes of the settings, by position.
const char* const kScaleKeys[4] = {"SP_TOP", "SP_BOTTOM", "SP_LEFT", "SP_RIGHT"};
const char* const kFieldKeys[4] = {"COGLJTextField::TFP_LEFTTOP", "COGLJTextField::TFP_RIGHTTOP",
                                   "COGLJTextField::TFP_LEFTBOTTOM", "COGLJTextField::TFP_RIGHTBOTTOM"};
const char* const kCornerKeys[4] = {"LEFTTOP", "RIGHTTOP", "LEFTBOTTOM", "RIGHTBOTTOM"};

QString Key(const char* name, const char* index) {
  return QString::fromLatin1(name) + QLatin1Char('[') + QString::fromLatin1(index) + QLatin1Char(']');
}

bool ValidPosition(int position) { return position >= 0 && position < 4; }

// n u with the given number of decimals, independent of the locale.
std::wstring FormatLength(double value, int decimals) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return L"?";
  return std::wstring(buffer, result.ptr);
}

}  // namespace

uint32_t SteadyMilliseconds() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

ScaleLayout ComputeScaleLayout(int extent, double rate) {
  ScaleLayout layout;
  if (!(rate > 0.0)) return layout;
  const double length = (extent - 2.0 * kScaleMargin) / rate;
  layout.modelLength = length;
  if (!(length > 0.0) || !std::isfinite(length)) return layout;

  // The decade of L: trunc(log10 L), one lower below 1 so that u <= L.
  int e = static_cast<int>(std::log10(length));
  if (length < 1.0) e -= 1;
  const double u = std::pow(10.0, e);
  const int n = static_cast<int>(length / u);
  if (n <= 0) return layout;

  layout.visible = true;
  layout.exponent = e;
  layout.unit = u;
  layout.count = n;
  layout.lengthPixels = n * u * rate;
  layout.start = extent / 2.0 - layout.lengthPixels / 2.0;
  if (n == 1) {
    layout.tickCount = 10;
    layout.tickSpacing = u * rate / 10.0;
  } else {
    layout.tickCount = n + 1;
    layout.tickSpacing = u * rate;
  }
  layout.label = FormatLength(n * u, length >= 1.0 ? 0 : -e);
  return layout;
}

COpenGLUtilView::COpenGLUtilView(QWidget* parent) : COpenGLPickView(parent) {
  using A = COGLJText::Anchor;
  // Top scale labels and the vertical length labels sit above their point.
  static const int kLabelAnchors[8] = {A::kBottomLeft, A::kTopLeft, A::kTopLeft,    A::kTopLeft,
                                       A::kBottomLeft, A::kTopLeft, A::kBottomLeft, A::kBottomLeft};
  for (int i = 0; i < 8; ++i) {
    scaleLabels[i] = std::make_unique<COGLJText>(kTextFontSize, kDefaultFontName, kLabelAnchors[i]);
    if (i < 4) scaleLabels[i]->SetPlainText(L"0");
  }
  static const int kFieldAnchors[4] = {A::kTopLeft, A::kTopLeft, A::kBottomLeft, A::kBottomLeft};
  for (int i = 0; i < 4; ++i)
    textFields[i] = std::make_unique<COGLJTextField>(kTextFontSize, kDefaultFontName, kFieldAnchors[i], i);
}

COpenGLUtilView::~COpenGLUtilView() {
  // The texts delete their display lists in this view's context.
  MakeContextCurrent();
}

COGLJTextField* COpenGLUtilView::TextField(int position) const {
  return ValidPosition(position) ? textFields[position].get() : nullptr;
}

COGLJText* COpenGLUtilView::ScaleLabel(int index) const {
  return index >= 0 && index < 8 ? scaleLabels[index].get() : nullptr;
}

CViewingCondition* COpenGLUtilView::ViewingConditionSlot(int slot) {
  return slot >= 0 && slot < kViewStateSlots ? &viewingConditions[slot] : nullptr;
}

void COpenGLUtilView::Profile(bool save) {
  COpenGLPickView::Profile(save);
  for (int slot = 0; slot < kViewStateSlots; ++slot) viewingConditions[slot].Profile(save, slot);

  // A changed font drops display lists, which live in this view's context.
  if (!save) MakeContextCurrent();
  CProfileSection section(save, QStringLiteral("OpenGLUtilView"));
  section.Bool(QStringLiteral("Antialias"), antialias);
  for (int i = 0; i < 4; ++i) section.Int(Key("RenderScale", kScaleKeys[i]), renderScale[i]);
  for (int i = 0; i < 4; ++i) section.Int(Key("RenderTextField", kFieldKeys[i]), renderTextField[i]);
  for (int i = 0; i < 4; ++i) {
    float size = textFields[i]->GetFontSize();
    section.Float(Key("TextFieldFontSize", kFieldKeys[i]), size);
    if (!save) textFields[i]->SetFontSize(size);
  }
  for (int i = 0; i < 4; ++i) {
    QString name = QString::fromWCharArray(textFields[i]->GetFontName());
    section.Text(Key("TextFieldFontName", kFieldKeys[i]), name);
    if (!save && !name.isEmpty()) textFields[i]->SetFontName(name.toStdWString().c_str());
  }
  for (int i = 0; i < 4; ++i)
    section.Int(Key("UserDefinedTextField", kFieldKeys[i]), userDefinedTextField[i]);
  for (int i = 0; i < 4; ++i) {
    uint8_t* c = textFieldColor[i];
    COLORREF color = MakeColorRef(c[0], c[1], c[2]);
    section.Color(Key("TextFieldColor", kCornerKeys[i]), color);
    c[0] = RedOf(color);
    c[1] = GreenOf(color);
    c[2] = BlueOf(color);
  }
  for (int i = 0; i < 4; ++i) {
    const QString key = Key("UserDefinedText", kCornerKeys[i]);
    if (save) {
      if (!userDefinedText[i].empty()) section.WriteText(key, ToQString(userDefinedText[i]));
    } else {
      QString text;
      if (section.ReadText(key, text) && !text.isEmpty()) userDefinedText[i] = ToWString(text);
    }
  }
  if (!save)
    for (int i = 0; i < 4; ++i) RefreshFieldText(i);
}

void COpenGLUtilView::RefreshFieldText(int position) {
  textFields[position]->SetPlainText(userDefinedTextField[position] ? userDefinedText[position]
                                                                    : systemText[position]);
}

void COpenGLUtilView::SetUseUserText(int position, bool use) {
  if (!ValidPosition(position) || (userDefinedTextField[position] != 0) == use) return;
  userDefinedTextField[position] = use ? 1 : 0;
  MakeContextCurrent();  // the old text's display list goes
  RefreshFieldText(position);
}

void COpenGLUtilView::SetSystemText(int position, const wchar_t* text) {
  if (!ValidPosition(position)) return;
  const std::wstring value = text ? text : L"";
  if (value == systemText[position]) return;
  systemText[position] = value;
  if (!userDefinedTextField[position]) {
    MakeContextCurrent();
    textFields[position]->SetPlainText(value);
  }
}

void COpenGLUtilView::SetUserText(int position, const wchar_t* text) {
  if (!ValidPosition(position)) return;
  const std::wstring value = text ? text : L"";
  if (value == userDefinedText[position]) return;
  userDefinedText[position] = value;
  if (userDefinedTextField[position]) {
    MakeContextCurrent();
    textFields[position]->SetPlainText(value);
  }
}

void COpenGLUtilView::SetupModelView() {
  COpenGLPickView::SetupModelView();
  const GLenum smoothing[3] = {GL_POINT_SMOOTH, GL_LINE_SMOOTH, GL_BLEND};
  for (GLenum cap : smoothing) {
    if (antialias)
      glEnable(cap);
    else
      glDisable(cap);
  }
}

void COpenGLUtilView::RenderScene() {
  COpenGLPickView::RenderScene();
  DrawScales();
}

void COpenGLUtilView::PreRender() {
  if (renderTextField[COGLJTextField::TFP_LEFTBOTTOM]) frameStartTime = SteadyMilliseconds();
}

std::wstring COpenGLUtilView::FrameStatisticsText() const {
  uint32_t t = SteadyMilliseconds() - frameStartTime;
  if (t == 0) t = 1;
  wchar_t buffer[512];
  const int written = std::swprintf(
      buffer, sizeof buffer / sizeof buffer[0],
      L"描画倍率：%9.4lf[倍]\n描画所要時間：%5d[fps] ( %9.4lf[spf] )\n画面サイズ　： %4d x %4d = %7d [dot]\n",
      static_cast<double>(renderingRate), static_cast<int>(std::lround(1000.0 / t)), t / 1000.0, viewWidth,
      viewHeight, viewWidth * viewHeight);
  return written < 0 ? std::wstring() : std::wstring(buffer, static_cast<size_t>(written));
}

void COpenGLUtilView::PostRender() {
  for (int i = 0; i < 4; ++i) {
    if (!renderTextField[i]) continue;
    if (i == COGLJTextField::TFP_LEFTBOTTOM && !userDefinedTextField[i])
      textFields[i]->SetPlainText(FrameStatisticsText());
    glColor3ubv(textFieldColor[i]);
    textFields[i]->RenderField();
  }
}

void COpenGLUtilView::DrawScales() {
  const int w = viewWidth, h = viewHeight;
  if (w <= 0 || h <= 0) return;
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, w, h, 0.0, -1.0, 1.0);  // pixels, y downward
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glLineWidth(1.0f);
  glColor3ubv(scaleColor);

  const ScaleLayout across = ComputeScaleLayout(w, renderingRate);
  if (across.visible) {
    const double x0 = across.start, x1 = across.start + across.lengthPixels;
    for (int side : {SP_TOP, SP_BOTTOM}) {
      if (!renderScale[side]) continue;
      const double y = side == SP_TOP ? kScaleOffset : h - kScaleOffset;
      const double tickEnd = side == SP_TOP ? y + kTickLength : y - kTickLength;
      glBegin(GL_LINES);
      glVertex2d(x0, y);
      glVertex2d(x1, y);
      for (int k = 0; k < across.tickCount; ++k) {
        const double x = x0 + k * across.tickSpacing;
        glVertex2d(x, y);
        glVertex2d(x, tickEnd);
      }
      glEnd();
      scaleLabels[4 + side]->SetPlainText(across.label);
      glRasterPos2d(x0, y);
      scaleLabels[side]->Render();
      glRasterPos2d(x1, y);
      scaleLabels[4 + side]->Render();
    }
  }

  const ScaleLayout down = ComputeScaleLayout(h, renderingRate);
  if (down.visible) {
    // The zero end is the lower one.
    const double yLow = down.start + down.lengthPixels, yHigh = down.start;
    for (int side : {SP_LEFT, SP_RIGHT}) {
      if (!renderScale[side]) continue;
      const double x = side == SP_LEFT ? kScaleOffset : w - kScaleOffset;
      const double tickEnd = side == SP_LEFT ? x + kTickLength : x - kTickLength;
      glBegin(GL_LINES);
      glVertex2d(x, yLow);
      glVertex2d(x, yHigh);
      for (int k = 0; k < down.tickCount; ++k) {
        const double y = yLow - k * down.tickSpacing;
        glVertex2d(x, y);
        glVertex2d(tickEnd, y);
      }
      glEnd();
      scaleLabels[4 + side]->SetPlainText(down.label);
      glRasterPos2d(x, yLow);
      scaleLabels[side]->Render();
      glRasterPos2d(x, yHigh);
      scaleLabels[4 + side]->Render();
    }
  }

  glPopAttrib();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

void COpenGLUtilView::ReleaseOpenGL() {
  for (auto& label : scaleLabels) label->DropDisplayList();
  for (auto& field : textFields) field->DropDisplayList();
  COpenGLPickView::ReleaseOpenGL();
}
