#include "render/DisplayObject.h"

#include <GL/gl.h>

#include "view/OGLJText.h"

using Points = std::vector<TZtVector3<float>>;

CDisplayObject::CDisplayObject(int type_, void* data_) : type(type_), data(data_) {}

CDisplayObject::~CDisplayObject() {
  switch (type) {
    case kPoint: delete static_cast<TZtVector3<float>*>(data); break;
    case kPolyline: delete static_cast<Points*>(data); break;
    case kTriangle: delete[] static_cast<TZtVector3<float>*>(data); break;
    case kText: delete static_cast<COGLJTextWithPos*>(data); break;
    default: break;
  }
}

CDisplayObject* CDisplayObject::MakePoint(const TZtVector3<float>& p) {
  return new CDisplayObject(kPoint, new TZtVector3<float>(p));
}

CDisplayObject* CDisplayObject::MakePolyline(Points points) {
  return new CDisplayObject(kPolyline, new Points(std::move(points)));
}

CDisplayObject* CDisplayObject::MakeLine(const TZtVector3<float>& a, const TZtVector3<float>& b) {
  return MakePolyline({a, b});
}

CDisplayObject* CDisplayObject::MakeTriangle(const TZtVector3<float>& a, const TZtVector3<float>& b,
                                             const TZtVector3<float>& c) {
  auto* corners = new TZtVector3<float>[3]{a, b, c};
  return new CDisplayObject(kTriangle, corners);
}

CDisplayObject* CDisplayObject::MakeText(COGLJTextWithPos* text) { return new CDisplayObject(kText, text); }

void CDisplayObject::Render() const {
  switch (type) {
    case kPoint:
      glBegin(GL_POINTS);
      glVertex3fv(&Point().x);
      glEnd();
      break;
    case kPolyline:
      glBegin(GL_LINE_STRIP);
      for (const TZtVector3<float>& p : Polyline()) glVertex3fv(&p.x);
      glEnd();
      break;
    case kTriangle:
      glBegin(GL_TRIANGLES);
      for (int i = 0; i < 3; ++i) glVertex3fv(&Triangle()[i].x);
      glEnd();
      break;
    case kText:
      glRasterPos3fv(Text()->position);
      Text()->Render();
      break;
    default:
      break;
  }
}
