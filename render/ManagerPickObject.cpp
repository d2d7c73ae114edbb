#include "render/ManagerPickObject.h"

#include <GL/gl.h>

#include <algorithm>

#include "app/SettingsStore.h"
#include "render/DisplayObject.h"
#include "render/ManagerTemporaryObject.h"
#include "render/RenderingObject.h"

namespace {

void ClearTemporaryObjects() {
  if (CManagerTemporaryObject* temporary = CManagerTemporaryObject::GetInstance()) temporary->Clear();
}

void DrawPick(const CPickObject& pick) {
  if (pick.pointMarker) pick.pointMarker->Render();
  else if (pick.information.nameCount > 2 && pick.renderingObject)
    pick.renderingObject->RenderPickedElement(pick.information);
}

bool SameNames(const CPickInformation& a, const CPickInformation& b) {
  if (a.nameCount != b.nameCount) return false;
  const uint32_t count = std::min<uint32_t>(a.nameCount, CPickInformation::kMaxNames);
  return std::equal(a.names, a.names + count, b.names);
}

// Step 1: a hit on an element of a geometric model or tool path also hits
// the whole object.
void AddObjectLevelHits(std::vector<CPickInformation>& hits) {
  const size_t original = hits.size();
  for (size_t i = 0; i < original; ++i) {
    const CPickInformation hit = hits[i];
    const bool elementOfObject = (hit.names[1] == kPickGeometricModel || hit.names[1] == kPickToolPath) &&
                                 hit.nameCount >= 3 &&
                                 (hit.names[2] == 1 || hit.names[2] == 2 || hit.names[2] == 4);
    if (!elementOfObject) continue;
    CPickInformation whole;
    whole.nameCount = 2;
    whole.depthMin = hit.depthMin;
    whole.depthMax = hit.depthMax;
    whole.names[0] = hit.names[0];
    whole.names[1] = hit.names[1];
    const bool known = std::any_of(hits.begin(), hits.end(),
                                   [&](const CPickInformation& h) { return SameNames(h, whole); });
    if (!known) hits.push_back(whole);
  }
}

// Step 3: nearest first; at equal depth objects before elements, objects by
// id, elements points before lines before facets.
bool HitComesFirst(const CPickInformation& a, const CPickInformation& b) {
  if (a.depthMin != b.depthMin) return a.depthMin < b.depthMin;
  const bool aObject = a.nameCount <= 2, bObject = b.nameCount <= 2;
  if (aObject != bObject) return aObject;
  if (aObject) return a.names[0] < b.names[0];
  return a.names[2] < b.names[2];
}

// Step 4: a hit that repeats the one kept before it.
bool RepeatsHit(const CPickInformation& kept, const CPickInformation& hit) {
  if (kept.nameCount != hit.nameCount) return false;
  if (kept.nameCount == 2 && hit.nameCount == 2 && kept.names[0] == hit.names[0] &&
      kept.names[1] == hit.names[1])
    return true;
  if (kept.names[2] == hit.names[2] && kept.depthMin == hit.depthMin && kept.depthMax == hit.depthMax)
    return true;
  const auto isToolPathLine = [](const CPickInformation& h) {
    return h.nameCount >= 4 && h.names[1] == kPickToolPath && h.names[2] == 2;
  };
  return isToolPathLine(kept) && isToolPathLine(hit) && kept.names[3] == hit.names[3];
}

}  // namespace

// ---- CManagerPickObject ---------------------------------------------------

CManagerPickObject::~CManagerPickObject() {
  delete candidate;
  candidate = nullptr;
  picks.DeleteAll();
  candidates.clear();
}

void CManagerPickObject::AppendPick(CPickObject* pick) {
  picks.push_back(pick);
  if (pick->information.nameCount == 2 && pick->renderingObject) pick->renderingObject->SetHighlight(1);
}

bool CManagerPickObject::RemoveEqualPick(const CPickObject& pick) {
  const auto equal = std::find_if(picks.begin(), picks.end(), [&](CPickObject* p) { return p->SameAs(pick); });
  if (equal == picks.end()) return false;
  CPickObject* existing = *equal;
  picks.erase(equal);
  delete existing;
  return true;
}

void CManagerPickObject::AddPickObject(CPickObject* pick) {
  if (!pick) return;
  if (RemoveEqualPick(*pick)) {
    delete pick;
    return;
  }
  AppendPick(pick);
}

void CManagerPickObject::ResetPicks() {
  candidateIndex = 0;
  candidates.clear();
  picks.DeleteAll();
  ClearTemporaryObjects();
  delete candidate;
  candidate = nullptr;
}

void CManagerPickObject::DiscardCandidate(CRenderingObject* object) {
  if (candidate && candidate->renderingObject == object) {
    delete candidate;
    candidate = nullptr;
  }
}

void CManagerPickObject::RemovePicksOf(CRenderingObject* object) {
  for (size_t i = 0; i < picks.size();) {
    if (picks[i]->renderingObject == object) {
      CPickObject* pick = picks[i];
      picks.erase(picks.begin() + static_cast<ptrdiff_t>(i));
      delete pick;
    } else {
      ++i;
    }
  }
}

void CManagerPickObject::RenderPicks() const {
  glPointSize(pointSize);
  glLineWidth(lineWidth);
  if (!picks.empty()) {
    glColor3ubv(selectedColor);
    for (const CPickObject* pick : picks) DrawPick(*pick);
  }
  if (candidate) {
    glColor3ubv(highlightedColor);
    DrawPick(*candidate);
  }
}

void CManagerPickObject::Profile(bool save) {
  CProfileSection profile(save, QStringLiteral("ManagerPickObject"));
  for (int i = 0; i < 3; ++i) profile.Byte(QStringLiteral("SelectedColor[%1]").arg(i), selectedColor[i]);
  for (int i = 0; i < 3; ++i) profile.Byte(QStringLiteral("HighlightedColor[%1]").arg(i), highlightedColor[i]);
  profile.Bool(QStringLiteral("EnablePickPointOnElement_menu"), enablePickPointOnElement);
}

// ---- CPilvo3DManagerPickObject ---------------------------------------------

int CPilvo3DManagerPickObject::SetPickMode(int mode) {
  const int previous = static_cast<int>(pickMode);
  if (static_cast<uint32_t>(mode) != pickMode) {
    pickMode = static_cast<uint32_t>(mode);
    ResetPicks();
  }
  return previous;
}

void CPilvo3DManagerPickObject::AddPickObject(CPickObject* pick) {
  if (!pick) return;
  const bool removed = RemoveEqualPick(*pick);
  if (removed) {
    delete pick;
    pick = nullptr;
  } else {
    if (maxPicks != 0 && picks.size() >= maxPicks) {
      // A pick beyond the limit starts a fresh set.
      picks.DeleteAll();
      ClearTemporaryObjects();
    }
    AppendPick(pick);
  }
  if (m_host) m_host->PicksChanged(static_cast<int>(pickMode), pick);
}

void CPilvo3DManagerPickObject::ResetPicks() {
  if (m_host) m_host->HideDecisionDialog();
  CManagerPickObject::ResetPicks();
  ApplyModeTable();
}

void CPilvo3DManagerPickObject::DiscardCandidate(CRenderingObject* /*object*/) {
  delete candidate;
  candidate = nullptr;
  if (m_host) m_host->HideDecisionDialog();
}

void CPilvo3DManagerPickObject::ApplyPointRule() {
  if (enablePickPointOnElement) {
    pickMask = kPickPoint | kPickLine | kPickFacet;
    showPickableElements = false;
    pickImmediately = true;
    pickPointOnElement = true;
  } else {
    pickMask = kPickPoint;
    showPickableElements = true;
    pickImmediately = false;
    pickPointOnElement = false;
  }
}

void CPilvo3DManagerPickObject::ApplyModeTable() {
  pickMask = 0;
  maxPicks = 0;
  showPickableElements = false;
  pickImmediately = false;
  pickPointOnElement = false;
  const auto set = [this](uint32_t mask, uint32_t limit, bool showPickable, bool immediate) {
    pickMask = mask;
    maxPicks = limit;
    showPickableElements = showPickable;
    pickImmediately = immediate;
  };
  switch (pickMode) {
    case 1: set(kPickPoint | kPickLine | kPickFacet, 1, false, true); break;
    case 11: case 14: case 15: case 16: case 18: case 42: case 44: set(kPickModel, 1, false, false); break;
    case 12: case 13: case 21: case 31: case 45: case 46: ApplyPointRule(); maxPicks = 1; break;
    case 22: case 23: ApplyPointRule(); maxPicks = 2; break;
    case 24: case 26: case 27: ApplyPointRule(); maxPicks = 3; break;
    case 25: set(kPickFacet, 2, true, false); break;
    case 32: set(kPickLine, 1, true, false); break;
    case 33: set(kPickFacet, 1, true, false); break;
    case 34: set(kPickAxis | kPickGeometricModel | kPickToolPath, 1, false, false); break;
    case 41: set(kPickToolPath | kPickModel, 0, false, false); break;
    case 43: set(kPickModel, 0, false, false); break;
    default: break;
  }
  if (pickMask & kPickModel) {
    // A click on a group then picks its whole model.
    pickMask |= kPickGeometricModel;
    showPickableElements = false;
    pickImmediately = false;
    pickPointOnElement = false;
  }
}

CPickObject* CPilvo3DManagerPickObject::MakePick(const CPickInformation& hit) const {
  CRenderingObject* object = m_host ? m_host->ResolveHitObject(hit) : nullptr;
  if (!object) return nullptr;
  auto* pick = new CPickObject;
  pick->renderingObject = object;
  pick->information = hit;
  return pick;
}

void CPilvo3DManagerPickObject::ReplaceCandidate(CPickObject* pick) {
  delete candidate;
  candidate = pick;
  if (candidate && candidate->information.nameCount == 2) candidate->renderingObject->SetHighlight(2);
}

void CPilvo3DManagerPickObject::ProcessHits(std::vector<CPickInformation> hits, int x, int y) {
  AddObjectLevelHits(hits);
  std::erase_if(hits, [this](const CPickInformation& hit) { return (hit.Kind() & pickMask) == 0; });
  std::stable_sort(hits.begin(), hits.end(), HitComesFirst);
  std::vector<CPickInformation> kept;
  for (const CPickInformation& hit : hits)
    if (kept.empty() || !RepeatsHit(kept.back(), hit)) kept.push_back(hit);
  if (kept.empty()) return;

  if (pickImmediately) {
    CPickObject* pick = MakePick(kept.front());
    if (!pick) return;
    TZtVector3<float> point;
    if (pickPointOnElement && pick->renderingObject->GetPickedPoint(pick->information, point, x, y))
      pick->SetPointMarker(point);
    AddPickObject(pick);
    return;
  }

  if (!(pickMask & kPickModel)) {
    delete candidate;
    candidate = nullptr;
    candidateIndex = 0;
    candidates.clear();
    if (kept.size() >= 2) {
      candidates = kept;
      ReplaceCandidate(MakePick(candidates.front()));
      if (m_host) m_host->ShowDecisionDialog();
    } else {
      AddPickObject(MakePick(kept.front()));
      if (m_host) m_host->HideDecisionDialog();
    }
    return;
  }

  // Model picking: a hit on a group stands for the whole model that owns it.
  CPickObject* pick = MakePick(kept.front());
  if (!pick) return;
  if (pick->renderingObject->GetKind() == kKindGeometricModel) {
    CRenderingObject* model = m_host->FindModelOfChild(pick->renderingObject);
    delete pick;
    if (!model) return;
    pick = new CPickObject;
    pick->renderingObject = model;
    pick->information.nameCount = 2;
    pick->information.depthMin = 0.0f;
    pick->information.depthMax = 1.0f;
    pick->information.names[0] = static_cast<uint32_t>(model->id);
    pick->information.names[1] = kKindModel;
  }
  AddPickObject(pick);
}

void CPilvo3DManagerPickObject::StepCandidate(int delta) {
  if (candidates.empty()) return;
  const int count = static_cast<int>(candidates.size());
  candidateIndex = ((candidateIndex + delta) % count + count) % count;
  ReplaceCandidate(MakePick(candidates[static_cast<size_t>(candidateIndex)]));
}

void CPilvo3DManagerPickObject::DecideCandidate() {
  CPickObject* decided = candidate;
  candidate = nullptr;
  // A decided whole-object pick keeps its object selected, not highlighted.
  AddPickObject(decided);
  if (m_host) m_host->HideDecisionDialog();
}

void CPilvo3DManagerPickObject::CancelCandidate() {
  delete candidate;
  candidate = nullptr;
  if (m_host) m_host->HideDecisionDialog();
}
