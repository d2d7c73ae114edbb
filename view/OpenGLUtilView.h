// The last generic layer of the view chain: what is drawn over the scene in
// window coordinates (four corner text fields, distance scales along the
// window edges, the frame statistics), antialiasing, and the ten stored view
// states.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "view/OGLJText.h"
#include "view/OpenGLPickView.h"

// Layout of one distance scale along a window edge of extent pixels at rate
// pixels per model unit (mm).  Positions run along the edge in window
// pixels from its left (horizontal) or top (vertical) end.
struct ScaleLayout {
  bool visible = false;     // false when no length fits between the 100-pixel margins
  double modelLength = 0;   // L, model length that fits between the margins
  int exponent = 0;         // e, the decade of L
  double unit = 0;          // u = 10^e
  int count = 0;            // n, whole units of u in L
  double lengthPixels = 0;  // n u r
  double start = 0;         // first end, centred: extent / 2 - n u r / 2
  int tickCount = 0;        // 10 when n is 1, else n + 1
  double tickSpacing = 0;   // u r / 10 when n is 1, else u r
  std::wstring label;       // n u with 0 decimals for L >= 1, else -e decimals
};

ScaleLayout ComputeScaleLayout(int extent, double rate);

class COpenGLUtilView : public COpenGLPickView {
  Q_OBJECT

public:
  enum ScalePosition { SP_TOP = 0, SP_BOTTOM = 1, SP_LEFT = 2, SP_RIGHT = 3 };

  explicit COpenGLUtilView(QWidget* parent = nullptr);
  ~COpenGLUtilView() override;

  // The chain's sections, the ten "ViewingCondition-%02d" sections, then
  // "OpenGLUtilView".
  void Profile(bool save) override;

  // Draws the enabled scales over the scene (own projection, no depth test).
  void DrawScales();

  // Field texts; positions are COGLJTextField::TFP_*, others are ignored.
  void SetUseUserText(int position, bool use);
  void SetSystemText(int position, const wchar_t* text);
  void SetUserText(int position, const wchar_t* text);

  // The field texts and scale labels, for the application and tests.
  COGLJTextField* TextField(int position) const;
  COGLJText* ScaleLabel(int index) const;

  CViewingCondition viewingConditions[kViewStateSlots];
  int32_t renderScale[4] = {0, 1, 0, 1};
  uint8_t scaleColor[3] = {192, 192, 192};
  int32_t renderTextField[4] = {1, 1, 1, 1};
  int32_t userDefinedTextField[4] = {0, 0, 0, 0};
  std::wstring systemText[4];
  std::wstring userDefinedText[4];
  uint8_t textFieldColor[4][3] = {{0, 255, 255}, {255, 255, 0}, {0, 255, 0}, {192, 192, 192}};
  bool antialias = false;
  uint32_t frameStartTime = 0;  // steady clock, milliseconds

protected:
  // The light view's model view, then antialiasing on or off.
  void SetupModelView() override;
  // The scales; the application's view replaces it and calls DrawScales().
  void RenderScene() override;
  void PreRender() override;
  // The four text fields.
  void PostRender() override;
  void ReleaseOpenGL() override;
  CViewingCondition* ViewingConditionSlot(int slot) override;

  // The frame statistics shown in the bottom-left field.
  std::wstring FrameStatisticsText() const;

private:
  // Field i shows the user's or the system text, as userDefinedTextField says.
  void RefreshFieldText(int position);

  // Zero labels of the top, bottom, left and right scales, then their
  // length labels.
  std::unique_ptr<COGLJText> scaleLabels[8];
  std::unique_ptr<COGLJTextField> textFields[4];
};

// Milliseconds of the steady clock, wrapping at 2^32.
uint32_t SteadyMilliseconds();
