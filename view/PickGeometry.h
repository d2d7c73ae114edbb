// Turning a click into a point on an edge or a facet.
//
// The window forms take the corners' window positions (OpenGL window
// coordinates, origin at the lower left) and need no OpenGL state, so they
// can be checked on their own; the plain forms project the corners with the
// current modelview, projection and viewport first.
#pragma once

#include "geometry/ZtVector3.h"

struct WindowPoint {
  float x, y;
};

// Window position of p under the current matrices and viewport (gluProject).
WindowPoint ProjectToWindow(const TZtVector3<float>& p);

// Model point on the segment p0-p1 under window pixel (x, y); p1 when both
// ends project onto one pixel.  The parameter is clamped to the segment.
TZtVector3<float> PointOnEdgeWindow(int x, int y, WindowPoint s0, WindowPoint s1, const TZtVector3<float>& p0,
                                    const TZtVector3<float>& p1);
// Model point on the triangle p0 p1 p2 under window pixel (x, y); a click
// outside the projected triangle gives a point on its boundary.
TZtVector3<float> PointOnFacetWindow(int x, int y, WindowPoint s0, WindowPoint s1, WindowPoint s2,
                                     const TZtVector3<float>& p0, const TZtVector3<float>& p1,
                                     const TZtVector3<float>& p2);

TZtVector3<float> PointOnEdge(int x, int y, const TZtVector3<float>& p0, const TZtVector3<float>& p1);
TZtVector3<float> PointOnFacet(int x, int y, const TZtVector3<float>& p0, const TZtVector3<float>& p1,
                               const TZtVector3<float>& p2);
