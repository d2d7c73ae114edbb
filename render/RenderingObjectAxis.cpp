#include "render/RenderingObjectAxis.h"

#include <GL/gl.h>

#include "render/ManagerPickObject.h"
#include "render/ManagerRenderingObject.h"
#include "render/PickObject.h"
#include "view/OGLJText.h"
#include "view/PickGeometry.h"

namespace {

const uint8_t kArmColors[4][3] = {{255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

CManagerRenderingObject& Manager() { return *CManagerRenderingObject::GetInstance(); }

void Vertex(const TZtVector3<float>& p) { glVertex3f(p.x, p.y, p.z); }
void RasterPos(const TZtVector3<float>& p) { glRasterPos3f(p.x, p.y, p.z); }

}  // namespace

CRenderingObjectAxis::CRenderingObjectAxis(float length_, float pointSize_, bool isMain_, float lineWidth_,
                                           float fontSize_)
    : CRenderingObject(L"AxisMain", pointSize_, lineWidth_, 1.0f, fontSize_, 0, 0, 0, 0),
      isMain(isMain_),
      length(length_),
      labelX(new COGLJText(fontSize_, fontName.c_str(), COGLJText::kBottomLeft)),
      labelY(new COGLJText(fontSize_, fontName.c_str(), COGLJText::kBottomLeft)),
      labelZ(new COGLJText(fontSize_, fontName.c_str(), COGLJText::kBottomLeft)) {
  labelX->SetPlainText(L"X");
  labelY->SetPlainText(L"Y");
  labelZ->SetPlainText(L"Z");
}

CRenderingObjectAxis::~CRenderingObjectAxis() {
  delete labelX;
  delete labelY;
  delete labelZ;
}

TZtVector3<float> CRenderingObjectAxis::Corner(int i) const {
  switch (i) {
    case 1: return {length, 0.0f, 0.0f};
    case 2: return {0.0f, length, 0.0f};
    case 3: return {0.0f, 0.0f, length};
    default: return {0.0f, 0.0f, 0.0f};
  }
}

bool CRenderingObjectAxis::GetExtents(TZtVector3<float>& min, TZtVector3<float>& max) {
  min = {-length, -length, -length};
  max = {length, length, length};
  return true;
}

bool CRenderingObjectAxis::GetPickedPoint(const CPickInformation& hit, TZtVector3<float>& point, int x, int y) {
  if (hit.nameCount < 4) return false;
  const uint32_t element = hit.names[3];
  if (hit.names[2] == 1 && element <= 3) {
    point = Corner(static_cast<int>(element));
    return true;
  }
  if (hit.names[2] == 2 && element >= 1 && element <= 3) {
    point = PointOnEdge(x, y, Corner(0), Corner(static_cast<int>(element)));
    return true;
  }
  return false;
}

bool CRenderingObjectAxis::GetPickedEdge(const CPickInformation& hit, std::vector<TZtVector3<float>>& points) {
  if (hit.nameCount < 4 || hit.names[2] != 2 || hit.names[3] < 1 || hit.names[3] > 3) return false;
  points.clear();
  points.push_back(Corner(0));
  points.push_back(Corner(static_cast<int>(hit.names[3])));
  return true;
}

void CRenderingObjectAxis::RenderPickedElement(const CPickInformation& hit) {
  if (hit.nameCount < 4) return;
  const uint32_t element = hit.names[3];
  if (hit.names[2] == 1 && element <= 3) {
    glBegin(GL_POINTS);
    Vertex(Corner(static_cast<int>(element)));
    glEnd();
  } else if (hit.names[2] == 2 && element >= 1 && element <= 3) {
    glBegin(GL_LINES);
    glVertex3f(0.0f, 0.0f, 0.0f);
    Vertex(Corner(static_cast<int>(element)));
    glEnd();
  }
}

bool CRenderingObjectAxis::ShowsElement(bool managerSwitch, uint32_t pickBit) const {
  const CManagerPickObject* picks = CManagerPickObject::GetInstance();
  return managerSwitch || (picks && picks->showPickableElements && (picks->pickMask & pickBit));
}

void CRenderingObjectAxis::RenderPoints(int mode) {
  if (!isMain || pointSize <= 0.0f || !ShowsElement(Manager().axisRenderPoint, kPickPoint)) return;
  const auto draw = [this] {
    glPushAttrib(GL_CURRENT_BIT);
    glPointSize(pointSize);
    glBegin(GL_POINTS);
    for (int i = 0; i < 4; ++i) {
      glColor3ubv(kArmColors[i]);
      Vertex(Corner(i));
    }
    glEnd();
    glPopAttrib();
  };
  if (mode == kRenderDraw) {
    if (highlight == 0) CallOrCompile(displayListPoint, draw);
    else draw();
  } else if (mode == kRenderSelect) {
    glPointSize(pointSize);
    glPushName(kKindAxis);
    glPushName(1);
    for (int i = 0; i < 4; ++i) {
      glPushName(static_cast<GLuint>(i));
      glBegin(GL_POINTS);
      Vertex(Corner(i));
      glEnd();
      glPopName();
    }
    glPopName();
    glPopName();
  }
}

void CRenderingObjectAxis::RenderLines(int mode) {
  if (lineWidth <= 0.0f || !ShowsElement(Manager().axisRenderLine, kPickLine)) return;
  const auto draw = [this] {
    glPushAttrib(GL_CURRENT_BIT);
    glLineWidth(lineWidth);
    glBegin(GL_LINES);
    for (int arm = 1; arm <= 3; ++arm) {
      glColor3ubv(kArmColors[arm]);
      glVertex3f(0.0f, 0.0f, 0.0f);
      Vertex(Corner(arm));
    }
    glEnd();
    glPopAttrib();
  };
  if (mode == kRenderDraw) {
    if (highlight == 0) CallOrCompile(displayListLine, draw);
    else draw();
  } else if (mode == kRenderSelect) {
    glLineWidth(lineWidth);
    glPushName(kKindAxis);
    glPushName(2);
    for (int arm = 1; arm <= 3; ++arm) {
      glPushName(static_cast<GLuint>(arm));
      glBegin(GL_LINES);
      glVertex3f(0.0f, 0.0f, 0.0f);
      Vertex(Corner(arm));
      glEnd();
      glPopName();
    }
    glPopName();
    glPopName();
  }
}

void CRenderingObjectAxis::RenderLabels(int mode) {
  if (mode != kRenderDraw || !Manager().axisRenderLabel) return;
  COGLJText* labels[3] = {labelX, labelY, labelZ};
  for (int arm = 1; arm <= 3; ++arm) {
    glColor3ubv(kArmColors[arm]);
    RasterPos(Corner(arm));
    labels[arm - 1]->Render();
  }
}

void CRenderingObjectAxis::Profile(bool save, const wchar_t* suffix) {
  CRenderingObject::Profile(save, suffix);
  const QString section = suffix ? QStringLiteral("RenderingObjectAxis-") + QString::fromWCharArray(suffix)
                                 : QStringLiteral("RenderingObjectAxis");
  CProfileSection profile(save, section);
  profile.Float(QStringLiteral("Length"), length);
}

void CRenderingObjectAxis::SetLength(float newLength) {
  if (newLength == length) return;
  length = newLength;
  if (isMain) {
    labelX->SetText(L"X(%0.0lf)", static_cast<double>(length));
    labelY->SetText(L"Y(%0.0lf)", static_cast<double>(length));
    labelZ->SetText(L"Z(%0.0lf)", static_cast<double>(length));
  } else {
    labelX->SetPlainText(L"X");
    labelY->SetPlainText(L"Y");
    labelZ->SetPlainText(L"Z");
  }
  DeleteDisplayLists(kListAll);
}
