#include "render/ManagerMaterialLibrary.h"

namespace {

struct Preset {
  const wchar_t* name;
  float ambient[3], diffuse[3], specular[3], shininess;
};

// Classic OpenGL material table, in the order the library dialog lists it.
const Preset kPresets[] = {
    {L"エメラルド", {0.0215f, 0.1745f, 0.0215f}, {0.07568f, 0.61424f, 0.07568f}, {0.633f, 0.727811f, 0.633f}, 76.8f},
    {L"ひすい", {0.135f, 0.2225f, 0.1575f}, {0.54f, 0.89f, 0.63f}, {0.316228f, 0.316228f, 0.316228f}, 12.8f},
    {L"黒曜石", {0.05375f, 0.05f, 0.06625f}, {0.18275f, 0.17f, 0.22525f}, {0.332741f, 0.328634f, 0.346435f}, 38.4f},
    {L"真珠", {0.25f, 0.20725f, 0.20725f}, {1.0f, 0.829f, 0.829f}, {0.296648f, 0.296648f, 0.296648f}, 11.264f},
    {L"ルビー", {0.1745f, 0.01175f, 0.01175f}, {0.61424f, 0.04136f, 0.04136f}, {0.727811f, 0.626959f, 0.626959f}, 7.68f},
    {L"トルコ石", {0.1f, 0.18725f, 0.1745f}, {0.396f, 0.74151f, 0.69102f}, {0.297254f, 0.30829f, 0.306678f}, 12.8f},
    {L"真鍮", {0.329412f, 0.223529f, 0.027451f}, {0.780392f, 0.568627f, 0.113725f}, {0.992157f, 0.941176f, 0.807843f}, 27.8974f},
    {L"青銅", {0.2125f, 0.1275f, 0.054f}, {0.714f, 0.4284f, 0.18144f}, {0.393548f, 0.271906f, 0.166721f}, 25.6f},
    {L"クロム", {0.25f, 0.25f, 0.25f}, {0.4f, 0.4f, 0.4f}, {0.774597f, 0.774597f, 0.774597f}, 76.8f},
    {L"銅", {0.19125f, 0.0735f, 0.0225f}, {0.7038f, 0.27048f, 0.0828f}, {0.256777f, 0.137622f, 0.086014f}, 12.8f},
    {L"金", {0.24725f, 0.1995f, 0.0745f}, {0.75164f, 0.60648f, 0.22648f}, {0.628281f, 0.555802f, 0.366065f}, 51.2f},
    {L"銀", {0.19225f, 0.19225f, 0.19225f}, {0.50754f, 0.50754f, 0.50754f}, {0.508273f, 0.508273f, 0.508273f}, 51.2f},
    {L"黒プラスチック", {0.0f, 0.0f, 0.0f}, {0.01f, 0.01f, 0.01f}, {0.5f, 0.5f, 0.5f}, 32.0f},
    {L"シアンプラスチック", {0.0f, 0.1f, 0.06f}, {0.0f, 0.509804f, 0.509804f}, {0.501961f, 0.501961f, 0.501961f}, 32.0f},
    {L"緑プラスチック", {0.0f, 0.0f, 0.0f}, {0.1f, 0.35f, 0.1f}, {0.45f, 0.55f, 0.45f}, 32.0f},
    {L"赤プラスチック", {0.0f, 0.0f, 0.0f}, {0.5f, 0.0f, 0.0f}, {0.7f, 0.6f, 0.6f}, 32.0f},
    {L"白プラスチック", {0.0f, 0.0f, 0.0f}, {0.55f, 0.55f, 0.55f}, {0.7f, 0.7f, 0.7f}, 32.0f},
    {L"黄プラスチック", {0.0f, 0.0f, 0.0f}, {0.5f, 0.5f, 0.0f}, {0.6f, 0.6f, 0.5f}, 32.0f},
    {L"黒ゴム", {0.02f, 0.02f, 0.02f}, {0.01f, 0.01f, 0.01f}, {0.4f, 0.4f, 0.4f}, 10.0f},
    {L"シアンゴム", {0.0f, 0.05f, 0.05f}, {0.4f, 0.5f, 0.5f}, {0.04f, 0.7f, 0.7f}, 10.0f},
    {L"緑ゴム", {0.0f, 0.05f, 0.0f}, {0.4f, 0.5f, 0.4f}, {0.04f, 0.7f, 0.04f}, 10.0f},
    {L"赤ゴム", {0.05f, 0.0f, 0.0f}, {0.5f, 0.4f, 0.4f}, {0.7f, 0.04f, 0.04f}, 10.0f},
    {L"白ゴム", {0.05f, 0.05f, 0.05f}, {0.5f, 0.5f, 0.5f}, {0.7f, 0.7f, 0.7f}, 10.0f},
    {L"黄ゴム", {0.05f, 0.05f, 0.0f}, {0.5f, 0.5f, 0.4f}, {0.7f, 0.7f, 0.04f}, 10.0f},
};

}  // namespace

CZtMaterialWithName MakeNamedMaterial(const wchar_t* name, const float ambient[3], const float diffuse[3],
                                      const float specular[3], float shininess) {
  CZtMaterialWithName material;
  material.name = name;
  for (int i = 0; i < 3; ++i) {
    material.ambient[i] = ambient[i];
    material.diffuse[i] = diffuse[i];
    material.specular[i] = specular[i];
  }
  material.ambient[3] = material.diffuse[3] = material.specular[3] = 1.0f;
  material.shininess = shininess;
  return material;
}

void CManagerMaterialLibrary::Fill() {
  for (const Preset& p : kPresets)
    presets.push_back(MakeNamedMaterial(p.name, p.ambient, p.diffuse, p.specular, p.shininess));
}

CZtMaterial CManagerMaterialLibrary::GetPreset(unsigned n) const {
  if (presets.empty()) return CZtMaterial();
  return presets[n % presets.size()];
}
