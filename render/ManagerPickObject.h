// The current picks, the pick mode that decides what may be picked, and the
// processing of the hits under a click.
#pragma once

#include <cstdint>
#include <vector>

#include "render/PickObject.h"
#include "render/ZtSingleton.h"

class CRenderingObject;

// Pick mask bits.
enum PickMaskBits : uint32_t {
  kPickPoint = 0x1,
  kPickLine = 0x2,
  kPickFacet = 0x4,
  kPickAxis = 0x200,
  kPickGeometricModel = 0x400,
  kPickToolPath = 0x800,
  kPickModel = 0x1000,
};

// An owning array of picks in the order they were made.
class CPickObjectPtrArray : public std::vector<CPickObject*> {
public:
  CPickObjectPtrArray() = default;
  virtual ~CPickObjectPtrArray() { DeleteAll(); }
  CPickObjectPtrArray(const CPickObjectPtrArray&) = delete;
  CPickObjectPtrArray& operator=(const CPickObjectPtrArray&) = delete;
  void DeleteAll() {
    // Deleting a pick may clear a highlight; take it out of the list first.
    while (!empty()) {
      CPickObject* last = back();
      pop_back();
      delete last;
    }
  }
};

// What the hit processing needs from the view: resolving a hit's object id
// to the object, the model object that owns a geometric model, and the
// choice dialog.
class CPickHost {
public:
  virtual ~CPickHost() = default;
  virtual CRenderingObject* ResolveHitObject(const CPickInformation& hit) = 0;
  virtual CRenderingObject* FindModelOfChild(CRenderingObject* child) = 0;
  virtual void ShowDecisionDialog() = 0;
  virtual void HideDecisionDialog() = 0;
  // Told after every pick change in a mode that has a consumer.
  virtual void PicksChanged(int mode, const CPickObject* changed) = 0;
};

class CManagerPickObject : public CZtSingleton<CManagerPickObject> {
public:
  CManagerPickObject() = default;
  virtual ~CManagerPickObject();

  virtual int SetPickMode(int mode) { return 0; }
  virtual int GetPickMode() const { return 0; }
  // Takes ownership.  A pick equal to one already held removes both.
  virtual void AddPickObject(CPickObject* pick);
  virtual void ResetPicks();
  // Deletes the candidate when it belongs to object.
  virtual void DiscardCandidate(CRenderingObject* object);

  // Deletes every pick of object, keeping the order of the others.
  void RemovePicksOf(CRenderingObject* object);
  // Draws the picks in the selected colour, then the candidate highlighted.
  void RenderPicks() const;
  // Section "ManagerPickObject".
  void Profile(bool save);

  uint32_t pickMask = 0;
  uint32_t maxPicks = 0;  // 0: no limit
  bool showPickableElements = false;
  bool pickImmediately = false;
  bool pickPointOnElement = false;
  bool enablePickPointOnElement = true;
  float pointSize = 5.0f;
  float lineWidth = 3.0f;
  uint8_t selectedColor[3] = {255, 128, 255};
  uint8_t highlightedColor[3] = {255, 255, 0};
  int32_t candidateIndex = 0;
  std::vector<CPickInformation> candidates;
  CPickObjectPtrArray picks;
  CPickObject* candidate = nullptr;  // owned

protected:
  // Appends a pick the caller has checked; selects a whole object.
  void AppendPick(CPickObject* pick);
  // Removes and deletes a pick equal to pick; true when there was one.
  bool RemoveEqualPick(const CPickObject& pick);
};

class CPilvo3DManagerPickObject : public CManagerPickObject {
public:
  CPilvo3DManagerPickObject() = default;
  ~CPilvo3DManagerPickObject() override = default;

  void SetHost(CPickHost* host) { m_host = host; }
  CPickHost* GetHost() const { return m_host; }

  // Stores a changed mode and resets the picks; returns the previous mode.
  int SetPickMode(int mode) override;
  int GetPickMode() const override { return static_cast<int>(pickMode); }
  void AddPickObject(CPickObject* pick) override;
  void ResetPicks() override;
  void DiscardCandidate(CRenderingObject* object) override;

  // Turns the hits of one click into picks or candidates.  x, y: the click
  // in OpenGL window coordinates (origin lower left).
  void ProcessHits(std::vector<CPickInformation> hits, int x, int y);

  // The choice dialog's steps.
  void StepCandidate(int delta);
  void DecideCandidate();
  void CancelCandidate();

  uint32_t pickMode = 0;

private:
  void ApplyModeTable();
  void ApplyPointRule();
  CPickObject* MakePick(const CPickInformation& hit) const;
  void ReplaceCandidate(CPickObject* pick);

  CPickHost* m_host = nullptr;
};
