#include "nc/RenderingObjectToolPath.h"

CRenderingObjectToolPath::CRenderingObjectToolPath(const std::wstring& name_, float pointSize_,
                                                   float lineWidth_, float faceAlpha_, float fontSize_,
                                                   COLORREF pointColor_, COLORREF lineColor_,
                                                   COLORREF faceColor_, COLORREF fontColor_)
    : CRenderingObject(name_, pointSize_, lineWidth_, faceAlpha_, fontSize_, pointColor_, lineColor_,
                       faceColor_, fontColor_) {}

CRenderingObjectToolPath* CRenderingObjectToolPath::MakeDefault() {
  return new CRenderingObjectToolPath(L"ToolPathDefault", 3.0f, 1.0f, 1.0f, 10.0f, 0xFFFF80, 0xC0C0C0, 0,
                                      0xFFFF00);
}
