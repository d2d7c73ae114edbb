// The named material presets that imported groups without a material of
// their own receive in turn.
#pragma once

#include <vector>

#include "geometry/ZtModel.h"
#include "render/ZtSingleton.h"

class CManagerMaterialLibrary : public CZtSingleton<CManagerMaterialLibrary> {
public:
  // Appends the 24 presets in library order; called once at start-up.
  void Fill();
  // Preset n modulo the number of presets; a default material when empty.
  CZtMaterial GetPreset(unsigned n) const;
  unsigned GetCount() const { return static_cast<unsigned>(presets.size()); }
  std::wstring GetName(unsigned i) const { return i < presets.size() ? presets[i].name : std::wstring(); }

  std::vector<CZtMaterialWithName> presets;
};

// A material with the given RGB colours (alpha 1) and shininess.
CZtMaterialWithName MakeNamedMaterial(const wchar_t* name, const float ambient[3], const float diffuse[3],
                                      const float specular[3], float shininess);
