// Entry point of both products; the product name is fixed per build target.
#include <QApplication>

#include <cstdio>
#include <exception>

#include "app/Pilvo3DApp.h"

#ifndef PILVO_PRODUCT_NAME
#error "PILVO_PRODUCT_NAME must name the product"
#endif

int main(int argc, char* argv[]) {
  try {
    QApplication application(argc, argv);
    CPilvo3DApp app(QStringLiteral(PILVO_PRODUCT_NAME));
    if (!app.InitInstance(QApplication::arguments())) return 1;
    return application.exec();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", PILVO_PRODUCT_NAME, error.what());
    return 1;
  }
}
