// The product variant and version of the running program.
#pragma once

#include <QString>

// "Pilvo Stl Viewer" or "Pilvo Nc Viewer", set once by main() from the
// product name compiled into each program.
void SetProductName(const QString& name);
QString GetProductName();
bool IsNcProduct();
