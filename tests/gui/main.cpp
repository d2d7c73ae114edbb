// Entry point of the GUI tests: one QApplication for every test, and a
// settings store in a temporary file so that no test reads or writes the
// user's settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>

#include "app/SettingsStore.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  QTemporaryDir settingsDir;
  if (!settingsDir.isValid()) {
    std::fprintf(stderr, "cannot create a temporary folder for the settings store\n");
    return 2;
  }
  settingsstore::OpenFile(settingsDir.filePath(QStringLiteral("settings.ini")));
  QApplication app(argc, argv);
  // Settings and reports format numbers with '.' whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");
  return RUN_ALL_TESTS();
}
