#include "app/ProductInfo.h"

namespace {
QString& ProductNameSlot() {
  static QString name = QStringLiteral("Pilvo Nc Viewer");
  return name;
}
}  // namespace

void SetProductName(const QString& name) { ProductNameSlot() = name; }
QString GetProductName() { return ProductNameSlot(); }
bool IsNcProduct() { return GetProductName() == QStringLiteral("Pilvo Nc Viewer"); }
