// Entry point of both products; the product name is fixed per build target.
#include <QApplication>
#include <QMainWindow>

#include <clocale>

#ifndef PILVO_PRODUCT_NAME
#error "PILVO_PRODUCT_NAME must name the product"
#endif

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // Numbers in files and settings always use '.', whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");
  QMainWindow window;
  window.setWindowTitle(QStringLiteral(PILVO_PRODUCT_NAME));
  window.resize(1024, 768);
  window.show();
  return application.exec();
}
